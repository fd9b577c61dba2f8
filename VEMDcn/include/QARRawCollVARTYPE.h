// A growable array of VARTYPE values, 1-based, in the style of the host's raw
// collections. It has code of its own so that it carries 16-bit values without
// boxing them into pointers.
#pragma once

#include <oaidl.h>

#include "QARCollecRoot.h"
#include "VEMDcnExport.h"

class VEMDCN_EXPORT QARRawCollVARTYPE : public QARCollecRoot {
 public:
  QARRawCollVARTYPE(int iInitAlloc = 0);
  QARRawCollVARTYPE(const QARRawCollVARTYPE& iCopy);
  QARRawCollVARTYPE(const VARTYPE* iArray, int iSize);
  virtual ~QARRawCollVARTYPE();

  QARRawCollVARTYPE& operator=(const QARRawCollVARTYPE& iCopy);
  int operator==(const QARRawCollVARTYPE& iOther) const;
  int operator!=(const QARRawCollVARTYPE& iOther) const;

  // Positions run from 1 to Size().
  VARTYPE& operator[](int iPos);
  VARTYPE operator[](int iPos) const;

  int Size() const;
  void Size(int iSize);
  void Size(int iSize, VARTYPE iFiller);

  void Append(VARTYPE iValue);
  void Append(const QARRawCollVARTYPE& iOther);
  void InsertAt(int iPos, VARTYPE iValue);

  // Position of the first value equal to iValue at or after iStart, 0 if none.
  int Locate(VARTYPE iValue, int iStart = 1) const;
  int NbOccur(VARTYPE iValue) const;

  void RemovePosition(int iPos);
  int RemoveValue(VARTYPE iValue);
  int Remove(const QARRawCollVARTYPE& iOther);
  void RemoveAll(QARCollec::MemoryHandling iMemoryHandling);
  int RemoveNulls();
  int RemoveDuplicates(QARRawCollVARTYPE* oExtract = nullptr);

  void Swap(int iPos1, int iPos2);
  void FillArray(VARTYPE* ioArray, int iMaxSize) const;

  // Appends to ioResult every value of iFirst that also occurs in iSecond.
  static void Intersection(const QARRawCollVARTYPE& iFirst, const QARRawCollVARTYPE& iSecond,
                           QARRawCollVARTYPE& ioResult);

 protected:
  VARTYPE* Storage() const;
  void GetStorage(int iCount, VARTYPE*& oStorage);
  void FreeStorage(VARTYPE*& ioStorage);

 private:
  void _GrowForOneMore();
  void _Reallocate(int iCapacity);
  int _Precondition(bool iHolds, const char* iMessage) const;

  int _Size;
  int _Allocated;
  VARTYPE* _Storage;
};
