// The item record: initial state, copies that own their value, destruction.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "VEMDcnOpcItem.h"

namespace {

std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

// A VT_ARRAY|VT_I4 value holding the given numbers.
void SetLongArray(VARIANT& value, std::initializer_list<LONG> numbers) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(numbers.size()));
  void* data = nullptr;
  SafeArrayAccessData(array, &data);
  LONG* slot = static_cast<LONG*>(data);
  for (LONG n : numbers) *slot++ = n;
  SafeArrayUnaccessData(array);
  value.vt = VT_ARRAY | VT_I4;
  value.parray = array;
}

VEMDcnOpcItem* MakeFilledItem() {
  VEMDcnOpcItem* item = new VEMDcnOpcItem;
  item->_Name = "Level";
  item->_ItemID = "Plant.Tank1.Level";
  item->_Path = "Plant.Tank1.";
  item->_Value.vt = VT_BSTR;
  item->_Value.bstrVal = SysAllocString(OLESTR("full"));
  item->_AccessRights = 3;
  item->_UserData1 = 0xDEADBEEF;
  item->_UserData2 = 7;
  item->_CanonicalDataType = VT_R8;
  item->_UserFlag = true;
  return item;
}

void ExpectSameFields(const VEMDcnOpcItem& copy) {
  EXPECT_EQ(Utf8(copy._Name), "Level");
  EXPECT_EQ(Utf8(copy._ItemID), "Plant.Tank1.Level");
  EXPECT_EQ(Utf8(copy._Path), "Plant.Tank1.");
  EXPECT_EQ(copy._AccessRights, 3u);
  EXPECT_EQ(copy._UserData1, 0xDEADBEEFu);
  EXPECT_EQ(copy._UserData2, 7u);
  EXPECT_EQ(copy._CanonicalDataType, VT_R8);
  EXPECT_TRUE(copy._UserFlag);
  EXPECT_EQ(Utf8(copy.Variant2String()), "full");
}

}  // namespace

TEST(ItemRecord, StartsEmpty) {
  VEMDcnOpcItem item;
  EXPECT_TRUE(item._Name.IsEmpty());
  EXPECT_TRUE(item._ItemID.IsEmpty());
  EXPECT_TRUE(item._Path.IsEmpty());
  EXPECT_EQ(item._Value.vt, VT_EMPTY);
  EXPECT_EQ(item._AccessRights, 0u);
  EXPECT_EQ(item._UserData1, 0u);
  EXPECT_EQ(item._UserData2, 0u);
  EXPECT_EQ(item._CanonicalDataType, VT_EMPTY);
  EXPECT_FALSE(item._UserFlag);
  EXPECT_EQ(Utf8(item.GetPelType()), "???");
  EXPECT_EQ(Utf8(item.GetOpcType()), "???");
  EXPECT_EQ(item.GetPelDirection(), 3);
  EXPECT_EQ(Utf8(item.Variant2String()), "VT_EMPTY");
}

TEST(ItemRecord, CopyOutlivesTheOriginalsString) {
  VEMDcnOpcItem* original = MakeFilledItem();
  VEMDcnOpcItem copy(*original);
  EXPECT_NE(copy._Value.bstrVal, original->_Value.bstrVal);
  delete original;
  ExpectSameFields(copy);
}

TEST(ItemRecord, AssignmentReleasesTheOldValueAndCopiesTheNew) {
  VEMDcnOpcItem* source = MakeFilledItem();
  VEMDcnOpcItem target;
  target._Value.vt = VT_BSTR;
  target._Value.bstrVal = SysAllocString(OLESTR("old text, to be released"));
  target = *source;
  delete source;
  ExpectSameFields(target);

  VEMDcnOpcItem& alias = target;
  target = alias;
  ExpectSameFields(target);
}

TEST(ItemRecord, CopiedArraysAreIndependent) {
  VEMDcnOpcItem original;
  SetLongArray(original._Value, {1, -2, 3});
  VEMDcnOpcItem copy(original);
  static_cast<LONG*>(original._Value.parray->pvData)[0] = 100;
  EXPECT_EQ(Utf8(original.Variant2String()), "100 -2 3 ");
  EXPECT_EQ(Utf8(copy.Variant2String()), "1 -2 3 ");

  VEMDcnOpcItem assigned;
  SetLongArray(assigned._Value, {9});
  assigned = original;
  EXPECT_NE(assigned._Value.parray, original._Value.parray);
  EXPECT_EQ(Utf8(assigned.Variant2String()), "100 -2 3 ");
}
