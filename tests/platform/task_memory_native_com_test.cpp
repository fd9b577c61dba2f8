// The live count of task memory blocks that leak checks rely on.
#include <gtest/gtest.h>

#include <native_com_ext.h>

#include "com_test_objects.h"

TEST(TaskMemoryCounter, CountsBlocksUntilFreed) {
  const LONG before = NativeComLiveTaskAllocations();
  {
    comown::task_mem<char> first(static_cast<char*>(CoTaskMemAlloc(10)));
    comown::task_mem<char> empty(static_cast<char*>(CoTaskMemAlloc(0)));
    ASSERT_TRUE(empty);
    auto* grown = static_cast<char*>(CoTaskMemRealloc(nullptr, 8));
    ASSERT_NE(nullptr, grown);
    grown[7] = 'x';
    EXPECT_EQ(before + 3, NativeComLiveTaskAllocations());
    grown = static_cast<char*>(CoTaskMemRealloc(grown, 1 << 16));  // moving a block keeps content and count
    EXPECT_EQ('x', grown[7]);
    EXPECT_EQ(before + 3, NativeComLiveTaskAllocations());
    EXPECT_EQ(nullptr, CoTaskMemRealloc(grown, 0));
    EXPECT_EQ(before + 2, NativeComLiveTaskAllocations());
    comown::task_string text;
    ASSERT_EQ(S_OK, StringFromCLSID(IID_IUnknown, text.put()));
    EXPECT_EQ(before + 3, NativeComLiveTaskAllocations());
  }
  EXPECT_EQ(before, NativeComLiveTaskAllocations());
}
