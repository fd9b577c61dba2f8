// VARIANT life cycle: what clearing and copying own, free and refuse.
#include <gtest/gtest.h>

#include "oleaut_test_support.h"

TEST(Variant, ClearFreesTextReleasesInterfacesAndLeavesReferencesAlone) {
  CountedObject object;
  TestVariant unknown;
  unknown->vt = VT_UNKNOWN;
  unknown->punkVal = &object;
  object.AddRef();
  EXPECT_EQ(VariantClear(&unknown), S_OK);
  EXPECT_EQ(unknown->vt, VT_EMPTY);
  EXPECT_EQ(object.refs(), 1u);

  BSTR owned = SysAllocString(OLESTR("kept"));
  TestVariant reference;
  reference->vt = VT_BYREF | VT_BSTR;
  reference->pbstrVal = &owned;
  EXPECT_EQ(VariantClear(&reference), S_OK);
  EXPECT_EQ(reference->vt, VT_EMPTY);
  EXPECT_EQ(Ascii(owned), "kept");
  SysFreeString(owned);

  TestVariant text;
  SetText(&text, OLESTR("freed"));
  EXPECT_EQ(VariantClear(&text), S_OK);  // the leak checker sees the rest
}

TEST(Variant, ClearAndCopyRefuseTypesAVariantCannotHold) {
  for (VARTYPE vt : {VARTYPE(VT_EMPTY | VT_BYREF), VARTYPE(15), VARTYPE(VT_VECTOR | VT_I4), VARTYPE(VT_ARRAY | VT_NULL),
                     VARTYPE(VT_VOID), VARTYPE(VT_LPSTR)}) {
    VARIANT bad;
    VariantInit(&bad);
    bad.vt = vt;
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE) << vt;
    EXPECT_EQ(bad.vt, vt);
    TestVariant copy;
    EXPECT_EQ(VariantCopy(&copy, &bad), DISP_E_BADVARTYPE) << vt;
    EXPECT_EQ(copy->vt, VT_EMPTY);
  }
  VARIANT badDestination;
  badDestination.vt = 15;
  TestVariant source;
  SetI4(&source, 3);
  EXPECT_EQ(VariantCopy(&badDestination, &source), DISP_E_BADVARTYPE);
  EXPECT_EQ(badDestination.vt, 15);
}

TEST(Variant, CopyDuplicatesTextAndCountsInterfaces) {
  TestVariant source;
  source->vt = VT_BSTR;
  source->bstrVal = SysAllocStringLen(OLESTR("a\0b"), 3);
  TestVariant copy;
  SetText(&copy, OLESTR("replaced"));  // cleared first, not leaked
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_NE(copy->bstrVal, source->bstrVal);
  EXPECT_EQ(Ascii(copy->bstrVal), std::string("a\0b", 3));
  EXPECT_EQ(VariantCopy(&copy, &copy), S_OK);

  CountedObject object;
  TestVariant unknown;
  unknown->vt = VT_UNKNOWN;
  unknown->punkVal = &object;
  object.AddRef();
  {
    TestVariant second;
    ASSERT_EQ(VariantCopy(&second, &unknown), S_OK);
    EXPECT_EQ(object.refs(), 3u);
  }
  EXPECT_EQ(object.refs(), 2u);
}

TEST(Variant, CopyOfAnArrayOfTextIsIndependent) {
  TestVariant source;
  source->vt = VT_ARRAY | VT_BSTR;
  source->parray = SafeArrayCreateVector(VT_BSTR, 0, 2);
  LONG index = 1;
  BSTR text = SysAllocString(OLESTR("one"));
  ASSERT_EQ(SafeArrayPutElement(source->parray, &index, text), S_OK);
  SysFreeString(text);

  TestVariant copy;
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  ASSERT_NE(copy->parray, source->parray);
  EXPECT_EQ(VariantClear(&source), S_OK);
  BSTR read = nullptr;
  ASSERT_EQ(SafeArrayGetElement(copy->parray, &index, &read), S_OK);
  EXPECT_EQ(Ascii(read), "one");
  SysFreeString(read);
}

TEST(Variant, ClearOfALockedArrayFailsButEmptiesTheVariant) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 3);
  TestVariant holder;
  holder->vt = VT_ARRAY | VT_I4;
  holder->parray = array;
  ASSERT_EQ(SafeArrayLock(array), S_OK);
  EXPECT_EQ(VariantClear(&holder), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(holder->vt, VT_EMPTY);
  SafeArrayUnlock(array);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(Variant, CopyIndFollowsReferencesIntoOwnedValues) {
  BSTR text = SysAllocString(OLESTR("target"));
  VARIANT reference;
  reference.vt = VT_BYREF | VT_BSTR;
  reference.pbstrVal = &text;
  TestVariant copy;
  ASSERT_EQ(VariantCopyInd(&copy, &reference), S_OK);
  EXPECT_EQ(copy->vt, VT_BSTR);
  EXPECT_NE(copy->bstrVal, text);
  EXPECT_EQ(Ascii(copy->bstrVal), "target");
  SysFreeString(text);

  TestVariant inner;
  SetI4(&inner, 9);
  VARIANT throughVariant;
  throughVariant.vt = VT_BYREF | VT_VARIANT;
  throughVariant.pvarVal = &inner;
  ASSERT_EQ(VariantCopyInd(&copy, &throughVariant), S_OK);
  EXPECT_EQ(copy->vt, VT_I4);
  EXPECT_EQ(copy->lVal, 9);
}
