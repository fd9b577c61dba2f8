// A list of pointers to item records, 1-based. The list never creates, copies
// or deletes the items it points to; null elements are allowed.
#pragma once

#include "QARRawCollPV.h"
#include "VEMDcnExport.h"

class VEMDcnOpcItem;

class VEMDCN_EXPORT QARListPtrVEMDcnOpcItem : public QARRawCollPV {
 public:
  typedef VEMDcnOpcItem Element;
  // Orders two elements: negative, zero or positive.
  typedef int (*CompareFunction)(VEMDcnOpcItem* iFirst, VEMDcnOpcItem* iSecond);

  QARListPtrVEMDcnOpcItem(int iInitAlloc = 0);
  QARListPtrVEMDcnOpcItem(const QARListPtrVEMDcnOpcItem& iCopy);
  QARListPtrVEMDcnOpcItem(VEMDcnOpcItem* const* iArray, int iSize);
  virtual ~QARListPtrVEMDcnOpcItem();

  QARListPtrVEMDcnOpcItem& operator=(const QARListPtrVEMDcnOpcItem& iCopy);
  int operator==(const QARListPtrVEMDcnOpcItem& iOther) const;
  int operator!=(const QARListPtrVEMDcnOpcItem& iOther) const;

  VEMDcnOpcItem*& operator[](int iPos);
  VEMDcnOpcItem* operator[](int iPos) const;

  int Size() const;
  // Positions added by growing hold null pointers.
  void Size(int iSize);

  int Append(VEMDcnOpcItem* iElement);
  int Append(const QARListPtrVEMDcnOpcItem& iOther);
  int InsertAt(int iPos, VEMDcnOpcItem* iElement);

  int Locate(VEMDcnOpcItem* iElement, int iStart = 1) const;
  int NbOccur(VEMDcnOpcItem* iElement) const;

  int RemoveValue(VEMDcnOpcItem* iElement);
  int Remove(const QARListPtrVEMDcnOpcItem& iOther);
  void RemovePosition(int iPos);
  int RemovePosition(int iPos, unsigned int iCount);
  void RemoveAll(QARCollec::MemoryHandling iMemoryHandling = QARCollec::ReleaseStorage);
  int RemoveNulls();
  int RemoveDuplicates(QARListPtrVEMDcnOpcItem* oExtract = nullptr);

  void Swap(int iPos1, int iPos2);
  void QuickSort(CompareFunction iCompare);
  void FillArray(VEMDcnOpcItem** ioArray, int iMaxSize) const;

  static void Intersection(const QARListPtrVEMDcnOpcItem& iFirst, const QARListPtrVEMDcnOpcItem& iSecond,
                           QARListPtrVEMDcnOpcItem& ioResult);
  static int Compare(const QARListPtrVEMDcnOpcItem& iFirst, const QARListPtrVEMDcnOpcItem& iSecond,
                     CompareFunction iCompare);
};
