// Activation of a class object that another single-threaded apartment
// registered. Native only: Windows would wait for that apartment's thread to
// pump messages and Wine blocks for good, where our runtime refuses at once.
#include <gtest/gtest.h>

#include <native_com_ext.h>

#include <thread>

#include "com_test_objects.h"

using namespace com_test;

TEST(OtherSingleThreadedApartment, ItsClassObjectIsRefusedWhereOnlyItCouldServe) {
  ComScope sta(COINIT_APARTMENTTHREADED);
  TestFactory factory;
  ClassRegistration local(TestClassId(106), &factory, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER);
  ASSERT_EQ(S_OK, local.Result());
  DWORD host_cookie = 0;
  ASSERT_EQ(S_OK, NativeComRegisterHostClassObject(OLESTR("plant.example"), TestClassId(106), &factory, &host_cookie));
  com_ptr<IUnknown> own;
  EXPECT_EQ(S_OK, CoCreateInstance(TestClassId(106), nullptr, CLSCTX_ALL, IID_IUnknown, own.put_void()));

  for (DWORD model : {COINIT_APARTMENTTHREADED, COINIT_MULTITHREADED}) {
    std::thread([model] {
      ComScope com(model);
      com_ptr<IUnknown> object;
      EXPECT_EQ(CO_E_SERVER_EXEC_FAILURE,
                CoCreateInstance(TestClassId(106), nullptr, CLSCTX_ALL, IID_IUnknown, object.put_void()));
      EXPECT_EQ(CO_E_SERVER_EXEC_FAILURE,
                CoGetClassObject(TestClassId(106), CLSCTX_LOCAL_SERVER, nullptr, IID_IUnknown, object.put_void()));
      EXPECT_EQ(REGDB_E_CLASSNOTREG,
                CoCreateInstance(TestClassId(106), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void()));
      MULTI_QI entry = {&IID_IUnknown, nullptr, S_OK};
      EXPECT_EQ(CO_E_SERVER_EXEC_FAILURE, CoCreateInstanceEx(TestClassId(106), nullptr, CLSCTX_SERVER, nullptr, 1, &entry));
      EXPECT_EQ(E_NOINTERFACE, entry.hr);
      // A simulated remote host belongs to no apartment.
      COSERVERINFO host = {0, const_cast<LPWSTR>(OLESTR("plant.example")), nullptr, 0};
      ASSERT_EQ(S_OK, CoCreateInstanceEx(TestClassId(106), nullptr, CLSCTX_REMOTE_SERVER, &host, 1, &entry));
      com_ptr<IUnknown> remote(entry.pItf, comown::attach);
    }).join();
  }
  EXPECT_EQ(3, factory.Created());
  EXPECT_EQ(S_OK, NativeComRevokeHostClassObject(host_cookie));
}
