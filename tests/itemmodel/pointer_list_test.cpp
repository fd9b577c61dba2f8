// The typed pointer lists of items and groups: typed comparisons, and no
// ownership of what they point to.
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

// Most operations only forward to the raw collection, which has its own
// tests; the typed comparison is the list's own work.
TYPED_TEST(PointerList, SortsAndComparesThroughTheTypedFunction) {
  typedef std::vector<typename TypeParam::Element*> Elements;
  typename TypeParam::Element* raw[] = {this->At(4), this->At(2), this->At(7)};
  TypeParam list(raw, 3);
  EXPECT_EQ(list.Locate(this->At(4), 2), 0);  // the search starts where asked
  TypeParam sorted(list);
  sorted.QuickSort(&TestFixture::ByAddress);
  EXPECT_EQ(this->Content(sorted), (Elements{this->At(2), this->At(4), this->At(7)}));
  EXPECT_LT(TypeParam::Compare(sorted, list, &TestFixture::ByAddress), 0);
  sorted = list;
  EXPECT_EQ(TypeParam::Compare(sorted, list, &TestFixture::ByAddress), 0);
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
