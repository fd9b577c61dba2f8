// QARHashDico: a dictionary from QARUnicodeString keys to untyped pointers,
// and QARHashCodeIter, which walks it. Entries keep the order in which they
// were inserted. The dictionary never owns what its values point to.
#pragma once

#include <list>
#include <unordered_map>
#include <utility>

#include "QARCollecRoot.h"
#include "QARUnicodeString.h"
#include "VEMDcnExport.h"

class QARHashCodeIter;

class VEMDCN_EXPORT QARHashDico : public QARCollecRoot {
 public:
  // size: the number of entries expected, a hint for the table.
  explicit QARHashDico(int size = 0);
  QARHashDico(const QARHashDico& other);
  QARHashDico& operator=(const QARHashDico& other);
  ~QARHashDico() override;

  // 1 when the entry was added; 0 when the key is already present, in which
  // case the dictionary is unchanged.
  int Insert(const QARUnicodeString& key, void* value);
  // The value stored under key, or null when the key is absent.
  void* Locate(const QARUnicodeString& key) const;
  // 1 when the key is present; its value (possibly null) goes to *value.
  int Locate(const QARUnicodeString& key, void** value) const;
  // 1 when the entry was removed, 0 when the key was absent.
  int Remove(const QARUnicodeString& key);
  void RemoveAll();
  int Size() const { return static_cast<int>(_Entries.size()); }

 private:
  friend class QARHashCodeIter;
  typedef std::list<std::pair<QARUnicodeString, void*>> EntryList;
  // The index refers to the keys in the entry list, so that a key is stored
  // once, and carries its hash, so that it is computed once.
  struct KeyRef {
    const QARUnicodeString* key;
    size_t hash;
  };
  struct KeyRefHash {
    size_t operator()(const KeyRef& ref) const { return ref.hash; }
  };
  struct KeyRefEqual {
    bool operator()(const KeyRef& a, const KeyRef& b) const { return *a.key == *b.key; }
  };
  typedef std::unordered_map<KeyRef, EntryList::iterator, KeyRefHash, KeyRefEqual> Index;
  static KeyRef RefTo(const QARUnicodeString& key) { return KeyRef{&key, key.HashCode()}; }
  void Rebuild();

  EntryList _Entries;
  Index _Index;
};

// Walks a dictionary in insertion order:
//   QARHashCodeIter it(dico);
//   while (it.Next()) { use(it.GetKey(), it.GetValue()); }
// The dictionary must not change during the walk, except that Remove of the
// current key is allowed.
class VEMDCN_EXPORT QARHashCodeIter {
 public:
  explicit QARHashCodeIter(const QARHashDico& dico);

  // Moves to the first, then to each following entry; 0 when there is none.
  int Next();
  // Starts the walk again.
  void Reset();
  // The current entry; an empty key and null before the first and after the last Next.
  const QARUnicodeString& GetKey() const;
  void* GetValue() const;

 private:
  const QARHashDico* _Dico;
  QARHashDico::EntryList::const_iterator _Next;
  QARUnicodeString _Key;
  void* _Value;
};
