// QARBaseUnknown: root of the framework's object model. Objects are
// reference counted (interlocked, so references may be taken and dropped on
// any thread), describe their class through a meta-class, and answer the
// COM IUnknown contract.
//
// An object starts with one reference, its creator's; Release deletes it when
// the last reference goes. Objects are allocated with the framework's
// allocation operator, which returns null instead of throwing when memory is
// short, so `new` of a framework class must be checked.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <new>

#include "QARMetaClass.h"
#include "VEMDcnExport.h"

struct ITypeInfo;
struct tagDISPPARAMS;
struct tagEXCEPINFO;

class VEMDCN_EXPORT QARBaseUnknown : public IUnknown {
 public:
  QARBaseUnknown();
  // A copy is a new object with a reference count of its own (one).
  QARBaseUnknown(const QARBaseUnknown& other);
  QARBaseUnknown& operator=(const QARBaseUnknown& other);

  // The interface part. QueryInterface answers IID_IUnknown only.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // Automation: framework objects publish no type information, so these
  // report a count of 0 and E_NOTIMPL.
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count);
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo);
  virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                                  LONG* dispatchIds);
  virtual HRESULT STDMETHODCALLTYPE Invoke(LONG dispatchId, REFIID riid, LCID locale, WORD flags,
                                           tagDISPPARAMS* parameters, VARIANT* result, tagEXCEPINFO* exception,
                                           UINT* argumentError);
  // By class name: succeeds (with a new reference) when the object is a kind
  // of that class, else E_NOINTERFACE.
  virtual HRESULT QueryInterface(const char* className, void** object);

  virtual ~QARBaseUnknown();

  virtual QARMetaClass* GetMetaObject() const;
  // The class name of the object's meta-class.
  virtual const char* IsA() const;
  // 1 when the object's class or one of its ancestors has this name.
  virtual int IsAKindOf(const char* className) const;

  // An object is its own implementation; delegation is not supported.
  virtual QARBaseUnknown* GetImpl();
  virtual HRESULT SetImpl(QARBaseUnknown* implementation);
  // 0: a live object is never the null object.
  virtual int IsNull() const;
  // 1 when other is this object.
  virtual int IsEqual(const QARBaseUnknown* other) const;
  // Components without states accept every state change.
  virtual HRESULT ChangeComponentState(int state);

  static QARMetaClass* MetaObject();
  static const GUID& ClassId();
  static const char* ClassName();
  // Classes that cannot be created by name return null.
  static QARBaseUnknown* CreateItself();

  // The current number of references (for diagnostics and tests).
  ULONG GetRefCount() const;

  // The framework's allocation operator.
  static void* operator new(size_t size) noexcept;
  static void* operator new(size_t size, const std::nothrow_t&) noexcept;
  static void* operator new(size_t, void* where) noexcept { return where; }
  static void operator delete(void* memory) noexcept;
  static void operator delete(void* memory, const std::nothrow_t&) noexcept;
  static void operator delete(void*, void*) noexcept {}

 private:
  volatile LONG _RefCount;
};

// A handle on a framework object: holds one reference while it points to it.
class QARBaseUnknown_var {
 public:
  QARBaseUnknown_var() noexcept : _Object(nullptr) {}
  // Takes a reference of its own; the caller keeps its reference.
  QARBaseUnknown_var(QARBaseUnknown* object) noexcept : _Object(object) {  // NOLINT: handles convert from pointers
    if (_Object != nullptr) _Object->AddRef();
  }
  QARBaseUnknown_var(const QARBaseUnknown_var& other) noexcept : QARBaseUnknown_var(other._Object) {}
  QARBaseUnknown_var(QARBaseUnknown_var&& other) noexcept : _Object(other._Object) { other._Object = nullptr; }
  ~QARBaseUnknown_var() { Reset(); }

  QARBaseUnknown_var& operator=(const QARBaseUnknown_var& other) noexcept { return *this = other._Object; }
  QARBaseUnknown_var& operator=(QARBaseUnknown_var&& other) noexcept {
    if (this != &other) {
      Reset();
      _Object = other._Object;
      other._Object = nullptr;
    }
    return *this;
  }
  QARBaseUnknown_var& operator=(QARBaseUnknown* object) noexcept {
    if (object != nullptr) object->AddRef();  // first, in case object is the one held
    Reset();
    _Object = object;
    return *this;
  }

  QARBaseUnknown* operator->() const noexcept { return _Object; }
  operator QARBaseUnknown*() const noexcept { return _Object; }  // NOLINT
  QARBaseUnknown* GetPointer() const noexcept { return _Object; }
  bool IsNull() const noexcept { return _Object == nullptr; }

  // Takes over a reference the caller owns, without adding one.
  void Attach(QARBaseUnknown* object) noexcept {
    Reset();
    _Object = object;
  }
  // Gives the held reference to the caller.
  QARBaseUnknown* Detach() noexcept {
    QARBaseUnknown* object = _Object;
    _Object = nullptr;
    return object;
  }
  void Reset() noexcept {
    if (_Object != nullptr) {
      QARBaseUnknown* object = _Object;
      _Object = nullptr;
      object->Release();
    }
  }

 private:
  QARBaseUnknown* _Object;
};
