// The ProgID registry behind ProgIDFromCLSID, CLSIDFromProgID and CLSIDFromString.
#include <gtest/gtest.h>

#include <native_com_ext.h>

#include "com_test_objects.h"

using namespace com_test;

TEST(ProgIdRegistry, MapsBothWaysIgnoringCase) {
  ASSERT_EQ(S_OK, NativeComRegisterProgID(OLESTR("Plant.Simulator.1"), TestClassId(200)));
  CLSID clsid = GUID_NULL;
  ASSERT_EQ(S_OK, CLSIDFromProgID(OLESTR("plant.SIMULATOR.1"), &clsid));
  EXPECT_TRUE(IsEqualCLSID(TestClassId(200), clsid));

  LPOLESTR prog_id = nullptr;
  const LONG blocks = NativeComLiveTaskAllocations();
  ASSERT_EQ(S_OK, ProgIDFromCLSID(TestClassId(200), &prog_id));
  EXPECT_EQ(blocks + 1, NativeComLiveTaskAllocations());
  EXPECT_EQ(OLESTR("Plant.Simulator.1"), WideString(prog_id));
  CoTaskMemFree(prog_id);

  clsid = GUID_NULL;
  EXPECT_EQ(S_OK, CLSIDFromString(OLESTR("Plant.Simulator.1"), &clsid));
  EXPECT_TRUE(IsEqualCLSID(TestClassId(200), clsid));

  ASSERT_EQ(S_OK, NativeComUnregisterProgID(OLESTR("PLANT.Simulator.1")));
  EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromProgID(OLESTR("Plant.Simulator.1"), &clsid));
  EXPECT_EQ(REGDB_E_CLASSNOTREG, ProgIDFromCLSID(TestClassId(200), &prog_id));
  EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromString(OLESTR("Plant.Simulator.1"), &clsid));
}

TEST(ProgIdRegistry, AClassNamesTheProgIdRegisteredLastAndRemapsOnReregistration) {
  ASSERT_EQ(S_OK, NativeComRegisterProgID(OLESTR("Plant.Simulator"), TestClassId(201)));
  ASSERT_EQ(S_OK, NativeComRegisterProgID(OLESTR("Plant.Simulator.2"), TestClassId(201)));
  LPOLESTR prog_id = nullptr;
  ASSERT_EQ(S_OK, ProgIDFromCLSID(TestClassId(201), &prog_id));
  EXPECT_EQ(OLESTR("Plant.Simulator.2"), WideString(prog_id));
  CoTaskMemFree(prog_id);

  // Moving the newer ProgID to another class leaves the older one naming this class.
  ASSERT_EQ(S_OK, NativeComRegisterProgID(OLESTR("Plant.Simulator.2"), TestClassId(202)));
  ASSERT_EQ(S_OK, ProgIDFromCLSID(TestClassId(201), &prog_id));
  EXPECT_EQ(OLESTR("Plant.Simulator"), WideString(prog_id));
  CoTaskMemFree(prog_id);

  EXPECT_EQ(S_OK, NativeComUnregisterProgID(OLESTR("Plant.Simulator")));
  EXPECT_EQ(S_OK, NativeComUnregisterProgID(OLESTR("Plant.Simulator.2")));
  EXPECT_EQ(CO_E_CLASSSTRING, NativeComUnregisterProgID(OLESTR("Plant.Simulator.2")));
  EXPECT_EQ(E_INVALIDARG, NativeComRegisterProgID(OLESTR(""), TestClassId(201)));
}
