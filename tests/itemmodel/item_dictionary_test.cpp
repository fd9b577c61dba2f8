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

// What a host does with a dictionary it received: delete the items, then it.
void DeleteWithItems(QARHashDicVEMDcnOpcItem* items) {
  QARHashCodeIter entry(items->GetDico());
  while (entry.Next()) delete static_cast<VEMDcnOpcItem*>(entry.GetValue());
  delete items;
}

}  // namespace

TEST(ItemDictionary, KeepsTheFirstItemOfAnIdentifier) {
  QARHashDicVEMDcnOpcItem* items = new QARHashDicVEMDcnOpcItem(10);
  VEMDcnOpcItem* first = NewItem("Plant.Tank1.Level", VT_R8);
  EXPECT_EQ(items->Insert(first->_ItemID, first), 1);

  VEMDcnOpcItem* again = NewItem("Plant.Tank1.Level", VT_R4);
  EXPECT_EQ(items->Insert(again->_ItemID, again), 0);
  delete again;  // refused: the caller still owns it

  VEMDcnOpcItem* other = NewItem("Plant.Tank1.level", VT_I2);  // keys are case-sensitive
  EXPECT_EQ(items->Insert(other->_ItemID, other), 1);

  EXPECT_EQ(items->Size(), 2);
  EXPECT_EQ(items->Locate("Plant.Tank1.Level"), first);
  EXPECT_EQ(items->Locate("Plant.Tank1.Level")->_CanonicalDataType, VT_R8);
  EXPECT_EQ(items->Locate("Plant.Tank2.Level"), nullptr);
  DeleteWithItems(items);
}

TEST(ItemDictionary, RemovingAndDestroyingLeaveTheItemsToTheirOwner) {
  VEMDcnOpcItem kept;
  kept._ItemID = "A";
  VEMDcnOpcItem alsoKept;
  alsoKept._ItemID = "B";
  {
    QARHashDicVEMDcnOpcItem items;
    items.Insert(kept._ItemID, &kept);
    items.Insert(alsoKept._ItemID, &alsoKept);
    EXPECT_EQ(items.Remove("A"), 1);
    EXPECT_EQ(items.Remove("A"), 0);
    EXPECT_EQ(items.Size(), 1);
  }
  EXPECT_EQ(kept._ItemID, QARUnicodeString("A"));
  EXPECT_EQ(alsoKept._ItemID, QARUnicodeString("B"));
}
