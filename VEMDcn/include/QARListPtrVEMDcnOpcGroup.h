// A list of pointers to group records, 1-based. The list never creates, copies
// or deletes the groups it points to; null elements are allowed.
#pragma once

#include "QARRawCollPV.h"
#include "VEMDcnExport.h"

class VEMDcnOpcGroup;

class VEMDCN_EXPORT QARListPtrVEMDcnOpcGroup : public QARRawCollPV {
 public:
  typedef VEMDcnOpcGroup Element;
  // Orders two elements: negative, zero or positive.
  typedef int (*CompareFunction)(VEMDcnOpcGroup* iFirst, VEMDcnOpcGroup* iSecond);

  QARListPtrVEMDcnOpcGroup(int iInitAlloc = 0);
  QARListPtrVEMDcnOpcGroup(const QARListPtrVEMDcnOpcGroup& iCopy);
  QARListPtrVEMDcnOpcGroup(VEMDcnOpcGroup* const* iArray, int iSize);
  virtual ~QARListPtrVEMDcnOpcGroup();

  QARListPtrVEMDcnOpcGroup& operator=(const QARListPtrVEMDcnOpcGroup& iCopy);
  int operator==(const QARListPtrVEMDcnOpcGroup& iOther) const;
  int operator!=(const QARListPtrVEMDcnOpcGroup& iOther) const;

  VEMDcnOpcGroup*& operator[](int iPos);
  VEMDcnOpcGroup* operator[](int iPos) const;

  int Size() const;
  // Positions added by growing hold null pointers.
  void Size(int iSize);

  int Append(VEMDcnOpcGroup* iElement);
  int Append(const QARListPtrVEMDcnOpcGroup& iOther);
  int InsertAt(int iPos, VEMDcnOpcGroup* iElement);

  int Locate(VEMDcnOpcGroup* iElement, int iStart = 1) const;
  int NbOccur(VEMDcnOpcGroup* iElement) const;

  int RemoveValue(VEMDcnOpcGroup* iElement);
  int Remove(const QARListPtrVEMDcnOpcGroup& iOther);
  void RemovePosition(int iPos);
  int RemovePosition(int iPos, unsigned int iCount);
  void RemoveAll(QARCollec::MemoryHandling iMemoryHandling = QARCollec::ReleaseStorage);
  int RemoveNulls();
  int RemoveDuplicates(QARListPtrVEMDcnOpcGroup* oExtract = nullptr);

  void Swap(int iPos1, int iPos2);
  void QuickSort(CompareFunction iCompare);
  void FillArray(VEMDcnOpcGroup** ioArray, int iMaxSize) const;

  static void Intersection(const QARListPtrVEMDcnOpcGroup& iFirst, const QARListPtrVEMDcnOpcGroup& iSecond,
                           QARListPtrVEMDcnOpcGroup& ioResult);
  static int Compare(const QARListPtrVEMDcnOpcGroup& iFirst, const QARListPtrVEMDcnOpcGroup& iSecond,
                     CompareFunction iCompare);
};
