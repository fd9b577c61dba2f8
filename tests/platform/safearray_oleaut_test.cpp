// SAFEARRAY: bounds, element order, element ownership and locking.
#include <gtest/gtest.h>

#include "oleaut_test_support.h"

using comown::com_bstr;
using comown::com_safearray;

TEST(SafeArray, VectorDescribesItsTypeBoundsAndSize) {
  com_safearray array(SafeArrayCreateVector(VT_BSTR, 5, 3));
  ASSERT_TRUE(array);
  LONG lower = 0;
  LONG upper = 0;
  VARTYPE vt = VT_EMPTY;
  EXPECT_EQ(1u, SafeArrayGetDim(array.get()));
  EXPECT_EQ(sizeof(BSTR), SafeArrayGetElemsize(array.get()));
  EXPECT_EQ(S_OK, SafeArrayGetLBound(array.get(), 1, &lower));
  EXPECT_EQ(S_OK, SafeArrayGetUBound(array.get(), 1, &upper));
  EXPECT_EQ(S_OK, SafeArrayGetVartype(array.get(), &vt));
  EXPECT_EQ("5..7 vt 8", std::to_string(lower) + ".." + std::to_string(upper) + " vt " + std::to_string(vt));
  EXPECT_TRUE(array.get()->fFeatures & FADF_BSTR);
  EXPECT_NE(nullptr, array.get()->pvData);
  EXPECT_EQ(S_OK, SafeArrayDestroy(array.release()));

  com_safearray empty(SafeArrayCreateVector(VT_R8, 0, 0));
  ASSERT_TRUE(empty);
  EXPECT_NE(nullptr, empty.get()->pvData);
}

TEST(SafeArray, RefusesElementTypesWithoutValuesAndMissingArguments) {
  SAFEARRAYBOUND bound = {3, 0};
  EXPECT_EQ(nullptr, SafeArrayCreate(VT_EMPTY, 1, &bound));
  EXPECT_EQ(nullptr, SafeArrayCreate(VT_NULL, 1, &bound));
  EXPECT_EQ(nullptr, SafeArrayCreate(VT_I4, 0, &bound));
  EXPECT_EQ(nullptr, SafeArrayCreateVector(VT_VOID, 0, 1));
  VARTYPE vt;
  LONG lower;
  EXPECT_EQ(E_INVALIDARG, SafeArrayGetVartype(nullptr, &vt));
  EXPECT_EQ(E_INVALIDARG, SafeArrayGetLBound(nullptr, 1, &lower));
  EXPECT_EQ(0u, SafeArrayGetDim(nullptr));
  EXPECT_EQ(S_OK, SafeArrayDestroy(nullptr));
  SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(1);
  EXPECT_EQ(S_OK, SafeArrayCopy(nullptr, &copy));
  EXPECT_EQ(nullptr, copy);
}

TEST(SafeArray, StoresBoundsReversedAndElementsColumnMajor) {
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, 10}};  // [1..2, 10..12]
  com_safearray array(SafeArrayCreate(VT_I4, 2, bounds));
  ASSERT_TRUE(array);
  EXPECT_EQ(10, array.get()->rgsabound[0].lLbound);
  EXPECT_EQ(1, array.get()->rgsabound[1].lLbound);
  LONG value = 0;
  EXPECT_EQ(S_OK, SafeArrayGetLBound(array.get(), 2, &value));
  EXPECT_EQ(10, value);
  EXPECT_EQ(S_OK, SafeArrayGetUBound(array.get(), 1, &value));
  EXPECT_EQ(2, value);
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetLBound(array.get(), 0, &value));
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetUBound(array.get(), 3, &value));

  LONG first[2] = {2, 10};
  LONG second[2] = {1, 11};
  LONG a = 77;
  LONG b = 55;
  ASSERT_EQ(S_OK, SafeArrayPutElement(array.get(), first, &a));
  ASSERT_EQ(S_OK, SafeArrayPutElement(array.get(), second, &b));
  const LONG* data = static_cast<const LONG*>(array.get()->pvData);
  EXPECT_EQ(77, data[1]);  // the first index varies fastest
  EXPECT_EQ(55, data[2]);
  ASSERT_EQ(S_OK, SafeArrayGetElement(array.get(), first, &value));
  EXPECT_EQ(77, value);
  LONG outside[2] = {3, 10};
  LONG below[2] = {1, 9};
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayPutElement(array.get(), outside, &a));
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetElement(array.get(), below, &value));
}

