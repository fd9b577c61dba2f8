// The Global Interface Table.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "com_test_objects.h"

using namespace com_test;

namespace {

HRESULT CreateTable(IGlobalInterfaceTable** table) {
  return CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                          reinterpret_cast<void**>(table));
}

// Tests that share objects between threads keep every thread in the MTA, where
// the table hands out the object itself rather than a proxy.
class GlobalInterfaceTable : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, com_.Result());
    ASSERT_EQ(S_OK, CreateTable(table_.put()));
  }
  void TearDown() override {
    object_->Release();
    EXPECT_EQ(0, TestObject::Live());
  }

  ComScope com_{COINIT_MULTITHREADED};
  com_ptr<IGlobalInterfaceTable> table_;
  TestObject* object_ = new TestObject;
};

}  // namespace

TEST(GlobalInterfaceTableCreation, IsOneObjectForTheProcessAndNeedsCom) {
  std::thread([] {
    IGlobalInterfaceTable* table = nullptr;
    EXPECT_EQ(CO_E_NOTINITIALIZED, CreateTable(&table));
    ComScope com(COINIT_APARTMENTTHREADED);
    com_ptr<IGlobalInterfaceTable> first;
    com_ptr<IGlobalInterfaceTable> second;
    ASSERT_EQ(S_OK, CreateTable(first.put()));
    ASSERT_EQ(S_OK, CreateTable(second.put()));
    EXPECT_EQ(first.get(), second.get());
  }).join();
}

TEST_F(GlobalInterfaceTable, KeepsAReferenceUntilRevoked) {
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, table_->RegisterInterfaceInGlobal(object_, IID_IUnknown, &cookie));
  EXPECT_NE(0u, cookie);
  EXPECT_GT(object_->References(), 1u);

  com_ptr<ITestCounter> counter;
  ASSERT_EQ(S_OK, table_->GetInterfaceFromGlobal(cookie, IID_ITestCounter, counter.put_void()));
  LONG value = 0;
  EXPECT_EQ(S_OK, counter->Increment(&value));
  EXPECT_EQ(1, value);
  counter.reset();

  void* missing = object_;
  EXPECT_EQ(E_NOINTERFACE, table_->GetInterfaceFromGlobal(cookie, IID_ITestMissing, &missing));
  EXPECT_EQ(nullptr, missing);

  EXPECT_EQ(S_OK, table_->RevokeInterfaceFromGlobal(cookie));
  EXPECT_EQ(1u, object_->References());
  void* gone = nullptr;
  EXPECT_EQ(E_INVALIDARG, table_->GetInterfaceFromGlobal(cookie, IID_IUnknown, &gone));
  EXPECT_EQ(E_INVALIDARG, table_->RevokeInterfaceFromGlobal(cookie));
}

TEST_F(GlobalInterfaceTable, RefusesWhatItCannotKeep) {
  DWORD cookie = 0;
  EXPECT_EQ(E_NOINTERFACE, table_->RegisterInterfaceInGlobal(object_, IID_ITestMissing, &cookie));
  EXPECT_EQ(E_INVALIDARG, table_->RegisterInterfaceInGlobal(nullptr, IID_IUnknown, &cookie));
  EXPECT_EQ(1u, object_->References());
}

TEST_F(GlobalInterfaceTable, AnotherThreadInComFetchesAndRevokes) {
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, table_->RegisterInterfaceInGlobal(object_, IID_IUnknown, &cookie));
  IGlobalInterfaceTable* table = table_.get();
  std::thread([table, cookie] {
    ComScope com(COINIT_MULTITHREADED);
    com_ptr<ITestCounter> counter;
    ASSERT_EQ(S_OK, table->GetInterfaceFromGlobal(cookie, IID_ITestCounter, counter.put_void()));
    LONG value = 0;
    EXPECT_EQ(S_OK, counter->Increment(&value));
    EXPECT_EQ(1, value);
    counter.reset();
    EXPECT_EQ(S_OK, table->RevokeInterfaceFromGlobal(cookie));
  }).join();
  EXPECT_EQ(1u, object_->References());
}

TEST_F(GlobalInterfaceTable, RegistrationsFromSeveralThreadsGetDistinctCookies) {
  constexpr int kPerThread = 50;
  IGlobalInterfaceTable* table = table_.get();
  TestObject* object = object_;
  auto register_some = [table, object](std::vector<DWORD>* cookies) {
    ComScope com(COINIT_MULTITHREADED);
    for (int i = 0; i < kPerThread; ++i) {
      DWORD cookie = 0;
      if (SUCCEEDED(table->RegisterInterfaceInGlobal(object, IID_IUnknown, &cookie))) cookies->push_back(cookie);
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
  EXPECT_EQ(1u, object_->References());
}

TEST(GlobalInterfaceTableOutsideCom, AThreadOutsideComCannotFetch) {
  ComScope com(COINIT_APARTMENTTHREADED);
  ASSERT_EQ(S_OK, com.Result());
  com_ptr<IGlobalInterfaceTable> table;
  ASSERT_EQ(S_OK, CreateTable(table.put()));
  TestObject* object = new TestObject;
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, table->RegisterInterfaceInGlobal(object, IID_IUnknown, &cookie));
  IGlobalInterfaceTable* shared = table.get();
  std::thread([shared, cookie] {
    void* fetched = nullptr;
    EXPECT_EQ(CO_E_NOTINITIALIZED, shared->GetInterfaceFromGlobal(cookie, IID_IUnknown, &fetched));
    EXPECT_EQ(nullptr, fetched);
  }).join();
  EXPECT_EQ(S_OK, table->RevokeInterfaceFromGlobal(cookie));
  object->Release();
  EXPECT_EQ(0, TestObject::Live());
}
