#include "QARBaseUnknown.h"

#include <cstdlib>

#include "QARInternal.h"

QARBaseUnknown::QARBaseUnknown() : _RefCount(1) {}

QARBaseUnknown::QARBaseUnknown(const QARBaseUnknown&) : IUnknown(), _RefCount(1) {}

QARBaseUnknown& QARBaseUnknown::operator=(const QARBaseUnknown&) { return *this; }

QARBaseUnknown::~QARBaseUnknown() = default;

HRESULT STDMETHODCALLTYPE QARBaseUnknown::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
  AddRef();
  *object = static_cast<IUnknown*>(this);
  return S_OK;
}

ULONG STDMETHODCALLTYPE QARBaseUnknown::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&_RefCount)); }

ULONG STDMETHODCALLTYPE QARBaseUnknown::Release() {
  const LONG remaining = InterlockedDecrement(&_RefCount);
  if (remaining == 0) delete this;
  return static_cast<ULONG>(remaining);
}

HRESULT STDMETHODCALLTYPE QARBaseUnknown::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE QARBaseUnknown::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) {
  if (typeInfo != nullptr) *typeInfo = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE QARBaseUnknown::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, LONG*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE QARBaseUnknown::Invoke(LONG, REFIID, LCID, WORD, tagDISPPARAMS*, VARIANT*, tagEXCEPINFO*,
                                                 UINT*) {
  return E_NOTIMPL;
}

HRESULT QARBaseUnknown::QueryInterface(const char* className, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (className == nullptr || !IsAKindOf(className)) return E_NOINTERFACE;
  AddRef();
  *object = this;
  return S_OK;
}

QARMetaClass* QARBaseUnknown::GetMetaObject() const { return MetaObject(); }

const char* QARBaseUnknown::IsA() const { return GetMetaObject()->IsA(); }

int QARBaseUnknown::IsAKindOf(const char* className) const { return GetMetaObject()->IsAKindOf(className); }

QARBaseUnknown* QARBaseUnknown::GetImpl() { return this; }

HRESULT QARBaseUnknown::SetImpl(QARBaseUnknown*) { return E_NOTIMPL; }

int QARBaseUnknown::IsNull() const { return 0; }

int QARBaseUnknown::IsEqual(const QARBaseUnknown* other) const { return other == this ? 1 : 0; }

HRESULT QARBaseUnknown::ChangeComponentState(int) { return S_OK; }

QARMetaClass* QARBaseUnknown::MetaObject() {
  static QARMetaClass* const meta =
      fct_RetrieveMetaObject("QARBaseUnknown", QARAbstractClass, nullptr, "QARNull", "QAR", sizeof(QARBaseUnknown));
  return meta;
}

const GUID& QARBaseUnknown::ClassId() { return MetaObject()->GetClassId(); }

const char* QARBaseUnknown::ClassName() { return MetaObject()->IsA(); }

QARBaseUnknown* QARBaseUnknown::CreateItself() { return nullptr; }

ULONG QARBaseUnknown::GetRefCount() const {
  return static_cast<ULONG>(InterlockedCompareExchange(const_cast<LONG volatile*>(&_RefCount), 0, 0));
}

void* QARBaseUnknown::operator new(size_t size) noexcept {
  if (qar_detail::RefuseAllocation()) return nullptr;
  return std::malloc(size);
}

void* QARBaseUnknown::operator new(size_t size, const std::nothrow_t&) noexcept { return operator new(size); }

void QARBaseUnknown::operator delete(void* memory) noexcept { std::free(memory); }

void QARBaseUnknown::operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
