// Class objects and activation on the local machine.
#include <gtest/gtest.h>

#include <thread>

#include "com_test_objects.h"

using namespace com_test;

namespace {

class Activation : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(S_OK, com_.Result()); }
  void TearDown() override { EXPECT_EQ(0, TestObject::Live()); }

  ComScope com_{COINIT_APARTMENTTHREADED};
  TestFactory factory_;
};

LONG IncrementThrough(IUnknown* object) {
  Ref<ITestCounter> counter;
  if (FAILED(object->QueryInterface(IID_ITestCounter, counter.ReceiveVoid()))) return -1;
  LONG value = 0;
  counter->Increment(&value);
  return value;
}

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
    object = &factory;
    EXPECT_EQ(CO_E_NOTINITIALIZED,
              CoGetClassObject(TestClassId(10), CLSCTX_ALL, nullptr, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    MULTI_QI result = {&IID_IUnknown, nullptr, S_OK};
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstanceEx(TestClassId(10), nullptr, CLSCTX_ALL, nullptr, 1, &result));
    EXPECT_EQ(nullptr, result.pItf);
  }).join();
}

TEST_F(Activation, RegistrationHoldsTheClassObjectUntilRevoked) {
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, CoRegisterClassObject(TestClassId(11), &factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
  EXPECT_NE(0u, cookie);
  EXPECT_EQ(2u, factory_.References());
  EXPECT_EQ(S_OK, CoRevokeClassObject(cookie));
  EXPECT_EQ(1u, factory_.References());
  EXPECT_EQ(CO_E_OBJNOTREG, CoRevokeClassObject(cookie));
  IUnknown* object = nullptr;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(TestClassId(11), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                                  reinterpret_cast<void**>(&object)));
}

TEST_F(Activation, CreatesThroughTheRegisteredFactory) {
  ClassRegistration registration(TestClassId(12), &factory_);
  ASSERT_EQ(S_OK, registration.Result());
  Ref<ITestCounter> counter;
  ASSERT_EQ(S_OK, CoCreateInstance(TestClassId(12), nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                                   counter.ReceiveVoid()));
  LONG value = 0;
  EXPECT_EQ(S_OK, counter->Increment(&value));
  EXPECT_EQ(1, value);
  EXPECT_EQ(1, factory_.Created());
  EXPECT_EQ(1, TestObject::Live());

  Ref<IClassFactory> class_object;
  ASSERT_EQ(S_OK, CoGetClassObject(TestClassId(12), CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   class_object.ReceiveVoid()));
  EXPECT_EQ(static_cast<IClassFactory*>(&factory_), class_object.Get());
}

TEST_F(Activation, UnknownClassOrInterfaceLeavesNothingBehind) {
  ClassRegistration registration(TestClassId(13), &factory_);
  ASSERT_EQ(S_OK, registration.Result());
  void* object = &factory_;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(TestClassId(14), nullptr, CLSCTX_ALL, IID_IUnknown, &object));
  EXPECT_EQ(nullptr, object);
  object = &factory_;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoGetClassObject(TestClassId(14), CLSCTX_ALL, nullptr, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
  object = &factory_;
  EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(TestClassId(13), nullptr, CLSCTX_INPROC_SERVER, IID_ITestMissing, &object));
  EXPECT_EQ(nullptr, object);
}

TEST_F(Activation, NullArgumentsAreRefused) {
  ClassRegistration registration(TestClassId(15), &factory_);
  ASSERT_EQ(S_OK, registration.Result());
  EXPECT_EQ(E_POINTER, CoCreateInstance(TestClassId(15), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr));
  EXPECT_EQ(E_INVALIDARG, CoGetClassObject(TestClassId(15), CLSCTX_INPROC_SERVER, nullptr, IID_IUnknown, nullptr));
  MULTI_QI result = {&IID_IUnknown, nullptr, S_OK};
  EXPECT_EQ(E_INVALIDARG, CoCreateInstanceEx(TestClassId(15), nullptr, CLSCTX_INPROC_SERVER, nullptr, 0, &result));
  EXPECT_EQ(E_INVALIDARG, CoCreateInstanceEx(TestClassId(15), nullptr, CLSCTX_INPROC_SERVER, nullptr, 1, nullptr));
  DWORD cookie = 0;
  EXPECT_EQ(E_INVALIDARG, CoRegisterClassObject(TestClassId(16), nullptr, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                                &cookie));
  EXPECT_EQ(E_INVALIDARG, CoRegisterClassObject(TestClassId(16), &factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                                nullptr));
  EXPECT_EQ(2u, factory_.References());
}

