// GUID texts and ProgID lookups that need no registration.
#include <gtest/gtest.h>

#include "com_test_objects.h"

using namespace com_test;

namespace {

const GUID kSample = {0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};
const WideString kSampleText = OLESTR("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");

}  // namespace

TEST(GuidText, WritesTheUpperCaseRegistryFormAndReadsEitherCase) {
  OLECHAR buffer[39];
  ASSERT_EQ(39, StringFromGUID2(kSample, buffer, 39));
  EXPECT_EQ(kSampleText, WideString(buffer));
  EXPECT_EQ(0, StringFromGUID2(kSample, buffer, 38));
  comown::task_string text;
  ASSERT_EQ(S_OK, StringFromCLSID(kSample, text.put()));
  EXPECT_EQ(kSampleText, WideString(text.get()));

  for (const OLECHAR* form : {kSampleText.c_str(), OLESTR("{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}")}) {
    CLSID parsed = GUID_NULL;
    ASSERT_EQ(S_OK, CLSIDFromString(form, &parsed));
    EXPECT_TRUE(IsEqualGUID(kSample, parsed));
  }
}

TEST(GuidText, ClsidFromStringRefusesMalformedText) {
  const OLECHAR* malformed[] = {
      OLESTR("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9"),     // no braces
      OLESTR("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F}"),    // one digit short
      OLESTR("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}x"),  // trailing text
      OLESTR("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8FG}"),   // not hex
      OLESTR("{0A1B2C3D-4E5F-607108293-A4B5C6D7E8F9}"),   // separator missing
      OLESTR(""),
  };
  for (const OLECHAR* text : malformed) {
    CLSID parsed = kSample;
    EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromString(text, &parsed)) << WideString(text).size();
  }
}

TEST(GuidText, UnknownProgIdAndClassAreReported) {
  CLSID clsid = kSample;
  EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromProgID(OLESTR("Nobody.Registered.This.1"), &clsid));
  OLECHAR stale[] = OLESTR("stale");
  LPOLESTR prog_id = stale;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, ProgIDFromCLSID(kSample, &prog_id));
  EXPECT_EQ(nullptr, prog_id);
}
