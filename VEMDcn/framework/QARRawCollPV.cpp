#include "QARRawCollPV.h"

#include <algorithm>

#include "QARSysLog.h"

namespace {

const char kSourceFile[] = "VEMDcn/framework/QARRawCollPV";
const char kPositionAssertion[] = "AssertionFailed:iPos > 0 && iPos <= _Size";
const char kInsertAssertion[] = "AssertionFailed:iPos >= 1 && iPos <= _Size+1";
const char kSwapAssertion[] = "AssertionFailed:iPos1 > 0 && iPos1 <= _Size && iPos2 > 0 && iPos2 <= _Size";

// Where a refused operator[] points: a fresh null slot, so that nothing the
// caller writes there lands in a collection.
void*& RefusedSlot() {
  static thread_local void* slot;
  slot = nullptr;
  return slot;
}

}  // namespace

QARRawCollPV::QARRawCollPV(int initialAllocation) {
  if (initialAllocation > 0) _Elements.reserve(static_cast<size_t>(initialAllocation));
}

QARRawCollPV::QARRawCollPV(const QARRawCollPV& other) : QARCollecRoot(other) {
  _Elements.reserve(other._Elements.size());
  _Elements.assign(other._Elements.begin(), other._Elements.end());
}

QARRawCollPV::QARRawCollPV(void* const* elements, int count) {
  if (elements != nullptr && count > 0) _Elements.assign(elements, elements + count);
}

QARRawCollPV::~QARRawCollPV() = default;

QARRawCollPV& QARRawCollPV::operator=(const QARRawCollPV& other) {
  if (this != &other) _Elements.assign(other._Elements.begin(), other._Elements.end());
  return *this;
}

int QARRawCollPV::operator==(const QARRawCollPV& other) const { return _Elements == other._Elements ? 1 : 0; }

int QARRawCollPV::operator!=(const QARRawCollPV& other) const { return _Elements != other._Elements ? 1 : 0; }

bool QARRawCollPV::CheckPosition(int position, int line) const {
  if (position > 0 && position <= Size()) return true;
  QARFatalError(kPositionAssertion, nullptr, nullptr, nullptr, kSourceFile, line);
  return false;
}

void*& QARRawCollPV::operator[](int position) {
  if (!CheckPosition(position, __LINE__)) return RefusedSlot();
  return _Elements[static_cast<size_t>(position - 1)];
}

void* QARRawCollPV::operator[](int position) const {
  if (!CheckPosition(position, __LINE__)) return nullptr;
  return _Elements[static_cast<size_t>(position - 1)];
}

void QARRawCollPV::Size(int newSize, void* filler) {
  if (newSize < 0) newSize = 0;
  const size_t size = static_cast<size_t>(newSize);
  if (size > _Elements.capacity()) _Elements.reserve(size);
  _Elements.resize(size, filler);
}

void QARRawCollPV::GrowForOneMore() {
  if (_Elements.size() == _Elements.capacity()) _Elements.reserve(_Elements.empty() ? 1 : _Elements.capacity() * 2);
}

int QARRawCollPV::Append(void* element) {
  GrowForOneMore();
  _Elements.push_back(element);
  return Size();
}

int QARRawCollPV::Append(const QARRawCollPV& other) {
  const std::vector<void*> copy(other._Elements);  // other may be this list
  _Elements.reserve(_Elements.size() + copy.size());
  _Elements.insert(_Elements.end(), copy.begin(), copy.end());
  return Size();
}

int QARRawCollPV::InsertAt(int position, void* element) {
  if (position < 1 || position > Size() + 1) {
    QARFatalError(kInsertAssertion, nullptr, nullptr, nullptr, kSourceFile, __LINE__);
    return 0;
  }
  GrowForOneMore();
  _Elements.insert(_Elements.begin() + (position - 1), element);
  return position;
}

int QARRawCollPV::Locate(void* element, int start) const {
  if (start < 1) start = 1;
  for (int position = start; position <= Size(); ++position) {
    if (_Elements[static_cast<size_t>(position - 1)] == element) return position;
  }
  return 0;
}

int QARRawCollPV::NbOccur(void* element) const {
  return static_cast<int>(std::count(_Elements.begin(), _Elements.end(), element));
}

