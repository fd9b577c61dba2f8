// Activation on simulated remote hosts and the record of each activation.
#include <gtest/gtest.h>

#include <native_com_ext.h>

#include "com_test_objects.h"

using namespace com_test;

namespace {

WideString LastHost() {
  OLECHAR buffer[64];
  NativeComLastActivationHost(buffer, 64);
  return buffer;
}

class RemoteHosts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, com_.Result());
    ASSERT_EQ(S_OK, NativeComRegisterHostClassObject(OLESTR("Plant-Server.example"), TestClassId(100), &factory_,
                                                     &cookie_));
  }
  void TearDown() override {
    EXPECT_EQ(S_OK, NativeComRevokeHostClassObject(cookie_));
    EXPECT_EQ(1u, factory_.References());
    EXPECT_EQ(0, TestObject::Live());
  }

  static HRESULT CreateOn(const OLECHAR* host, REFCLSID clsid, DWORD context = CLSCTX_REMOTE_SERVER) {
    COSERVERINFO server = {0, const_cast<LPWSTR>(host), nullptr, 0};
    MULTI_QI result = {&IID_ITestCounter, nullptr, S_OK};
    const HRESULT hr = CoCreateInstanceEx(clsid, nullptr, context, &server, 1, &result);
    com_ptr<IUnknown> created(result.pItf, comown::attach);
    return hr;
  }

  ComScope com_{COINIT_APARTMENTTHREADED};
  TestFactory factory_;
  DWORD cookie_ = 0;
};

}  // namespace

TEST_F(RemoteHosts, HostsAreFoundWithoutRegardToCaseAndRecordedAsGiven) {
  const ULONG before = NativeComActivationCount();
  EXPECT_EQ(S_OK, CreateOn(OLESTR("plant-server.EXAMPLE"), TestClassId(100)));
  EXPECT_EQ(1, factory_.Created());
  EXPECT_EQ(OLESTR("plant-server.EXAMPLE"), LastHost());
  EXPECT_EQ(static_cast<DWORD>(CLSCTX_REMOTE_SERVER), NativeComLastActivationContext());

  EXPECT_EQ(static_cast<HRESULT>(0x800706BA), CreateOn(OLESTR("nowhere.example"), TestClassId(100)));
  EXPECT_EQ(OLESTR("nowhere.example"), LastHost());
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CreateOn(OLESTR("Plant-Server.example"), TestClassId(101)));

  void* object = nullptr;
  CoGetClassObject(TestClassId(101), CLSCTX_INPROC_SERVER, nullptr, IID_IUnknown, &object);
  EXPECT_EQ(OLESTR(""), LastHost());
  EXPECT_EQ(static_cast<DWORD>(CLSCTX_INPROC_SERVER), NativeComLastActivationContext());
  EXPECT_EQ(before + 4, NativeComActivationCount());

  CreateOn(OLESTR("a-rather-long-host-name.example"), TestClassId(100));
  OLECHAR small[8];
  EXPECT_EQ(31, NativeComLastActivationHost(small, 8));
  EXPECT_EQ(OLESTR("a-rathe"), WideString(small));
}

TEST_F(RemoteHosts, LocalNamesMeanTheLocalTable) {
  void* object = nullptr;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(TestClassId(100), nullptr, CLSCTX_ALL, IID_IUnknown, &object));
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CreateOn(OLESTR("localhost"), TestClassId(100), CLSCTX_ALL));
  EXPECT_EQ(OLESTR("localhost"), LastHost());

  TestFactory local_factory;
  ClassRegistration local(TestClassId(102), &local_factory, CLSCTX_LOCAL_SERVER);
  ASSERT_EQ(S_OK, local.Result());
  EXPECT_EQ(S_OK, CreateOn(OLESTR("LOCALHOST"), TestClassId(102), CLSCTX_LOCAL_SERVER));
  EXPECT_EQ(S_OK, CreateOn(OLESTR(""), TestClassId(102), CLSCTX_LOCAL_SERVER));
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CreateOn(OLESTR("Plant-Server.example"), TestClassId(102)));
}

TEST_F(RemoteHosts, ARevokedClassLeavesItsHostKnown) {
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, NativeComRegisterHostClassObject(OLESTR("short-lived.example"), TestClassId(103), &factory_, &cookie));
  EXPECT_EQ(E_INVALIDARG, CoRevokeClassObject(cookie));  // not a local registration
  EXPECT_EQ(S_OK, NativeComRevokeHostClassObject(cookie));
  EXPECT_EQ(E_INVALIDARG, NativeComRevokeHostClassObject(cookie));
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CreateOn(OLESTR("short-lived.example"), TestClassId(103)));
  EXPECT_EQ(E_INVALIDARG, NativeComRegisterHostClassObject(OLESTR("LocalHost"), TestClassId(103), &factory_, &cookie));
}

TEST_F(RemoteHosts, ClassObjectsComeAcrossButAggregationDoesNot) {
  COSERVERINFO server = {0, const_cast<LPWSTR>(OLESTR("PLANT-SERVER.example")), nullptr, 0};
  com_ptr<IClassFactory> class_object;
  ASSERT_EQ(S_OK, CoGetClassObject(TestClassId(100), CLSCTX_REMOTE_SERVER, &server, IID_IClassFactory,
                                   class_object.put_void()));
  EXPECT_EQ(static_cast<IClassFactory*>(&factory_), class_object.get());
  class_object.reset();

  TestObject* outer = new TestObject;
  MULTI_QI result = {&IID_IUnknown, nullptr, S_OK};
  EXPECT_EQ(CLASS_E_NOAGGREGATION, CoCreateInstanceEx(TestClassId(100), outer, CLSCTX_REMOTE_SERVER, &server, 1, &result));
  EXPECT_EQ(0, factory_.Created());
  outer->Release();
}
