// Apartments: entering and leaving COM per thread.
#include <gtest/gtest.h>

#include <thread>

#include "com_test_objects.h"

using namespace com_test;

namespace {

// {5C1B7E30-3A8F-4E62-9D0B-71A6C2E4F0FF}: never registered anywhere.
const CLSID kUnregisteredClass = {0x5C1B7E30, 0x3A8F, 0x4E62, {0x9D, 0x0B, 0x71, 0xA6, 0xC2, 0xE4, 0xF0, 0xFF}};

// Observes whether the calling thread may use COM without changing its count.
bool ThreadCanActivate() {
  com_ptr<IUnknown> object;
  return CoCreateInstance(kUnregisteredClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void()) !=
         CO_E_NOTINITIALIZED;
}

template <class Body>
void RunOnNewThread(Body body) {
  std::thread(body).join();
}

}  // namespace

TEST(Apartments, RepeatedEntryInTheSameModelIsCountedUntilBalanced) {
  RunOnNewThread([] {
    EXPECT_FALSE(ThreadCanActivate());
    EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    EXPECT_EQ(S_FALSE, CoInitialize(nullptr));
    EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    CoUninitialize();
    CoUninitialize();
    EXPECT_TRUE(ThreadCanActivate());
    CoUninitialize();
    EXPECT_FALSE(ThreadCanActivate());
    CoUninitialize();  // one too many: harmless
    EXPECT_FALSE(ThreadCanActivate());
  });
}

TEST(Apartments, TheOtherModelIsRefusedAndNotCounted) {
  RunOnNewThread([] {
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    EXPECT_EQ(RPC_E_CHANGED_MODE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    EXPECT_EQ(RPC_E_CHANGED_MODE, CoInitialize(nullptr));
    CoUninitialize();
    CoUninitialize();
    EXPECT_FALSE(ThreadCanActivate());
    // Having left, the thread may choose again.
    EXPECT_EQ(S_OK, CoInitialize(nullptr));
    EXPECT_EQ(RPC_E_CHANGED_MODE, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    CoUninitialize();
  });
}

TEST(Apartments, EachThreadChoosesItsOwnModelAndThreadsOutsideComJoinALiveMultithreadedOne) {
  {
    ComScope sta(COINIT_APARTMENTTHREADED);
    ASSERT_EQ(S_OK, sta.Result());
    bool could_activate = true;
    RunOnNewThread([&] {
      could_activate = ThreadCanActivate();
      EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
      CoUninitialize();
    });
    EXPECT_FALSE(could_activate);  // an STA elsewhere gives no implicit apartment
    EXPECT_TRUE(ThreadCanActivate());
  }
  ComScope mta(COINIT_MULTITHREADED);
  ASSERT_EQ(S_OK, mta.Result());
  bool could_activate = false;
  RunOnNewThread([&] { could_activate = ThreadCanActivate(); });
  EXPECT_TRUE(could_activate);
}

TEST(Apartments, LeavingTheApartmentRevokesTheClassObjectsItRegistered) {
  TestFactory factory;
  DWORD cookie = 0;
  RunOnNewThread([&] {
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    ASSERT_EQ(S_OK, CoRegisterClassObject(TestClassId(1), &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
    EXPECT_EQ(2u, factory.References());
    CoUninitialize();
  });
  EXPECT_EQ(1u, factory.References());
  ComScope sta(COINIT_APARTMENTTHREADED);
  EXPECT_EQ(E_INVALIDARG, CoRevokeClassObject(cookie));
}
