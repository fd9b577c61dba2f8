// The item record: copies own their value.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "VEMDcnOpcItem.h"

namespace {

std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

VEMDcnOpcItem* NewFilledItem() {
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

std::string Fields(const VEMDcnOpcItem& item) {
  return Utf8(item._Name + "|" + item._ItemID + "|" + item._Path + "|" + item.Variant2String()) + "|" +
         std::to_string(item._AccessRights) + "|" + std::to_string(item._UserData1) + "|" +
         std::to_string(item._UserData2) + "|" + std::to_string(item._CanonicalDataType) + "|" +
         std::to_string(item._UserFlag);
}

const std::string kFilled = "Level|Plant.Tank1.Level|Plant.Tank1.|full|3|3735928559|7|5|1";

}  // namespace

TEST(ItemRecord, CopiesOwnTheirValue) {
  VEMDcnOpcItem* original = NewFilledItem();
  VEMDcnOpcItem copy(*original);
  VEMDcnOpcItem assigned;
  assigned._Value.vt = VT_BSTR;
  assigned._Value.bstrVal = SysAllocString(OLESTR("old text, released by the assignment"));
  assigned = *original;
  EXPECT_NE(copy._Value.bstrVal, original->_Value.bstrVal);
  EXPECT_NE(assigned._Value.bstrVal, original->_Value.bstrVal);
  delete original;
  EXPECT_EQ(Fields(copy), kFilled);
  EXPECT_EQ(Fields(assigned), kFilled);

  VEMDcnOpcItem& alias = assigned;
  assigned = alias;
  EXPECT_EQ(Fields(assigned), kFilled);
}

TEST(ItemRecord, CopiedArraysAreIndependent) {
  VEMDcnOpcItem original;
  original._Value.vt = VT_ARRAY | VT_I4;
  original._Value.parray = SafeArrayCreateVector(VT_I4, 0, 2);
  LONG* data = static_cast<LONG*>(original._Value.parray->pvData);
  data[0] = 1;
  data[1] = -2;
  VEMDcnOpcItem copy(original);
  data[0] = 100;
  EXPECT_EQ(Utf8(original.Variant2String()), "100 -2 ");
  EXPECT_EQ(Utf8(copy.Variant2String()), "1 -2 ");
}
