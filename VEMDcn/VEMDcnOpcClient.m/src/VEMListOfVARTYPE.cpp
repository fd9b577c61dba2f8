// QARRawCollVARTYPE: the VARTYPE collection of the client.
#include "QARRawCollVARTYPE.h"

#include <algorithm>

#include "QARSysLog.h"

namespace {

// Every broken precondition of this collection is reported under one source
// location, as the host's collection macros do.
const char* const kSourceFile = "VEMDcn/VEMDcnOpcClient.m/src/VEMListOfVARTYPE";
const int kSourceLine = 19;

const char* const kPositionFailed = "AssertionFailed:iPos > 0 && iPos <= _Size";
const char* const kInsertFailed = "AssertionFailed:iPos >= 1 && iPos <= _Size+1";
const char* const kSwapFailed = "AssertionFailed:iPos1 > 0 && iPos1 <= _Size && iPos2 > 0 && iPos2 <= _Size";

// What operator[] hands out when the position is wrong: the caller gets a slot
// of its own instead of one outside the storage.
thread_local VARTYPE tOutOfRangeSlot = VT_EMPTY;

}  // namespace

QARRawCollVARTYPE::QARRawCollVARTYPE(int iInitAlloc) : _Size(0), _Allocated(0), _Storage(nullptr) {
  if (iInitAlloc > 0) {
    GetStorage(iInitAlloc, _Storage);
    _Allocated = iInitAlloc;
  }
}

QARRawCollVARTYPE::QARRawCollVARTYPE(const QARRawCollVARTYPE& iCopy)
    : QARCollecRoot(), _Size(0), _Allocated(0), _Storage(nullptr) {
  if (iCopy._Size > 0) {
    GetStorage(iCopy._Size, _Storage);
    std::copy(iCopy._Storage, iCopy._Storage + iCopy._Size, _Storage);
    _Size = _Allocated = iCopy._Size;
  }
}

QARRawCollVARTYPE::QARRawCollVARTYPE(const VARTYPE* iArray, int iSize)
    : _Size(0), _Allocated(0), _Storage(nullptr) {
  if (iArray && iSize > 0) {
    GetStorage(iSize, _Storage);
    std::copy(iArray, iArray + iSize, _Storage);
    _Size = _Allocated = iSize;
  }
}

QARRawCollVARTYPE::~QARRawCollVARTYPE() {
  FreeStorage(_Storage);
  _Size = _Allocated = 0;
}

QARRawCollVARTYPE& QARRawCollVARTYPE::operator=(const QARRawCollVARTYPE& iCopy) {
  if (this == &iCopy) return *this;
  if (iCopy._Size > _Allocated) {
    // The old content is overwritten entirely, so there is nothing to carry over.
    FreeStorage(_Storage);
    GetStorage(iCopy._Size, _Storage);
    _Allocated = iCopy._Size;
  }
  _Size = iCopy._Size;
  std::copy(iCopy._Storage, iCopy._Storage + iCopy._Size, _Storage);
  return *this;
}

int QARRawCollVARTYPE::operator!=(const QARRawCollVARTYPE& iOther) const {
  if (this == &iOther) return 0;
  if (_Size != iOther._Size) return 1;
  return std::equal(_Storage, _Storage + _Size, iOther._Storage) ? 0 : 1;
}

int QARRawCollVARTYPE::operator==(const QARRawCollVARTYPE& iOther) const { return !(*this != iOther); }

int QARRawCollVARTYPE::_Precondition(bool iHolds, const char* iMessage) const {
  if (!iHolds) QARFatalError(iMessage, nullptr, nullptr, nullptr, kSourceFile, kSourceLine);
  return iHolds ? 1 : 0;
}

VARTYPE& QARRawCollVARTYPE::operator[](int iPos) {
  if (!_Precondition(iPos > 0 && iPos <= _Size, kPositionFailed)) {
    tOutOfRangeSlot = VT_EMPTY;
    return tOutOfRangeSlot;
  }
  return _Storage[iPos - 1];
}

VARTYPE QARRawCollVARTYPE::operator[](int iPos) const {
  if (!_Precondition(iPos > 0 && iPos <= _Size, kPositionFailed)) return VT_EMPTY;
  return _Storage[iPos - 1];
}

int QARRawCollVARTYPE::Size() const { return _Size; }

void QARRawCollVARTYPE::Size(int iSize) {
  // A negative size has no meaning; it empties the collection.
  if (iSize < 0) iSize = 0;
  if (iSize > _Size && iSize > _Allocated) _Reallocate(iSize);
  _Size = iSize;
}

void QARRawCollVARTYPE::Size(int iSize, VARTYPE iFiller) {
  if (iSize < 0) iSize = 0;
  if (iSize <= _Size) {
    _Size = iSize;
    return;
  }
  if (iSize > _Allocated) _Reallocate(iSize);
  std::fill(_Storage + _Size, _Storage + iSize, iFiller);
  _Size = iSize;
}

void QARRawCollVARTYPE::Append(VARTYPE iValue) {
  if (_Size == _Allocated) _GrowForOneMore();
  _Storage[_Size++] = iValue;
}

void QARRawCollVARTYPE::Append(const QARRawCollVARTYPE& iOther) {
  // Read the count first: appending a collection to itself doubles it.
  const int count = iOther._Size;
  if (count <= 0) return;
  if (_Size + count > _Allocated) _Reallocate(_Size + count);
  // After a reallocation of *this, iOther._Storage is the new array when both are the same object.
  std::copy(iOther._Storage, iOther._Storage + count, _Storage + _Size);
  _Size += count;
}

