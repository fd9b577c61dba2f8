// The ProgID registry behind ProgIDFromCLSID, CLSIDFromProgID and CLSIDFromString.
#include <gtest/gtest.h>

#include <native_com_ext.h>

#include "com_test_objects.h"

using namespace com_test;

namespace {

WideString ProgIdOf(REFCLSID clsid) {
  comown::task_string prog_id;
  const HRESULT hr = ProgIDFromCLSID(clsid, prog_id.put());
  return SUCCEEDED(hr) ? WideString(prog_id.get()) : OLESTR("<failed>");
}

}  // namespace

TEST(ProgIdRegistry, MapsBothWaysIgnoringCase) {
  ASSERT_EQ(S_OK, NativeComRegisterProgID(OLESTR("Plant.Simulator.1"), TestClassId(200)));
  CLSID clsid = GUID_NULL;
  ASSERT_EQ(S_OK, CLSIDFromProgID(OLESTR("plant.SIMULATOR.1"), &clsid));
  EXPECT_TRUE(IsEqualCLSID(TestClassId(200), clsid));
  const LONG blocks = NativeComLiveTaskAllocations();
  EXPECT_EQ(OLESTR("Plant.Simulator.1"), ProgIdOf(TestClassId(200)));
  EXPECT_EQ(blocks, NativeComLiveTaskAllocations());  // the text was task memory
  clsid = GUID_NULL;
  EXPECT_EQ(S_OK, CLSIDFromString(OLESTR("Plant.Simulator.1"), &clsid));
  EXPECT_TRUE(IsEqualCLSID(TestClassId(200), clsid));

  ASSERT_EQ(S_OK, NativeComUnregisterProgID(OLESTR("PLANT.Simulator.1")));
  EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromProgID(OLESTR("Plant.Simulator.1"), &clsid));
  EXPECT_EQ(OLESTR("<failed>"), ProgIdOf(TestClassId(200)));
  EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromString(OLESTR("Plant.Simulator.1"), &clsid));
}

TEST(ProgIdRegistry, AClassNamesTheProgIdRegisteredLastAndRemapsOnReregistration) {
  ASSERT_EQ(S_OK, NativeComRegisterProgID(OLESTR("Plant.Simulator"), TestClassId(201)));
  ASSERT_EQ(S_OK, NativeComRegisterProgID(OLESTR("Plant.Simulator.2"), TestClassId(201)));
  EXPECT_EQ(OLESTR("Plant.Simulator.2"), ProgIdOf(TestClassId(201)));
  // Moving the newer ProgID to another class leaves the older one naming this class.
  ASSERT_EQ(S_OK, NativeComRegisterProgID(OLESTR("Plant.Simulator.2"), TestClassId(202)));
  EXPECT_EQ(OLESTR("Plant.Simulator"), ProgIdOf(TestClassId(201)));

  EXPECT_EQ(S_OK, NativeComUnregisterProgID(OLESTR("Plant.Simulator")));
  EXPECT_EQ(S_OK, NativeComUnregisterProgID(OLESTR("Plant.Simulator.2")));
  EXPECT_EQ(CO_E_CLASSSTRING, NativeComUnregisterProgID(OLESTR("Plant.Simulator.2")));
  EXPECT_EQ(E_INVALIDARG, NativeComRegisterProgID(OLESTR(""), TestClassId(201)));
}
