// VARIANT life cycle: what clearing and copying own, free and refuse.
#include <gtest/gtest.h>

#include "oleaut_test_support.h"

namespace {

com_variant Holding(IUnknown* object) {
  object->AddRef();
  return Make(VT_UNKNOWN, [object](VARIANT& v) { v.punkVal = object; });
}

}  // namespace

TEST(Variant, ClearFreesTextReleasesInterfacesAndLeavesReferencesAlone) {
  com_test::Counted<IUnknown> object(IID_IUnknown);
  com_variant unknown = Holding(&object);
  EXPECT_EQ(S_OK, VariantClear(unknown.get()));
  EXPECT_EQ(VT_EMPTY, unknown.vt());
  EXPECT_EQ(1u, object.References());

  comown::com_bstr owned(SysAllocString(OLESTR("kept")));
  BSTR target = owned.get();
  com_variant reference = Make(VT_BYREF | VT_BSTR, [&](VARIANT& v) { v.pbstrVal = &target; });
  EXPECT_EQ(S_OK, VariantClear(reference.get()));
  EXPECT_EQ(VT_EMPTY, reference.vt());
  EXPECT_EQ("kept", Ascii(owned.get()));

  com_variant text = Text(OLESTR("freed"));
  EXPECT_EQ(S_OK, VariantClear(text.get()));  // the leak checker sees the rest
}

TEST(Variant, ClearAndCopyRefuseTypesAVariantCannotHold) {
  for (VARTYPE vt : {VARTYPE(VT_EMPTY | VT_BYREF), VARTYPE(15), VARTYPE(VT_VECTOR | VT_I4), VARTYPE(VT_ARRAY | VT_NULL),
                     VARTYPE(VT_VOID), VARTYPE(VT_LPSTR)}) {
    VARIANT bad;
    VariantInit(&bad);
    bad.vt = vt;
    EXPECT_EQ(DISP_E_BADVARTYPE, VariantClear(&bad)) << vt;
    EXPECT_EQ(vt, bad.vt);
    com_variant copy;
    EXPECT_EQ(DISP_E_BADVARTYPE, VariantCopy(copy.get(), &bad)) << vt;
    EXPECT_EQ(VT_EMPTY, copy.vt());
  }
  VARIANT badDestination;
  badDestination.vt = 15;
  com_variant source = I4(3);
  EXPECT_EQ(DISP_E_BADVARTYPE, VariantCopy(&badDestination, source.get()));
  EXPECT_EQ(15, badDestination.vt);
}

TEST(Variant, CopyDuplicatesTextArraysAndCountsInterfaces) {
  com_variant source = Make(VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocStringLen(OLESTR("a\0b"), 3); });
  com_variant copy = Text(OLESTR("replaced"));  // cleared first, not leaked
  ASSERT_EQ(S_OK, VariantCopy(copy.get(), source.get()));
  EXPECT_NE(source.get()->bstrVal, copy.get()->bstrVal);
  EXPECT_EQ(std::string("BSTR:a\0b", 8), Describe(copy));
  EXPECT_EQ(S_OK, VariantCopy(copy.get(), copy.get()));

  com_test::Counted<IUnknown> object(IID_IUnknown);
  com_variant unknown = Holding(&object);
  {
    com_variant second(unknown);
    EXPECT_EQ(3u, object.References());
  }
  EXPECT_EQ(2u, object.References());

  com_variant texts = Make(VT_ARRAY | VT_BSTR, [](VARIANT& v) { v.parray = SafeArrayCreateVector(VT_BSTR, 0, 2); });
  LONG index = 1;
  const comown::com_bstr one(SysAllocString(OLESTR("one")));
  ASSERT_EQ(S_OK, SafeArrayPutElement(texts.get()->parray, &index, one.get()));
  com_variant textsCopy(texts);
  ASSERT_NE(texts.get()->parray, textsCopy.get()->parray);
  texts.clear();
  comown::com_bstr read;
  ASSERT_EQ(S_OK, SafeArrayGetElement(textsCopy.get()->parray, &index, read.put()));
  EXPECT_EQ("one", Ascii(read.get()));
}

TEST(Variant, ClearOfALockedArrayFailsButEmptiesTheVariant) {
  comown::com_safearray array(SafeArrayCreateVector(VT_I4, 0, 3));
  com_variant holder = Make(VT_ARRAY | VT_I4, [&](VARIANT& v) { v.parray = array.get(); });
  ASSERT_EQ(S_OK, SafeArrayLock(array.get()));
  EXPECT_EQ(DISP_E_ARRAYISLOCKED, VariantClear(holder.get()));
  EXPECT_EQ(VT_EMPTY, holder.vt());
  EXPECT_EQ(S_OK, SafeArrayUnlock(array.get()));
}

TEST(Variant, CopyIndFollowsReferencesIntoOwnedValues) {
  const comown::com_bstr text(SysAllocString(OLESTR("target")));
  BSTR target = text.get();
  VARIANT reference;
  reference.vt = VT_BYREF | VT_BSTR;
  reference.pbstrVal = &target;
  com_variant copy;
  ASSERT_EQ(S_OK, VariantCopyInd(copy.get(), &reference));
  EXPECT_NE(text.get(), copy.get()->bstrVal);
  EXPECT_EQ("BSTR:target", Describe(copy));

  com_variant inner = I4(9);
  VARIANT throughVariant;
  throughVariant.vt = VT_BYREF | VT_VARIANT;
  throughVariant.pvarVal = inner.get();
  ASSERT_EQ(S_OK, VariantCopyInd(copy.get(), &throughVariant));
  EXPECT_EQ("I4:9", Describe(copy));
}