void QARRawCollVARTYPE::InsertAt(int iPos, VARTYPE iValue) {
  if (!_Precondition(iPos >= 1 && iPos <= _Size + 1, kInsertFailed)) return;
  const int index = iPos - 1;
  if (_Size == _Allocated) {
    // Copy around the gap in one pass while moving to the larger array.
    const int capacity = _Allocated == 0 ? 1 : 2 * _Allocated;
    VARTYPE* grown = nullptr;
    GetStorage(capacity, grown);
    std::copy(_Storage, _Storage + index, grown);
    grown[index] = iValue;
    std::copy(_Storage + index, _Storage + _Size, grown + index + 1);
    FreeStorage(_Storage);
    _Storage = grown;
    _Allocated = capacity;
  } else {
    std::copy_backward(_Storage + index, _Storage + _Size, _Storage + _Size + 1);
    _Storage[index] = iValue;
  }
  ++_Size;
}

int QARRawCollVARTYPE::Locate(VARTYPE iValue, int iStart) const {
  if (iStart < 1) iStart = 1;
  for (int pos = iStart; pos <= _Size; ++pos) {
    if (_Storage[pos - 1] == iValue) return pos;
  }
  return 0;
}

int QARRawCollVARTYPE::NbOccur(VARTYPE iValue) const {
  if (_Size == 0) return 0;
  return static_cast<int>(std::count(_Storage, _Storage + _Size, iValue));
}

void QARRawCollVARTYPE::RemovePosition(int iPos) {
  if (!_Precondition(iPos > 0 && iPos <= _Size, kPositionFailed)) return;
  std::copy(_Storage + iPos, _Storage + _Size, _Storage + iPos - 1);
  --_Size;
}

int QARRawCollVARTYPE::RemoveValue(VARTYPE iValue) {
  const int pos = Locate(iValue, 1);
  if (pos) RemovePosition(pos);
  return pos;
}

int QARRawCollVARTYPE::Remove(const QARRawCollVARTYPE& iOther) {
  if (this == &iOther) {
    const int removed = _Size;
    RemoveAll(QARCollec::ReleaseStorage);
    return removed;
  }
  int removed = 0;
  for (int i = 0; i < iOther._Size; ++i) {
    if (RemoveValue(iOther._Storage[i])) ++removed;
  }
  return removed;
}

void QARRawCollVARTYPE::RemoveAll(QARCollec::MemoryHandling iMemoryHandling) {
  _Size = 0;
  if (iMemoryHandling == QARCollec::ReleaseStorage) {
    FreeStorage(_Storage);
    _Allocated = 0;
  }
}

int QARRawCollVARTYPE::RemoveNulls() {
  int removed = 0;
  for (int pos = Locate(VT_EMPTY, 1); pos; pos = Locate(VT_EMPTY, pos)) {
    RemovePosition(pos);
    ++removed;
  }
  return removed;
}

int QARRawCollVARTYPE::RemoveDuplicates(QARRawCollVARTYPE* oExtract) {
  if (oExtract == this) {
    // Extracting into the collection being cleaned would feed it duplicates
    // forever: collect them aside and append them once the pass is over.
    QARRawCollVARTYPE extracted;
    const int removed = RemoveDuplicates(&extracted);
    Append(extracted);
    return removed;
  }
  int removed = 0;
  for (int i = 1; i <= _Size; ++i) {
    int j = i + 1;
    while (j <= _Size) {
      if (_Storage[j - 1] != _Storage[i - 1]) {
        ++j;
        continue;
      }
      if (oExtract) oExtract->Append(_Storage[j - 1]);
      RemovePosition(j);
      ++removed;
    }
  }
  return removed;
}

void QARRawCollVARTYPE::Swap(int iPos1, int iPos2) {
  if (!_Precondition(iPos1 > 0 && iPos1 <= _Size && iPos2 > 0 && iPos2 <= _Size, kSwapFailed)) return;
  if (iPos1 != iPos2) std::swap(_Storage[iPos1 - 1], _Storage[iPos2 - 1]);
}

void QARRawCollVARTYPE::FillArray(VARTYPE* ioArray, int iMaxSize) const {
  if (!ioArray || iMaxSize < 1) return;
  const int count = std::min(iMaxSize, _Size);
  std::copy(_Storage, _Storage + count, ioArray);
}

void QARRawCollVARTYPE::Intersection(const QARRawCollVARTYPE& iFirst, const QARRawCollVARTYPE& iSecond,
                                     QARRawCollVARTYPE& ioResult) {
  if (&iFirst == &iSecond) {
    ioResult.Append(iFirst);
    return;
  }
  if (iFirst._Size == 0 || iSecond._Size == 0) return;
  // The count is read once so that a result that is also the first collection
  // only receives the values it held at the start.
  const int count = iFirst._Size;
  for (int pos = 1; pos <= count; ++pos) {
    const VARTYPE value = iFirst._Storage[pos - 1];
    if (iSecond.Locate(value, 1)) ioResult.Append(value);
  }
}

VARTYPE* QARRawCollVARTYPE::Storage() const { return _Storage; }

void QARRawCollVARTYPE::GetStorage(int iCount, VARTYPE*& oStorage) {
  oStorage = iCount > 0 ? new VARTYPE[iCount]() : nullptr;
}

void QARRawCollVARTYPE::FreeStorage(VARTYPE*& ioStorage) {
  if (ioStorage) {
    delete[] ioStorage;
    ioStorage = nullptr;
  }
}

void QARRawCollVARTYPE::_GrowForOneMore() { _Reallocate(_Allocated == 0 ? 1 : 2 * _Allocated); }

void QARRawCollVARTYPE::_Reallocate(int iCapacity) {
  VARTYPE* grown = nullptr;
  GetStorage(iCapacity, grown);
  std::copy(_Storage, _Storage + _Size, grown);
  FreeStorage(_Storage);
  _Storage = grown;
  _Allocated = iCapacity;
}
