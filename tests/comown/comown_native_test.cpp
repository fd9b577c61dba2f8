// Only our runtime counts task-memory blocks, which shows that arrays free
// their elements' strings, blobs and values with themselves.
#include <gtest/gtest.h>

#include "comown.h"
#include "native_com_ext.h"

namespace {

TEST(TaskArray, FreesElementsWithTheBlock) {
  const LONG before = NativeComLiveTaskAllocations();
  {
    comown::task_strings strings = comown::task_strings::allocate(3);
    strings[0] = comown::task_copy(comown::to_wide("a")).release();
    strings[2] = comown::task_copy(comown::to_wide("c")).release();  // [1] stays null
    comown::task_item_results results = comown::task_item_results::allocate(2);
    results[1].pBlob = static_cast<BYTE*>(CoTaskMemAlloc(4));
    comown::task_item_states states = comown::task_item_states::allocate(1);
    states[0].vDataValue.vt = VT_BSTR;
    states[0].vDataValue.bstrVal = SysAllocString(OLESTR("x"));
    EXPECT_EQ(before + 6, NativeComLiveTaskAllocations());
    *strings.put() = nullptr;  // an out-parameter slot frees the old answer first
    EXPECT_EQ(before + 3, NativeComLiveTaskAllocations());
  }
  EXPECT_EQ(before, NativeComLiveTaskAllocations());
}

}  // namespace
