// The members of a typed pointer list: each forwards to the QARRawCollPV
// member of the same name, the element travelling as an untyped pointer.
// Both of the library's pointer lists are defined with it, so they cannot
// drift apart.
#pragma once

#include "QARRawCollPV.h"

namespace QARListPtrDetail {

// QARRawCollPV sorts and compares with a function of untyped pointers; the
// typed function in use is kept per thread for the duration of the call.
template <class Element>
struct TypedCompare {
  typedef int (*Function)(Element*, Element*);

  static Function& Current() {
    static thread_local Function current = nullptr;
    return current;
  }
  static int Untyped(void* iFirst, void* iSecond) {
    return Current()(static_cast<Element*>(iFirst), static_cast<Element*>(iSecond));
  }

  // Installs a typed function and restores the previous one on exit, so that
  // a comparison may itself sort another list.
  class Scope {
   public:
    explicit Scope(Function iFunction) : _Previous(Current()) { Current() = iFunction; }
    ~Scope() { Current() = _Previous; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    Function _Previous;
  };
};

}  // namespace QARListPtrDetail

#define QAR_DEFINE_LIST_PTR(List, Element)                                                                  \
  List::List(int iInitAlloc) : QARRawCollPV(iInitAlloc) {}                                                  \
  List::List(const List& iCopy) : QARRawCollPV(iCopy) {}                                                    \
  List::List(Element* const* iArray, int iSize) : QARRawCollPV(iArray && iSize > 0 ? iSize : 0) {          \
    for (int i = 0; iArray && i < iSize; ++i) QARRawCollPV::Append(iArray[i]);                              \
  }                                                                                                         \
  List::~List() {}                                                                                          \
  List& List::operator=(const List& iCopy) {                                                                \
    if (this != &iCopy) QARRawCollPV::operator=(iCopy);                                                     \
    return *this;                                                                                           \
  }                                                                                                         \
  int List::operator==(const List& iOther) const { return QARRawCollPV::operator==(iOther); }              \
  int List::operator!=(const List& iOther) const { return QARRawCollPV::operator!=(iOther); }              \
  Element*& List::operator[](int iPos) { return reinterpret_cast<Element*&>(QARRawCollPV::operator[](iPos)); } \
  Element* List::operator[](int iPos) const {                                                               \
    return static_cast<Element*>(QARRawCollPV::operator[](iPos));                                           \
  }                                                                                                         \
  int List::Size() const { return QARRawCollPV::Size(); }                                                   \
  void List::Size(int iSize) { QARRawCollPV::Size(iSize, nullptr); }                                       \
  int List::Append(Element* iElement) { return QARRawCollPV::Append(iElement); }                            \
  int List::Append(const List& iOther) { return QARRawCollPV::Append(iOther); }                             \
  int List::InsertAt(int iPos, Element* iElement) { return QARRawCollPV::InsertAt(iPos, iElement); }        \
  int List::Locate(Element* iElement, int iStart) const { return QARRawCollPV::Locate(iElement, iStart); }  \
  int List::NbOccur(Element* iElement) const { return QARRawCollPV::NbOccur(iElement); }                    \
  int List::RemoveValue(Element* iElement) { return QARRawCollPV::RemoveValue(iElement); }                  \
  int List::Remove(const List& iOther) { return QARRawCollPV::Remove(iOther); }                             \
  void List::RemovePosition(int iPos) { QARRawCollPV::RemovePosition(iPos); }                               \
  int List::RemovePosition(int iPos, unsigned int iCount) { return QARRawCollPV::RemovePosition(iPos, iCount); } \
  void List::RemoveAll(QARCollec::MemoryHandling iMemoryHandling) { QARRawCollPV::RemoveAll(iMemoryHandling); } \
  int List::RemoveNulls() { return QARRawCollPV::RemoveNulls(); }                                          \
  int List::RemoveDuplicates(List* oExtract) { return QARRawCollPV::RemoveDuplicates(oExtract); }           \
  void List::Swap(int iPos1, int iPos2) { QARRawCollPV::Swap(iPos1, iPos2); }                               \
  void List::QuickSort(CompareFunction iCompare) {                                                          \
    QARListPtrDetail::TypedCompare<Element>::Scope scope(iCompare);                                         \
    QARRawCollPV::QuickSort(&QARListPtrDetail::TypedCompare<Element>::Untyped);                             \
  }                                                                                                         \
  void List::FillArray(Element** ioArray, int iMaxSize) const {                                             \
    const int count = iMaxSize < Size() ? iMaxSize : Size();                                                \
    for (int pos = 1; ioArray && pos <= count; ++pos) ioArray[pos - 1] = (*this)[pos];                      \
  }                                                                                                         \
  void List::Intersection(const List& iFirst, const List& iSecond, List& ioResult) {                        \
    QARRawCollPV::Intersection(iFirst, iSecond, ioResult);                                                  \
  }                                                                                                         \
  int List::Compare(const List& iFirst, const List& iSecond, CompareFunction iCompare) {                    \
    QARListPtrDetail::TypedCompare<Element>::Scope scope(iCompare);                                         \
    return QARRawCollPV::Compare(iFirst, iSecond, &QARListPtrDetail::TypedCompare<Element>::Untyped);       \
  }