TEST_F(Activation, MultiQueryReportsWhichInterfacesWereFound) {
  ClassRegistration registration(TestClassId(17), &factory_);
  ASSERT_EQ(S_OK, registration.Result());

  MULTI_QI all[2] = {{&IID_ITestCounter, nullptr, E_FAIL}, {&IID_IUnknown, nullptr, E_FAIL}};
  ASSERT_EQ(S_OK, CoCreateInstanceEx(TestClassId(17), nullptr, CLSCTX_INPROC_SERVER, nullptr, 2, all));
  EXPECT_EQ(S_OK, all[0].hr);
  EXPECT_EQ(S_OK, all[1].hr);
  EXPECT_EQ(1, IncrementThrough(all[0].pItf));
  EXPECT_EQ(2, IncrementThrough(all[1].pItf));  // the same object
  all[0].pItf->Release();
  all[1].pItf->Release();

  MULTI_QI some[3] = {{&IID_ITestCounter, nullptr, E_FAIL}, {&IID_ITestMissing, nullptr, E_FAIL},
                      {&IID_IUnknown, nullptr, E_FAIL}};
  ASSERT_EQ(CO_S_NOTALLINTERFACES, CoCreateInstanceEx(TestClassId(17), nullptr, CLSCTX_INPROC_SERVER, nullptr, 3, some));
  EXPECT_EQ(S_OK, some[0].hr);
  EXPECT_EQ(E_NOINTERFACE, some[1].hr);
  EXPECT_EQ(nullptr, some[1].pItf);
  EXPECT_EQ(S_OK, some[2].hr);
  some[0].pItf->Release();
  some[2].pItf->Release();
  EXPECT_EQ(0, TestObject::Live());

  IUnknown* stale = &factory_;
  MULTI_QI none[2] = {{&IID_ITestMissing, stale, S_OK}, {&IID_IClassFactory, stale, S_OK}};
  EXPECT_EQ(E_NOINTERFACE, CoCreateInstanceEx(TestClassId(17), nullptr, CLSCTX_INPROC_SERVER, nullptr, 2, none));
  for (const MULTI_QI& entry : none) {
    EXPECT_EQ(E_NOINTERFACE, entry.hr);
    EXPECT_EQ(nullptr, entry.pItf);
  }

  MULTI_QI unknown = {&IID_IUnknown, stale, S_OK};
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstanceEx(TestClassId(18), nullptr, CLSCTX_INPROC_SERVER, nullptr, 1, &unknown));
  EXPECT_EQ(nullptr, unknown.pItf);
  EXPECT_TRUE(FAILED(unknown.hr));
}

TEST_F(Activation, TheOuterObjectReachesTheFactory) {
  ClassRegistration registration(TestClassId(19), &factory_);
  ASSERT_EQ(S_OK, registration.Result());
  TestObject* outer = new TestObject;
  void* object = nullptr;
  EXPECT_EQ(CLASS_E_NOAGGREGATION, CoCreateInstance(TestClassId(19), outer, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
  EXPECT_EQ(static_cast<IUnknown*>(outer), factory_.OfferedOuter());
  outer->Release();

  TestFactory other_factory;
  ClassRegistration other_registration(TestClassId(21), &other_factory);
  ASSERT_EQ(S_OK, other_registration.Result());
  outer = new TestObject;
  MULTI_QI result = {&IID_IUnknown, nullptr, S_OK};
  EXPECT_EQ(CLASS_E_NOAGGREGATION,
            CoCreateInstanceEx(TestClassId(21), outer, CLSCTX_INPROC_SERVER, nullptr, 1, &result));
  EXPECT_EQ(static_cast<IUnknown*>(outer), other_factory.OfferedOuter());
  outer->Release();
}

TEST_F(Activation, TheClassContextMustMatchTheRegistration) {
  ClassRegistration registration(TestClassId(20), &factory_, CLSCTX_INPROC_SERVER);
  ASSERT_EQ(S_OK, registration.Result());
  void* object = nullptr;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(TestClassId(20), nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object));
  ASSERT_EQ(S_OK, CoCreateInstance(TestClassId(20), nullptr, CLSCTX_ALL, IID_IUnknown, &object));
  static_cast<IUnknown*>(object)->Release();
}
