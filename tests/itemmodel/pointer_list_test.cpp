// The typed pointer lists of items and groups: they hand the host's raw
// pointer collection typed elements and never own what they point to.
#include <gtest/gtest.h>

#include <vector>

#include "QARListPtrVEMDcnOpcGroup.h"
#include "QARListPtrVEMDcnOpcItem.h"
#include "VEMDcnOpcItem.h"

namespace {

template <class List>
struct PointerList : ::testing::Test {
  typedef typename List::Element Element;
  // Distinct element pointers; the lists never dereference them.
  long slots[8] = {};
  Element* At(int index) { return reinterpret_cast<Element*>(&slots[index]); }
  std::vector<Element*> Content(const List& list) {
    std::vector<Element*> elements;
    for (int pos = 1; pos <= list.Size(); ++pos) elements.push_back(list[pos]);
    return elements;
  }
  static int ByAddress(Element* first, Element* second) { return first < second ? -1 : (second < first ? 1 : 0); }
};

typedef ::testing::Types<QARListPtrVEMDcnOpcItem, QARListPtrVEMDcnOpcGroup> ListTypes;
TYPED_TEST_SUITE(PointerList, ListTypes);

}  // namespace

TYPED_TEST(PointerList, TypedOperationsReachTheRawCollection) {
  typedef std::vector<typename TypeParam::Element*> Elements;
  typename TypeParam::Element* raw[] = {this->At(4), this->At(2), this->At(7)};
  TypeParam list(raw, 3);
  EXPECT_EQ(list.InsertAt(2, this->At(4)), 2);
  EXPECT_EQ(list.Locate(this->At(4), 2), 2);
  EXPECT_EQ(list.NbOccur(this->At(4)), 2);
  EXPECT_EQ(list.RemoveValue(this->At(4)), 1);
  list[1] = this->At(1);
  EXPECT_EQ(this->Content(list), (Elements{this->At(1), this->At(2), this->At(7)}));

  TypeParam copy(list);
  copy.QuickSort(&TestFixture::ByAddress);
  EXPECT_EQ(this->Content(copy), (Elements{this->At(1), this->At(2), this->At(7)}));
  copy.Swap(1, 3);
  EXPECT_EQ(copy != list, 1);
  EXPECT_GT(TypeParam::Compare(copy, list, &TestFixture::ByAddress), 0);
  TypeParam& alias = copy;
  copy = alias;
  copy = list;
  EXPECT_EQ(TypeParam::Compare(copy, list, &TestFixture::ByAddress), 0);

  typename TypeParam::Element* out[2] = {};
  list.FillArray(out, 2);
  EXPECT_EQ(Elements(out, out + 2), (Elements{this->At(1), this->At(2)}));
}

TYPED_TEST(PointerList, GrowingLeavesNullsThatRemoveNullsTakesAway) {
  TypeParam list;
  list.Append(this->At(0));
  list.Size(4);
  list.Append(this->At(1));
  EXPECT_EQ(list[4], nullptr);
  EXPECT_EQ(list.RemoveNulls(), 3);
  EXPECT_EQ(this->Content(list), (std::vector<typename TypeParam::Element*>{this->At(0), this->At(1)}));
}

TEST(PointerListOwnership, RemovingOrDestroyingLeavesTheItemsAlone) {
  VEMDcnOpcItem* item = new VEMDcnOpcItem;
  {
    QARListPtrVEMDcnOpcItem items;
    items.Append(item);
    items.Append(item);
    items.RemoveValue(item);
  }
  delete item;  // a list that deleted its elements makes this a double free
}
