// The typed pointer lists of items and groups: both forward to the host's raw
// pointer collection and never own their elements.
#include <gtest/gtest.h>

#include <vector>

#include "FatalErrorRecorder.h"
#include "QARListPtrVEMDcnOpcGroup.h"
#include "QARListPtrVEMDcnOpcItem.h"
#include "VEMDcnOpcItem.h"

namespace {

template <class List>
class PointerList : public ::testing::Test {
 protected:
  typedef typename List::Element Element;

  // Distinct element pointers; the lists never dereference them.
  Element* At(int index) { return reinterpret_cast<Element*>(&_Slots[index]); }

  std::vector<Element*> Content(const List& list) {
    std::vector<Element*> elements;
    for (int pos = 1; pos <= list.Size(); ++pos) elements.push_back(list[pos]);
    return elements;
  }

  static int ByAddress(Element* first, Element* second) { return first < second ? -1 : (second < first ? 1 : 0); }

 private:
  long _Slots[8] = {};
};

typedef ::testing::Types<QARListPtrVEMDcnOpcItem, QARListPtrVEMDcnOpcGroup> ListTypes;
TYPED_TEST_SUITE(PointerList, ListTypes);

}  // namespace

TYPED_TEST(PointerList, AppendInsertLocateAndRemove) {
  TypeParam list;
  EXPECT_EQ(list.Append(this->At(1)), 1);
  EXPECT_EQ(list.Append(this->At(3)), 2);
  EXPECT_EQ(list.InsertAt(2, this->At(2)), 2);
  EXPECT_EQ(list.Append(this->At(1)), 4);
  EXPECT_EQ(this->Content(list), (std::vector<typename TypeParam::Element*>{this->At(1), this->At(2), this->At(3),
                                                                          this->At(1)}));
  EXPECT_EQ(list.Locate(this->At(1)), 1);
  EXPECT_EQ(list.Locate(this->At(1), 2), 4);
  EXPECT_EQ(list.NbOccur(this->At(1)), 2);
  EXPECT_EQ(list.RemoveValue(this->At(1)), 1);
  EXPECT_EQ(list.Locate(this->At(1)), 3);

  list[1] = this->At(5);
  EXPECT_EQ(list[1], this->At(5));
  EXPECT_EQ(list.RemovePosition(1, 5u), 3);
  EXPECT_EQ(list.Size(), 0);
}

TYPED_TEST(PointerList, GrowingLeavesNullsThatRemoveNullsTakesAway) {
  TypeParam list;
  list.Append(this->At(0));
  list.Size(4);
  ASSERT_EQ(list.Size(), 4);
  EXPECT_EQ(list[4], nullptr);
  list.Append(this->At(1));
  EXPECT_EQ(list.RemoveNulls(), 3);
  EXPECT_EQ(this->Content(list), (std::vector<typename TypeParam::Element*>{this->At(0), this->At(1)}));
}

TYPED_TEST(PointerList, CopiesComparisonAndSetOperations) {
  typename TypeParam::Element* raw[] = {this->At(3), this->At(1), this->At(3), this->At(2)};
  TypeParam list(raw, 4);
  TypeParam copy(list);
  EXPECT_EQ(copy == list, 1);
  copy.Swap(1, 2);
  EXPECT_EQ(copy != list, 1);
  TypeParam& alias = copy;
  copy = alias;
  copy = list;
  EXPECT_EQ(copy == list, 1);

  TypeParam extract;
  EXPECT_EQ(copy.RemoveDuplicates(&extract), 1);
  EXPECT_EQ(this->Content(extract), (std::vector<typename TypeParam::Element*>{this->At(3)}));

  TypeParam common;
  TypeParam::Intersection(list, extract, common);
  EXPECT_EQ(this->Content(common), (std::vector<typename TypeParam::Element*>{this->At(3), this->At(3)}));
  EXPECT_EQ(list.Remove(common), 2);
  EXPECT_EQ(this->Content(list), (std::vector<typename TypeParam::Element*>{this->At(1), this->At(2)}));
}

TYPED_TEST(PointerList, SortsAndComparesWithATypedFunction) {
  typename TypeParam::Element* raw[] = {this->At(4), this->At(2), this->At(7), this->At(1)};
  TypeParam list(raw, 4);
  list.QuickSort(&TestFixture::ByAddress);
  EXPECT_EQ(this->Content(list),
            (std::vector<typename TypeParam::Element*>{this->At(1), this->At(2), this->At(4), this->At(7)}));

  TypeParam same(list);
  EXPECT_EQ(TypeParam::Compare(list, same, &TestFixture::ByAddress), 0);
  same[4] = this->At(6);
  EXPECT_GT(TypeParam::Compare(list, same, &TestFixture::ByAddress), 0);

  typename TypeParam::Element* out[3] = {};
  list.FillArray(out, 3);
  EXPECT_EQ(out[2], this->At(4));
}

TYPED_TEST(PointerList, WrongPositionsAreReported) {
  FatalErrorRecorder recorder;
  TypeParam list;
  list.Append(this->At(0));
  EXPECT_EQ(list.InsertAt(3, this->At(1)), 0);
  list.RemovePosition(2);
  EXPECT_EQ(list.Size(), 1);
  EXPECT_EQ(FatalErrorRecorder::Reports().size(), 2u);
}

TEST(PointerListOwnership, RemovingOrDestroyingLeavesTheItemsAlone) {
  VEMDcnOpcItem first, second;
  first._Name = "first";
  {
    QARListPtrVEMDcnOpcItem items;
    items.Append(&first);
    items.Append(&second);
    items.RemoveValue(&second);
    items.RemoveAll(QARCollec::ReleaseStorage);
    items.Append(&first);
  }
  EXPECT_EQ(first._Name, QARUnicodeString("first"));
}
