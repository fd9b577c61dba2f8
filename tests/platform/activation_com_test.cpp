// Class objects and activation on the local machine.
#include <gtest/gtest.h>

#include <thread>

#include "com_test_objects.h"

using namespace com_test;

namespace {

class Activation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, com_.Result());
    ASSERT_EQ(S_OK, registration_.Result());
  }
  void TearDown() override { EXPECT_EQ(0, TestObject::Live()); }

  HRESULT Create(REFCLSID clsid, REFIID iid, void** object, DWORD context = CLSCTX_INPROC_SERVER) {
    return CoCreateInstance(clsid, nullptr, context, iid, object);
  }

  ComScope com_{COINIT_APARTMENTTHREADED};
  TestFactory factory_;
  ClassRegistration registration_{TestClassId(11), &factory_};
};

}  // namespace

TEST(ActivationOutsideCom, EveryEntryPointFailsWithNotInitialized) {
  std::thread([] {
    TestFactory factory;
    DWORD cookie = 1;
    EXPECT_EQ(CO_E_NOTINITIALIZED,
              CoRegisterClassObject(TestClassId(10), &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
    EXPECT_EQ(1u, factory.References());
    void* object = &factory;
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstance(TestClassId(10), nullptr, CLSCTX_ALL, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoGetClassObject(TestClassId(10), CLSCTX_ALL, nullptr, IID_IUnknown, &object));
    MULTI_QI result = {&IID_IUnknown, nullptr, S_OK};
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstanceEx(TestClassId(10), nullptr, CLSCTX_ALL, nullptr, 1, &result));
  }).join();
}

TEST_F(Activation, RegistrationHoldsTheClassObjectUntilTheRegisteringApartmentRevokes) {
  EXPECT_EQ(2u, factory_.References());
  const DWORD cookie = registration_.Cookie();
  std::thread([cookie] {
    ComScope other(COINIT_MULTITHREADED);
    EXPECT_EQ(RPC_E_WRONG_THREAD, CoRevokeClassObject(cookie));
  }).join();
  EXPECT_EQ(S_OK, CoRevokeClassObject(cookie));
  EXPECT_EQ(1u, factory_.References());
  EXPECT_EQ(E_INVALIDARG, CoRevokeClassObject(cookie));
  void* object = nullptr;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, Create(TestClassId(11), IID_IUnknown, &object));
}

TEST_F(Activation, CreatesThroughTheRegisteredFactory) {
  com_ptr<ITestCounter> counter;
  ASSERT_EQ(S_OK, Create(TestClassId(11), IID_ITestCounter, counter.put_void()));
  LONG value = 0;
  EXPECT_EQ(S_OK, counter->Increment(&value));
  EXPECT_EQ(1, value);
  EXPECT_EQ(1, factory_.Created());

  com_ptr<IClassFactory> class_object;
  ASSERT_EQ(S_OK, CoGetClassObject(TestClassId(11), CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   class_object.put_void()));
  EXPECT_EQ(static_cast<IClassFactory*>(&factory_), class_object.get());
}

TEST_F(Activation, FailuresLeaveNothingBehind) {
  void* object = &factory_;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, Create(TestClassId(12), IID_IUnknown, &object, CLSCTX_ALL));
  EXPECT_EQ(nullptr, object);
  object = &factory_;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoGetClassObject(TestClassId(12), CLSCTX_ALL, nullptr, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
  object = &factory_;
  EXPECT_EQ(E_NOINTERFACE, Create(TestClassId(11), IID_ITestMissing, &object));
  EXPECT_EQ(nullptr, object);
  // A class registered for in-process use is not a local server.
  EXPECT_EQ(REGDB_E_CLASSNOTREG, Create(TestClassId(11), IID_IUnknown, &object, CLSCTX_LOCAL_SERVER));

  EXPECT_EQ(E_POINTER, Create(TestClassId(11), IID_IUnknown, nullptr));
  EXPECT_EQ(E_INVALIDARG, CoGetClassObject(TestClassId(11), CLSCTX_INPROC_SERVER, nullptr, IID_IUnknown, nullptr));
  MULTI_QI result = {&IID_IUnknown, nullptr, S_OK};
  EXPECT_EQ(E_INVALIDARG, CoCreateInstanceEx(TestClassId(11), nullptr, CLSCTX_INPROC_SERVER, nullptr, 0, &result));
  DWORD cookie = 0;
  EXPECT_EQ(E_INVALIDARG, CoRegisterClassObject(TestClassId(13), nullptr, CLSCTX_INPROC_SERVER, 0, &cookie));
  EXPECT_EQ(E_INVALIDARG, CoRegisterClassObject(TestClassId(13), &factory_, CLSCTX_INPROC_SERVER, 0, nullptr));
  EXPECT_EQ(2u, factory_.References());
}

TEST_F(Activation, MultiQueryReportsWhichInterfacesWereFound) {
  MULTI_QI some[3] = {{&IID_ITestCounter, nullptr, E_FAIL}, {&IID_ITestMissing, nullptr, E_FAIL},
                      {&IID_IUnknown, nullptr, E_FAIL}};
  ASSERT_EQ(CO_S_NOTALLINTERFACES, CoCreateInstanceEx(TestClassId(11), nullptr, CLSCTX_INPROC_SERVER, nullptr, 3, some));
  EXPECT_EQ(S_OK, some[0].hr);
  EXPECT_EQ(E_NOINTERFACE, some[1].hr);
  EXPECT_EQ(nullptr, some[1].pItf);
  EXPECT_EQ(S_OK, some[2].hr);
  LONG value = 0;
  static_cast<ITestCounter*>(some[0].pItf)->Increment(&value);
  com_ptr<ITestCounter> same;
  ASSERT_EQ(S_OK, some[2].pItf->QueryInterface(IID_ITestCounter, same.put_void()));
  same->Increment(&value);
  EXPECT_EQ(2, value);  // both entries reach one object
  same.reset();
  some[0].pItf->Release();
  some[2].pItf->Release();

  MULTI_QI all[1] = {{&IID_ITestCounter, nullptr, E_FAIL}};
  ASSERT_EQ(S_OK, CoCreateInstanceEx(TestClassId(11), nullptr, CLSCTX_INPROC_SERVER, nullptr, 1, all));
  all[0].pItf->Release();

  IUnknown* stale = &factory_;
  MULTI_QI none[2] = {{&IID_ITestMissing, stale, S_OK}, {&IID_IClassFactory, stale, S_OK}};
  EXPECT_EQ(E_NOINTERFACE, CoCreateInstanceEx(TestClassId(11), nullptr, CLSCTX_INPROC_SERVER, nullptr, 2, none));
  for (const MULTI_QI& entry : none) {
    EXPECT_EQ(E_NOINTERFACE, entry.hr);
    EXPECT_EQ(nullptr, entry.pItf);
  }

  MULTI_QI unknown = {&IID_IUnknown, stale, S_OK};
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstanceEx(TestClassId(12), nullptr, CLSCTX_INPROC_SERVER, nullptr, 1, &unknown));
  EXPECT_EQ(nullptr, unknown.pItf);
}

TEST_F(Activation, TheOuterObjectReachesTheFactory) {
  TestObject* outer = new TestObject;
  MULTI_QI result = {&IID_IUnknown, nullptr, S_OK};
  EXPECT_EQ(CLASS_E_NOAGGREGATION,
            CoCreateInstanceEx(TestClassId(11), outer, CLSCTX_INPROC_SERVER, nullptr, 1, &result));
  EXPECT_EQ(static_cast<IUnknown*>(outer), factory_.OfferedOuter());
  outer->Release();
}
