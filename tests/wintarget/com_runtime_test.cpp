// The COM and OLE Automation behaviour this library builds on, asserted through the
// standard API so that one test holds both for our native layer and for the real
// runtime of the windows target.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

using WideString = std::basic_string<OLECHAR>;

// Enters an apartment for its lifetime, leaving it only when entering succeeded.
class Apartment {
 public:
  explicit Apartment(DWORD model) : hr_(CoInitializeEx(nullptr, model)) {}
  ~Apartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
  HRESULT result() const { return hr_; }

 private:
  HRESULT hr_;
};

// Runs f on a thread of its own, which starts outside COM.
template <typename F>
void OnFreshThread(F f) {
  std::thread(f).join();
}

// A plain object whose reference traffic the test can see.
class CountedObject : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    ++queries;
    if (!ppv) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    ++addRefs;
    return ++refs;
  }
  STDMETHODIMP_(ULONG) Release() override {
    ++releases;
    return --refs;  // lives on the test's stack: never deleted here
  }

  std::atomic<ULONG> refs{1};
  std::atomic<int> queries{0};
  std::atomic<int> addRefs{0};
  std::atomic<int> releases{0};
};

// A class factory creating CountedObjects, registered in process as a server does.
class CountedFactory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *ppv = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    ++created;
    return product.QueryInterface(riid, ppv);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

  std::atomic<ULONG> refs{1};
  std::atomic<int> created{0};
  CountedObject product;
};

// {6A1C3E52-0B7D-4F3A-9C1E-2D5F8A7B4E10}: known to no registry.
const CLSID kCountedClass = {0x6a1c3e52, 0x0b7d, 0x4f3a, {0x9c, 0x1e, 0x2d, 0x5f, 0x8a, 0x7b, 0x4e, 0x10}};

TEST(Apartment, RepeatsAreCountedAndTheOtherModelIsRefused) {
  OnFreshThread([] {
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
    // Only the two successes are balanced; the refused call took no count.
    CoUninitialize();
    CoUninitialize();
    // Left entirely, so the thread may choose the other model now.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CoUninitialize();
  });
}

TEST(Apartment, ActivationOutsideComIsRefused) {
  OnFreshThread([] {
    IUnknown* git = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&git)),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(git, nullptr);
  });
}

TEST(Activation, FindsAClassObjectRegisteredInProcess) {
  Apartment mta(COINIT_MULTITHREADED);
  ASSERT_EQ(mta.result(), S_OK);
  CountedFactory factory;
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(kCountedClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);

  IUnknown* object = nullptr;
  ASSERT_EQ(CoCreateInstance(kCountedClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&object)),
            S_OK);
  EXPECT_EQ(object, static_cast<IUnknown*>(&factory.product));
  EXPECT_EQ(factory.created, 1);
  object->Release();

  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(factory.refs, 1u) << "the runtime keeps no reference to a revoked class object";
  EXPECT_EQ(factory.product.refs, 1u);
  EXPECT_EQ(CoCreateInstance(kCountedClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&object)),
            REGDB_E_CLASSNOTREG);
}

TEST(GlobalInterfaceTable, RoundTripKeepsIdentityAndBalancesReferences) {
  Apartment mta(COINIT_MULTITHREADED);
  ASSERT_EQ(mta.result(), S_OK);
  IGlobalInterfaceTable* git = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                             reinterpret_cast<void**>(&git)),
            S_OK);

  CountedObject object;
  DWORD cookie = 0;
  ASSERT_EQ(git->RegisterInterfaceInGlobal(&object, IID_IUnknown, &cookie), S_OK);
  EXPECT_NE(cookie, 0u);
  EXPECT_GT(object.refs, 1u) << "the table holds the object while it is registered";

  // Another thread of the same apartment gets the object itself back, not a proxy.
  OnFreshThread([&] {
    Apartment sameMta(COINIT_MULTITHREADED);
    IUnknown* back = nullptr;
    ASSERT_EQ(git->GetInterfaceFromGlobal(cookie, IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(back, static_cast<IUnknown*>(&object));
    back->Release();
  });

  EXPECT_EQ(git->RevokeInterfaceFromGlobal(cookie), S_OK);
  EXPECT_EQ(object.refs, 1u);
  EXPECT_EQ(object.addRefs.load(), object.releases.load());
  EXPECT_EQ(git->RevokeInterfaceFromGlobal(cookie), E_INVALIDARG);
  IUnknown* gone = nullptr;
  EXPECT_EQ(git->GetInterfaceFromGlobal(cookie, IID_IUnknown, reinterpret_cast<void**>(&gone)), E_INVALIDARG);
  git->Release();
}

TEST(Guid, TextHasTheRegistryForm) {
  OLECHAR text[40] = {};
  EXPECT_EQ(StringFromGUID2(CLSID_StdGlobalInterfaceTable, text, 40), 39);
  EXPECT_EQ(WideString(text), WideString(OLESTR("{00000323-0000-0000-C000-000000000046}")));
  EXPECT_EQ(StringFromGUID2(CLSID_StdGlobalInterfaceTable, text, 38), 0) << "no room for the terminator";
}

TEST(Bstr, LengthIsThePrefixNotTheFirstNul) {
  BSTR hello = SysAllocString(OLESTR("hello"));
  ASSERT_NE(hello, nullptr);
  EXPECT_EQ(SysStringLen(hello), 5u);
  EXPECT_EQ(SysStringByteLen(hello), 10u);
  EXPECT_EQ(hello[5], 0);
  SysFreeString(hello);

  BSTR withNul = SysAllocStringLen(OLESTR("a\0b"), 3);
  ASSERT_NE(withNul, nullptr);
  EXPECT_EQ(SysStringLen(withNul), 3u);
  EXPECT_EQ(withNul[2], OLECHAR('b'));
  SysFreeString(withNul);

  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
}

WideString SystemMessage(HRESULT hr, DWORD* error) {
  LPWSTR buffer = nullptr;
  SetLastError(0);
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  *error = GetLastError();
  WideString text(buffer ? buffer : OLESTR(""), length);
  LocalFree(buffer);
  return text;
}

// Windows and Wine word their system texts differently; both end a text with CR LF.
TEST(SystemMessage, KnownCodeGivesALineEndingInCrLf) {
  DWORD error = 0;
  WideString text = SystemMessage(E_FAIL, &error);
  ASSERT_GT(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), WideString(OLESTR("\r\n")));
}

TEST(SystemMessage, UnknownCodeGivesNothing) {
  DWORD error = 0;
  EXPECT_EQ(SystemMessage(static_cast<HRESULT>(0x8004ABCDu), &error), WideString());
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
}

}  // namespace
