// The Global Interface Table.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "com_test_objects.h"

using namespace com_test;

namespace {

HRESULT CreateTable(com_ptr<IGlobalInterfaceTable>& table) {
  return CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                          table.put_void());
}

// Tests that share objects between threads keep every thread in the MTA, where
// the table hands out the object itself rather than a proxy.
class GlobalInterfaceTable : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, com_.Result());
    ASSERT_EQ(S_OK, CreateTable(table_));
  }
  void TearDown() override {
    EXPECT_EQ(1u, object_->References());
    object_.reset();
    EXPECT_EQ(0, TestObject::Live());
  }
  LONG Increment(IGlobalInterfaceTable* table, DWORD cookie) {
    com_ptr<ITestCounter> counter;
    LONG value = 0;
    EXPECT_EQ(S_OK, table->GetInterfaceFromGlobal(cookie, IID_ITestCounter, counter.put_void()));
    if (counter) counter->Increment(&value);
    return value;
  }

  ComScope com_{COINIT_MULTITHREADED};
  com_ptr<IGlobalInterfaceTable> table_;
  com_ptr<TestObject> object_{new TestObject, comown::attach};
};

}  // namespace

TEST(GlobalInterfaceTableCreation, IsOneObjectForTheProcessAndNeedsCom) {
  std::thread([] {
    com_ptr<IGlobalInterfaceTable> first;
    EXPECT_EQ(CO_E_NOTINITIALIZED, CreateTable(first));
    ComScope com(COINIT_APARTMENTTHREADED);
    com_ptr<IGlobalInterfaceTable> second;
    ASSERT_EQ(S_OK, CreateTable(first));
    ASSERT_EQ(S_OK, CreateTable(second));
    EXPECT_EQ(first.get(), second.get());
  }).join();
}

TEST_F(GlobalInterfaceTable, KeepsAReferenceUntilRevokedByAnyThreadInCom) {
  DWORD cookie = 0;
  EXPECT_EQ(E_NOINTERFACE, table_->RegisterInterfaceInGlobal(object_.get(), IID_ITestMissing, &cookie));
  EXPECT_EQ(E_INVALIDARG, table_->RegisterInterfaceInGlobal(nullptr, IID_IUnknown, &cookie));
  EXPECT_EQ(1u, object_->References());
  ASSERT_EQ(S_OK, table_->RegisterInterfaceInGlobal(object_.get(), IID_IUnknown, &cookie));
  EXPECT_NE(0u, cookie);
  EXPECT_GT(object_->References(), 1u);
  EXPECT_EQ(1, Increment(table_.get(), cookie));
  void* missing = object_.get();
  EXPECT_EQ(E_NOINTERFACE, table_->GetInterfaceFromGlobal(cookie, IID_ITestMissing, &missing));
  EXPECT_EQ(nullptr, missing);

  IGlobalInterfaceTable* table = table_.get();
  std::thread([this, table, cookie] {
    ComScope com(COINIT_MULTITHREADED);
    EXPECT_EQ(2, Increment(table, cookie));
    EXPECT_EQ(S_OK, table->RevokeInterfaceFromGlobal(cookie));
  }).join();
  void* gone = nullptr;
  EXPECT_EQ(E_INVALIDARG, table_->GetInterfaceFromGlobal(cookie, IID_IUnknown, &gone));
  EXPECT_EQ(E_INVALIDARG, table_->RevokeInterfaceFromGlobal(cookie));
}

TEST_F(GlobalInterfaceTable, RegistrationsFromSeveralThreadsGetDistinctCookies) {
  constexpr int kPerThread = 50;
  auto register_some = [this](std::vector<DWORD>* cookies) {
    ComScope com(COINIT_MULTITHREADED);
    for (int i = 0; i < kPerThread; ++i) {
      DWORD cookie = 0;
      if (SUCCEEDED(table_->RegisterInterfaceInGlobal(object_.get(), IID_IUnknown, &cookie))) cookies->push_back(cookie);
    }
  };
  std::vector<DWORD> first;
  std::vector<DWORD> second;
  std::thread a(register_some, &first);
  std::thread b(register_some, &second);
  a.join();
  b.join();
  ASSERT_EQ(static_cast<size_t>(kPerThread), first.size());
  ASSERT_EQ(static_cast<size_t>(kPerThread), second.size());
  first.insert(first.end(), second.begin(), second.end());
  for (DWORD cookie : first) EXPECT_EQ(S_OK, table_->RevokeInterfaceFromGlobal(cookie));
}
