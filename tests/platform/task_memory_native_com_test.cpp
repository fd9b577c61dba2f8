// The live count of task memory blocks that leak checks rely on.
#include <gtest/gtest.h>

#include <native_com_ext.h>

#include "com_test_objects.h"

TEST(TaskMemoryCounter, CountsBlocksUntilFreed) {
  const LONG before = NativeComLiveTaskAllocations();
  void* first = CoTaskMemAlloc(10);
  void* empty = CoTaskMemAlloc(0);
  ASSERT_NE(nullptr, empty);
  void* grown = CoTaskMemRealloc(nullptr, 8);
  EXPECT_EQ(before + 3, NativeComLiveTaskAllocations());

  grown = CoTaskMemRealloc(grown, 1 << 16);  // moving a block keeps the count
  EXPECT_EQ(before + 3, NativeComLiveTaskAllocations());
  EXPECT_EQ(nullptr, CoTaskMemRealloc(grown, 0));
  EXPECT_EQ(before + 2, NativeComLiveTaskAllocations());

  LPOLESTR text = nullptr;
  ASSERT_EQ(S_OK, StringFromCLSID(IID_IUnknown, &text));
  EXPECT_EQ(before + 3, NativeComLiveTaskAllocations());
  CoTaskMemFree(text);
  CoTaskMemFree(first);
  CoTaskMemFree(empty);
  CoTaskMemFree(nullptr);
  EXPECT_EQ(before, NativeComLiveTaskAllocations());
}
