// Class objects and activation on the local machine.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

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

// Runs body on a new thread in the given apartment model.
template <class Body>
void InOtherApartment(DWORD model, Body body) {
  std::thread([&] {
    ComScope com(model);
    ASSERT_EQ(S_OK, com.Result());
    body();
  }).join();
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
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoGetClassObject(TestClassId(10), CLSCTX_ALL, nullptr, IID_IUnknown, &object));
    MULTI_QI result = {&IID_IUnknown, nullptr, S_OK};
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstanceEx(TestClassId(10), nullptr, CLSCTX_ALL, nullptr, 1, &result));
  }).join();
}

TEST_F(Activation, RegistrationHoldsTheClassObjectUntilTheRegisteringApartmentRevokes) {
  EXPECT_EQ(2u, factory_.References());
  com_ptr<IClassFactory> class_object;
  ASSERT_EQ(S_OK, CoGetClassObject(TestClassId(11), CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   class_object.put_void()));
  EXPECT_EQ(static_cast<IClassFactory*>(&factory_), class_object.get());
  class_object.reset();

  const DWORD cookie = registration_.Cookie();
  InOtherApartment(COINIT_MULTITHREADED, [cookie] { EXPECT_EQ(RPC_E_WRONG_THREAD, CoRevokeClassObject(cookie)); });
  EXPECT_EQ(S_OK, CoRevokeClassObject(cookie));
  EXPECT_EQ(1u, factory_.References());
  EXPECT_EQ(E_INVALIDARG, CoRevokeClassObject(cookie));
  void* object = nullptr;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, Create(TestClassId(11), IID_IUnknown, &object));
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

  TestObject* outer = new TestObject;
  EXPECT_EQ(CLASS_E_NOAGGREGATION, CoCreateInstanceEx(TestClassId(11), outer, CLSCTX_INPROC_SERVER, nullptr, 1, &result));
  EXPECT_EQ(static_cast<IUnknown*>(outer), factory_.OfferedOuter());
  outer->Release();
}

// The factory is asked for the first interface; every entry then comes from
// the new object, or keeps E_NOINTERFACE when the creation failed.
TEST_F(Activation, MultiQueryAsksTheFactoryForTheFirstInterfaceAndTheObjectForEach) {
  struct Case {
    std::vector<const IID*> iids;
    HRESULT factory_failure;
    HRESULT expected;
    std::vector<HRESULT> entries;
    LONG counted;  // increments through the entries, which all reach one object
  };
  const Case cases[] = {
      {{&IID_ITestCounter, &IID_ITestMissing, &IID_IUnknown}, S_OK, CO_S_NOTALLINTERFACES,
       {S_OK, E_NOINTERFACE, S_OK}, 2},
      {{&IID_IUnknown}, S_OK, S_OK, {S_OK}, 1},
      {{&IID_ITestMissing, &IID_ITestCounter}, S_OK, E_NOINTERFACE, {E_NOINTERFACE, E_NOINTERFACE}, 0},
      {{&IID_ITestCounter, &IID_IUnknown}, E_OUTOFMEMORY, E_OUTOFMEMORY, {E_NOINTERFACE, E_NOINTERFACE}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    factory_.FailWith(c.factory_failure);
    std::vector<MULTI_QI> results;
    for (const IID* iid : c.iids) results.push_back({iid, &factory_, S_FALSE});
    EXPECT_EQ(c.expected, CoCreateInstanceEx(TestClassId(11), nullptr, CLSCTX_INPROC_SERVER, nullptr,
                                             static_cast<DWORD>(results.size()), results.data()));
    EXPECT_TRUE(IsEqualIID(*c.iids[0], factory_.Requested()));
    LONG value = 0;
    for (size_t i = 0; i < results.size(); ++i) {
      EXPECT_EQ(c.entries[i], results[i].hr) << i;
      com_ptr<IUnknown> entry(results[i].pItf, comown::attach);
      EXPECT_EQ(SUCCEEDED(c.entries[i]), entry != nullptr) << i;
      if (auto counter = entry.as<ITestCounter>()) counter->Increment(&value);
    }
    EXPECT_EQ(c.counted, value);
  }
  MULTI_QI unknown = {&IID_IUnknown, &factory_, S_OK};
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstanceEx(TestClassId(12), nullptr, CLSCTX_INPROC_SERVER, nullptr, 1, &unknown));
  EXPECT_EQ(nullptr, unknown.pItf);
}

// What Wine shows too: an in-process registration serves its own apartment
// only, and the multithreaded apartment's local-server registrations serve
// every apartment.
TEST_F(Activation, AnInProcessRegistrationServesOnlyItsOwnApartment) {
  for (DWORD model : {COINIT_APARTMENTTHREADED, COINIT_MULTITHREADED}) {
    InOtherApartment(model, [] {
      com_ptr<IUnknown> object;
      EXPECT_EQ(REGDB_E_CLASSNOTREG,
                CoCreateInstance(TestClassId(11), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void()));
    });
  }
  EXPECT_EQ(0, factory_.Created());
}

TEST(MultithreadedRegistration, ServesAnotherApartmentThroughTheLocalServerContext) {
  ComScope mta(COINIT_MULTITHREADED);
  TestFactory factory;
  ClassRegistration registration(TestClassId(14), &factory, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER);
  ASSERT_EQ(S_OK, registration.Result());
  InOtherApartment(COINIT_APARTMENTTHREADED, [] {
    // Under Wine a proxy: only IUnknown crosses without a registered marshaller.
    com_ptr<IUnknown> object;
    EXPECT_EQ(S_OK, CoCreateInstance(TestClassId(14), nullptr, CLSCTX_ALL, IID_IUnknown, object.put_void()));
  });
  EXPECT_EQ(1, factory.Created());
}
