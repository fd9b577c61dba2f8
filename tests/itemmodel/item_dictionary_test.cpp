// The item dictionary: keyed by item identifier, refuses duplicates, owns
// nothing.
#include <gtest/gtest.h>

#include "QARHashDicVEMDcnOpcItem.h"
#include "VEMDcnOpcItem.h"

namespace {

VEMDcnOpcItem* NewItem(const char* itemId, VARTYPE type) {
  VEMDcnOpcItem* item = new VEMDcnOpcItem;
  item->_ItemID = itemId;
  item->_CanonicalDataType = type;
  return item;
}

}  // namespace

TEST(ItemDictionary, KeepsTheFirstItemOfAnIdentifierAndOwnsNone) {
  QARHashDicVEMDcnOpcItem* items = new QARHashDicVEMDcnOpcItem(10);
  VEMDcnOpcItem* first = NewItem("Plant.Tank1.Level", VT_R8);
  VEMDcnOpcItem* again = NewItem("Plant.Tank1.Level", VT_R4);
  VEMDcnOpcItem* other = NewItem("Plant.Tank1.level", VT_I2);
  EXPECT_EQ(items->Insert(first->_ItemID, first), 1);
  EXPECT_EQ(items->Insert(again->_ItemID, again), 0);
  EXPECT_EQ(items->Insert(other->_ItemID, other), 1);
  delete again;  // refused: the caller still owns it

  EXPECT_EQ(items->Size(), 2);
  EXPECT_EQ(items->Locate("Plant.Tank1.Level"), first);
  EXPECT_EQ(items->Locate("Plant.Tank2.Level"), nullptr);
  EXPECT_EQ(items->Remove("Plant.Tank1.level"), 1);
  EXPECT_EQ(items->Remove("Plant.Tank1.level"), 0);
  delete other;

  // What a host does with a dictionary it received: delete the items, then it.
  QARHashCodeIter entry(items->GetDico());
  while (entry.Next()) delete static_cast<VEMDcnOpcItem*>(entry.GetValue());
  delete items;
}
