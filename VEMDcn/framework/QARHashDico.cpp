#include "QARHashDico.h"

QARHashDico::QARHashDico(int size) {
  if (size > 0) _Index.reserve(static_cast<size_t>(size));
}

QARHashDico::QARHashDico(const QARHashDico& other) : QARCollecRoot(other), _Entries(other._Entries) { Rebuild(); }

QARHashDico& QARHashDico::operator=(const QARHashDico& other) {
  if (this != &other) {
    _Entries = other._Entries;
    Rebuild();
  }
  return *this;
}

QARHashDico::~QARHashDico() = default;

void QARHashDico::Rebuild() {
  _Index.clear();
  for (auto entry = _Entries.begin(); entry != _Entries.end(); ++entry) _Index.emplace(RefTo(entry->first), entry);
}

int QARHashDico::Insert(const QARUnicodeString& key, void* value) {
  const KeyRef probe = RefTo(key);
  if (_Index.find(probe) != _Index.end()) return 0;
  _Entries.emplace_back(key, value);
  try {
    _Index.emplace(KeyRef{&_Entries.back().first, probe.hash}, std::prev(_Entries.end()));
  } catch (...) {
    _Entries.pop_back();
    throw;
  }
  return 1;
}

void* QARHashDico::Locate(const QARUnicodeString& key) const {
  void* value = nullptr;
  Locate(key, &value);
  return value;
}

int QARHashDico::Locate(const QARUnicodeString& key, void** value) const {
  const auto found = _Index.find(RefTo(key));
  if (found == _Index.end()) return 0;
  if (value != nullptr) *value = found->second->second;
  return 1;
}

int QARHashDico::Remove(const QARUnicodeString& key) {
  const auto found = _Index.find(RefTo(key));
  if (found == _Index.end()) return 0;
  const EntryList::iterator entry = found->second;
  _Index.erase(found);  // before the key it refers to goes
  _Entries.erase(entry);
  return 1;
}

void QARHashDico::RemoveAll() {
  _Index.clear();
  _Entries.clear();
}

QARHashCodeIter::QARHashCodeIter(const QARHashDico& dico) : _Dico(&dico), _Next(dico._Entries.begin()), _Value(nullptr) {}

int QARHashCodeIter::Next() {
  if (_Next == _Dico->_Entries.end()) {
    _Key = QARUnicodeString();
    _Value = nullptr;
    return 0;
  }
  // The entry is copied so that removing it from the dictionary leaves the walk valid.
  _Key = _Next->first;
  _Value = _Next->second;
  ++_Next;
  return 1;
}

void QARHashCodeIter::Reset() {
  _Next = _Dico->_Entries.begin();
  _Key = QARUnicodeString();
  _Value = nullptr;
}

const QARUnicodeString& QARHashCodeIter::GetKey() const { return _Key; }

void* QARHashCodeIter::GetValue() const { return _Value; }
