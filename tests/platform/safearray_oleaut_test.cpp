// SAFEARRAY: bounds, element order, element ownership and locking.
#include <gtest/gtest.h>

#include "oleaut_test_support.h"

TEST(SafeArray, VectorDescribesItsTypeBoundsAndSize) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 5, 3);
  ASSERT_NE(array, nullptr);
  LONG lower = 0;
  LONG upper = 0;
  VARTYPE vt = VT_EMPTY;
  EXPECT_EQ(SafeArrayGetDim(array), 1u);
  EXPECT_EQ(SafeArrayGetElemsize(array), sizeof(BSTR));
  EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
  EXPECT_EQ(lower, 5);
  EXPECT_EQ(upper, 7);
  EXPECT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
  EXPECT_EQ(vt, VT_BSTR);
  EXPECT_TRUE(array->fFeatures & FADF_BSTR);
  EXPECT_NE(array->pvData, nullptr);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);

  SAFEARRAY* empty = SafeArrayCreateVector(VT_R8, 0, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_NE(empty->pvData, nullptr);
  EXPECT_EQ(SafeArrayDestroy(empty), S_OK);
}

TEST(SafeArray, RefusesElementTypesWithoutValuesAndMissingArguments) {
  SAFEARRAYBOUND bound = {3, 0};
  EXPECT_EQ(SafeArrayCreate(VT_EMPTY, 1, &bound), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_NULL, 1, &bound), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_I4, 0, &bound), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_VOID, 0, 1), nullptr);
  VARTYPE vt;
  LONG lower;
  EXPECT_EQ(SafeArrayGetVartype(nullptr, &vt), E_INVALIDARG);
  EXPECT_EQ(SafeArrayGetLBound(nullptr, 1, &lower), E_INVALIDARG);
  EXPECT_EQ(SafeArrayGetDim(nullptr), 0u);
  EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
  SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(1);
  EXPECT_EQ(SafeArrayCopy(nullptr, &copy), S_OK);
  EXPECT_EQ(copy, nullptr);
}

TEST(SafeArray, StoresBoundsReversedAndElementsColumnMajor) {
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, 10}};  // [1..2, 10..12]
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->rgsabound[0].lLbound, 10);
  EXPECT_EQ(array->rgsabound[1].lLbound, 1);
  LONG value = 0;
  EXPECT_EQ(SafeArrayGetLBound(array, 2, &value), S_OK);
  EXPECT_EQ(value, 10);
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &value), S_OK);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(SafeArrayGetLBound(array, 0, &value), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayGetUBound(array, 3, &value), DISP_E_BADINDEX);

  LONG first[2] = {2, 10};
  LONG second[2] = {1, 11};
  LONG a = 77;
  LONG b = 55;
  ASSERT_EQ(SafeArrayPutElement(array, first, &a), S_OK);
  ASSERT_EQ(SafeArrayPutElement(array, second, &b), S_OK);
  const LONG* data = static_cast<const LONG*>(array->pvData);
  EXPECT_EQ(data[1], 77);  // the first index varies fastest
  EXPECT_EQ(data[2], 55);
  ASSERT_EQ(SafeArrayGetElement(array, first, &value), S_OK);
  EXPECT_EQ(value, 77);

  LONG outside[2] = {3, 10};
  LONG below[2] = {1, 9};
  EXPECT_EQ(SafeArrayPutElement(array, outside, &a), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayGetElement(array, below, &value), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, TextAndVariantElementsAreCopiedInAndOut) {
  SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 2);
  LONG index = 0;
  BSTR text = SysAllocStringLen(OLESTR("a\0b"), 3);
  ASSERT_EQ(SafeArrayPutElement(texts, &index, text), S_OK);
  EXPECT_NE(static_cast<BSTR*>(texts->pvData)[0], text);
  SysFreeString(text);
  BSTR read = nullptr;
  ASSERT_EQ(SafeArrayGetElement(texts, &index, &read), S_OK);
  EXPECT_EQ(Ascii(read), std::string("a\0b", 3));
  SysFreeString(read);
  index = 1;
  read = SysAllocString(OLESTR("overwritten"));
  BSTR overwritten = read;
  ASSERT_EQ(SafeArrayGetElement(texts, &index, &read), S_OK);
  EXPECT_EQ(read, nullptr);  // an unset element reads as a null BSTR
  SysFreeString(overwritten);
  EXPECT_EQ(SafeArrayDestroy(texts), S_OK);

  SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  TestVariant in;
  SetText(&in, OLESTR("hi"));
  index = 0;
  ASSERT_EQ(SafeArrayPutElement(variants, &index, &in), S_OK);
  VARIANT out;
  out.vt = VT_I4;  // taken as uninitialised
  ASSERT_EQ(SafeArrayGetElement(variants, &index, &out), S_OK);
  EXPECT_EQ(out.vt, VT_BSTR);
  EXPECT_NE(out.bstrVal, in->bstrVal);
  EXPECT_EQ(Ascii(out.bstrVal), "hi");
  VariantClear(&out);
  EXPECT_EQ(SafeArrayDestroy(variants), S_OK);
}

TEST(SafeArray, InterfaceElementsAreCountedAndReleasedOnDestroy) {
  CountedObject object;
  SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, 2);
  for (LONG index = 0; index < 2; ++index) ASSERT_EQ(SafeArrayPutElement(array, &index, &object), S_OK);
  EXPECT_EQ(object.refs(), 3u);
  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
  EXPECT_EQ(object.refs(), 5u);
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  EXPECT_EQ(object.refs(), 1u);
}

TEST(SafeArray, LocksGuardAgainstDestruction) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 4);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(data, array->pvData);
  EXPECT_EQ(array->cLocks, 1u);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);  // a locked array may still be read
  EXPECT_EQ(copy->cLocks, 0u);
  EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnlock(array), E_UNEXPECTED);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
}

TEST(SafeArray, ClearingAVariantOfVariantsFreesEveryNestedValue) {
  TestVariant holder;
  holder->vt = VT_ARRAY | VT_VARIANT;
  holder->parray = SafeArrayCreateVector(VT_VARIANT, 0, 3);
  for (LONG index = 0; index < 3; ++index) {
    TestVariant element;
    SetText(&element, OLESTR("nested"));
    ASSERT_EQ(SafeArrayPutElement(holder->parray, &index, &element), S_OK);
  }
  EXPECT_EQ(VariantClear(&holder), S_OK);  // the leak checker sees the rest
}
