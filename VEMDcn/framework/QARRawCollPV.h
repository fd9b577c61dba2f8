// QARRawCollPV: a growable array of untyped pointers, 1-based. The typed
// pointer lists of the library derive from it. It never creates, copies or
// deletes what its elements point to; null elements are allowed.
//
// Growth: adding one element to a full array doubles its capacity (1 when it
// had none); bulk operations allocate exactly what they need. A position
// outside the array is reported with QARFatalError ("AssertionFailed:...")
// and the call then does nothing.
#pragma once

#include <vector>

#include "QARCollecRoot.h"
#include "VEMDcnExport.h"

// Orders two elements: negative, zero or positive, as strcmp does.
typedef int (*QARPVCompareFunction)(void* first, void* second);

class VEMDCN_EXPORT QARRawCollPV : public QARCollecRoot {
 public:
  explicit QARRawCollPV(int initialAllocation = 0);
  QARRawCollPV(const QARRawCollPV& other);
  QARRawCollPV(void* const* elements, int count);
  ~QARRawCollPV() override;

  QARRawCollPV& operator=(const QARRawCollPV& other);
  // 1 when both hold the same pointers in the same order, else 0.
  int operator==(const QARRawCollPV& other) const;
  int operator!=(const QARRawCollPV& other) const;

  void*& operator[](int position);
  void* operator[](int position) const;

  int Size() const { return static_cast<int>(_Elements.size()); }
  // Positions added by growing hold the filler.
  void Size(int newSize, void* filler = nullptr);
  // Number of elements the storage holds without growing.
  int Allocated() const { return static_cast<int>(_Elements.capacity()); }

  // Both return the new size, which is the position of the last element.
  int Append(void* element);
  int Append(const QARRawCollPV& other);
  // 1 <= position <= Size() + 1; returns the position, or 0 when refused.
  int InsertAt(int position, void* element);

  // Position of the first equal element at or after start, or 0.
  int Locate(void* element, int start = 1) const;
  int NbOccur(void* element) const;

  // Removes the first equal element; returns its former position, or 0.
  int RemoveValue(void* element);
  // Removes, for each element of other in its order, the first equal element
  // still present; returns the number removed. Given the list itself, it
  // empties it, frees its storage and returns the former size.
  int Remove(const QARRawCollPV& other);
  void RemovePosition(int position);
  // Removes up to count elements from position on; returns the number removed.
  int RemovePosition(int position, unsigned int count);
  void RemoveAll(QARCollec::MemoryHandling memory = QARCollec::ReleaseStorage);
  // Removes every null element; returns the number removed.
  int RemoveNulls();
  // Keeps the first occurrence of each element; the others are appended to
  // removed (when given) in the order of removal. Returns the number removed.
  int RemoveDuplicates(QARRawCollPV* removed = nullptr);

  void Swap(int position1, int position2);
  // Stable: equal elements keep their order.
  void QuickSort(QARPVCompareFunction compare);
  // Copies the first min(maxCount, Size()) elements.
  void FillArray(void** array, int maxCount) const;

  // Appends to result every element of first that occurs in second (as often
  // as it occurs in first); result is not cleared first.
  static void Intersection(const QARRawCollPV& first, const QARRawCollPV& second, QARRawCollPV& result);
  // Compares element by element with compare, then by size.
  static int Compare(const QARRawCollPV& first, const QARRawCollPV& second, QARPVCompareFunction compare);

 private:
  bool CheckPosition(int position, int line) const;
  void GrowForOneMore();
  void EraseAt(int position);

  std::vector<void*> _Elements;
};