void QARRawCollPV::EraseAt(int position) { _Elements.erase(_Elements.begin() + (position - 1)); }

int QARRawCollPV::RemoveValue(void* element) {
  const int position = Locate(element, 1);
  if (position > 0) EraseAt(position);
  return position;
}

int QARRawCollPV::Remove(const QARRawCollPV& other) {
  if (this == &other) {
    const int formerSize = Size();
    RemoveAll(QARCollec::ReleaseStorage);
    return formerSize;
  }
  int removed = 0;
  for (void* element : other._Elements) {
    if (RemoveValue(element) > 0) ++removed;
  }
  return removed;
}

void QARRawCollPV::RemovePosition(int position) {
  if (CheckPosition(position, __LINE__)) EraseAt(position);
}

int QARRawCollPV::RemovePosition(int position, unsigned int count) {
  if (!CheckPosition(position, __LINE__)) return 0;
  const size_t first = static_cast<size_t>(position - 1);
  const size_t removed = std::min<size_t>(count, _Elements.size() - first);
  _Elements.erase(_Elements.begin() + static_cast<std::ptrdiff_t>(first),
                  _Elements.begin() + static_cast<std::ptrdiff_t>(first + removed));
  return static_cast<int>(removed);
}

void QARRawCollPV::RemoveAll(QARCollec::MemoryHandling memory) {
  if (memory == QARCollec::ReleaseStorage) {
    std::vector<void*>().swap(_Elements);
  } else {
    _Elements.clear();
  }
}

int QARRawCollPV::RemoveNulls() {
  const size_t before = _Elements.size();
  _Elements.erase(std::remove(_Elements.begin(), _Elements.end(), nullptr), _Elements.end());
  return static_cast<int>(before - _Elements.size());
}

int QARRawCollPV::RemoveDuplicates(QARRawCollPV* removed) {
  int count = 0;
  for (size_t i = 0; i < _Elements.size(); ++i) {
    for (size_t j = i + 1; j < _Elements.size();) {
      if (_Elements[j] == _Elements[i]) {
        if (removed != nullptr) removed->Append(_Elements[j]);
        _Elements.erase(_Elements.begin() + static_cast<std::ptrdiff_t>(j));
        ++count;
      } else {
        ++j;
      }
    }
  }
  return count;
}

void QARRawCollPV::Swap(int position1, int position2) {
  if (position1 < 1 || position1 > Size() || position2 < 1 || position2 > Size()) {
    QARFatalError(kSwapAssertion, nullptr, nullptr, nullptr, kSourceFile, __LINE__);
    return;
  }
  std::swap(_Elements[static_cast<size_t>(position1 - 1)], _Elements[static_cast<size_t>(position2 - 1)]);
}

void QARRawCollPV::QuickSort(QARPVCompareFunction compare) {
  if (compare == nullptr) return;
  std::stable_sort(_Elements.begin(), _Elements.end(),
                   [compare](void* first, void* second) { return compare(first, second) < 0; });
}

void QARRawCollPV::FillArray(void** array, int maxCount) const {
  if (array == nullptr || maxCount < 1) return;
  const size_t count = std::min(static_cast<size_t>(maxCount), _Elements.size());
  std::copy(_Elements.begin(), _Elements.begin() + static_cast<std::ptrdiff_t>(count), array);
}

void QARRawCollPV::Intersection(const QARRawCollPV& first, const QARRawCollPV& second, QARRawCollPV& result) {
  if (&first == &second) {
    result.Append(first);
    return;
  }
  const std::vector<void*> candidates(first._Elements);  // result may be one of the inputs
  for (void* element : candidates) {
    if (second.Locate(element, 1) > 0) result.Append(element);
  }
}

int QARRawCollPV::Compare(const QARRawCollPV& first, const QARRawCollPV& second, QARPVCompareFunction compare) {
  const size_t common = std::min(first._Elements.size(), second._Elements.size());
  for (size_t i = 0; compare != nullptr && i < common; ++i) {
    const int order = compare(first._Elements[i], second._Elements[i]);
    if (order != 0) return order;
  }
  if (first._Elements.size() == second._Elements.size()) return 0;
  return first._Elements.size() < second._Elements.size() ? -1 : 1;
}