TEST(SafeArray, TextAndVariantElementsAreCopiedInAndOut) {
  com_safearray texts(SafeArrayCreateVector(VT_BSTR, 0, 2));
  LONG index = 0;
  const com_bstr text(SysAllocStringLen(OLESTR("a\0b"), 3));
  ASSERT_EQ(S_OK, SafeArrayPutElement(texts.get(), &index, text.get()));
  EXPECT_NE(text.get(), static_cast<BSTR*>(texts.get()->pvData)[0]);
  com_bstr read;
  ASSERT_EQ(S_OK, SafeArrayGetElement(texts.get(), &index, read.put()));
  EXPECT_EQ(std::string("a\0b", 3), Ascii(read.get()));
  index = 1;
  BSTR unset = SysAllocString(OLESTR("overwritten"));
  const com_bstr overwritten(unset);
  ASSERT_EQ(S_OK, SafeArrayGetElement(texts.get(), &index, &unset));
  EXPECT_EQ(nullptr, unset);  // an unset element reads as a null BSTR

  com_safearray variants(SafeArrayCreateVector(VT_VARIANT, 0, 1));
  com_variant in = Text(OLESTR("hi"));
  index = 0;
  ASSERT_EQ(S_OK, SafeArrayPutElement(variants.get(), &index, in.get()));
  com_variant out = I4(7);  // taken as uninitialised: overwritten, not cleared
  ASSERT_EQ(S_OK, SafeArrayGetElement(variants.get(), &index, out.get()));
  EXPECT_NE(in.get()->bstrVal, out.get()->bstrVal);
  EXPECT_EQ("BSTR:hi", Describe(out));
}

TEST(SafeArray, InterfaceElementsAreCountedAndReleasedOnDestroy) {
  com_test::Counted<IUnknown> object(IID_IUnknown);
  {
    com_safearray array(SafeArrayCreateVector(VT_UNKNOWN, 0, 2));
    for (LONG index = 0; index < 2; ++index) ASSERT_EQ(S_OK, SafeArrayPutElement(array.get(), &index, &object));
    EXPECT_EQ(3u, object.References());
    com_safearray copy;
    ASSERT_EQ(S_OK, SafeArrayCopy(array.get(), copy.put()));
    EXPECT_EQ(5u, object.References());
  }
  EXPECT_EQ(1u, object.References());
}

TEST(SafeArray, LocksGuardAgainstDestruction) {
  com_safearray array(SafeArrayCreateVector(VT_I4, 0, 4));
  void* data = nullptr;
  ASSERT_EQ(S_OK, SafeArrayAccessData(array.get(), &data));
  EXPECT_EQ(array.get()->pvData, data);
  EXPECT_EQ(1u, array.get()->cLocks);
  EXPECT_EQ(DISP_E_ARRAYISLOCKED, SafeArrayDestroy(array.get()));
  com_safearray copy;
  ASSERT_EQ(S_OK, SafeArrayCopy(array.get(), copy.put()));  // a locked array may still be read
  EXPECT_EQ(0u, copy.get()->cLocks);
  EXPECT_EQ(S_OK, SafeArrayUnaccessData(array.get()));
  EXPECT_EQ(E_UNEXPECTED, SafeArrayUnlock(array.get()));
  EXPECT_EQ(S_OK, SafeArrayDestroy(array.release()));
}

TEST(SafeArray, ClearingAVariantOfVariantsFreesEveryNestedValue) {
  com_variant holder = Make(VT_ARRAY | VT_VARIANT, [](VARIANT& v) { v.parray = SafeArrayCreateVector(VT_VARIANT, 0, 3); });
  for (LONG index = 0; index < 3; ++index) {
    com_variant element = Text(OLESTR("nested"));
    ASSERT_EQ(S_OK, SafeArrayPutElement(holder.get()->parray, &index, element.get()));
  }
  EXPECT_EQ(S_OK, VariantClear(holder.get()));  // the leak checker sees the rest
}
