// The VARTYPE collection: content, growth policy and broken preconditions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QARRawCollVARTYPE.h"
#include "QARTestSupport.h"

namespace {

using V = std::vector<VARTYPE>;

// Exposes the storage: a new pointer after a call means the call reallocated.
struct Coll : QARRawCollVARTYPE {
  using QARRawCollVARTYPE::QARRawCollVARTYPE;
  using QARRawCollVARTYPE::Storage;
  Coll(std::initializer_list<VARTYPE> values) {
    for (VARTYPE v : values) Append(v);
  }
  V Content() const {
    V values;
    for (int pos = 1; pos <= Size(); ++pos) values.push_back((*this)[pos]);
    return values;
  }
  bool AppendMoves(VARTYPE value) {
    VARTYPE* before = Storage();
    Append(value);
    return Storage() != before;
  }
};

}  // namespace

TEST(VartypeCollection, SingleValuesDoubleTheCapacityAndBulkGrowthIsExact) {
  Coll coll;
  EXPECT_EQ(coll.Storage(), nullptr);
  std::vector<int> moved;
  for (int n = 1; n <= 9; ++n) {
    if (coll.AppendMoves(static_cast<VARTYPE>(n))) moved.push_back(n);
  }
  EXPECT_EQ(moved, (std::vector<int>{1, 2, 3, 5, 9}));
  EXPECT_EQ(coll.Content(), (V{1, 2, 3, 4, 5, 6, 7, 8, 9}));

  // Each of these leaves a full storage, so the next single append moves it.
  const Coll three{1, 2, 3};  // capacity 4
  Coll copy(three);
  Coll appended;
  appended.Append(three);
  Coll sized;
  sized.Size(3, VT_I2);
  const VARTYPE raw[] = {VT_R8, VT_BOOL};
  Coll fromArray(raw, 2);
  Coll assigned{1};
  assigned = three;
  for (Coll* full : {&copy, &appended, &sized, &fromArray, &assigned}) EXPECT_TRUE(full->AppendMoves(4));
  EXPECT_EQ(sized.Content(), (V{VT_I2, VT_I2, VT_I2, 4}));
  EXPECT_EQ(fromArray.Content(), (V{VT_R8, VT_BOOL, 4}));

  Coll preallocated(3);
  for (VARTYPE v : {1, 2, 3}) EXPECT_FALSE(preallocated.AppendMoves(v));
}

TEST(VartypeCollection, ShrinkingKeepsTheStorageForLaterGrowth) {
  Coll coll{1, 2, 3, 4, 5, 6, 7, 8};
  VARTYPE* storage = coll.Storage();
  coll = Coll{7, 7};
  EXPECT_EQ(coll.Content(), (V{7, 7}));
  coll = Coll{1, 2, 3, 4, 5, 6, 7};
  coll.Size(2, VT_BSTR);
  coll.Size(4, VT_BSTR);
  EXPECT_EQ(coll.Content(), (V{1, 2, VT_BSTR, VT_BSTR}));
  coll.RemoveAll(QARCollec::KeepStorage);
  EXPECT_EQ(coll.Size(), 0);
  for (VARTYPE v : {1, 2, 3, 4, 5, 6, 7, 8}) EXPECT_FALSE(coll.AppendMoves(v));
  EXPECT_EQ(coll.Storage(), storage);

  Coll& alias = coll;
  coll = alias;
  EXPECT_EQ(coll.Size(), 8);
  coll.RemoveAll(QARCollec::ReleaseStorage);
  EXPECT_EQ(coll.Storage(), nullptr);
}

TEST(VartypeCollection, InsertAtEveryValidPositionAndAppendToItself) {
  Coll coll{2, 4};
  coll.InsertAt(1, 1);  // full: moves to a larger storage
  coll.InsertAt(3, 3);  // room left: shifts in place
  coll.InsertAt(5, 5);  // behind the last is an append
  EXPECT_EQ(coll.Content(), (V{1, 2, 3, 4, 5}));
  coll.Append(coll);
  EXPECT_EQ(coll.Content(), (V{1, 2, 3, 4, 5, 1, 2, 3, 4, 5}));
}

TEST(VartypeCollection, LocateCountCompareIntersectSwapAndFill) {
  Coll coll{5, 3, 5, 8};
  const std::vector<std::vector<int>> locations = {{5, 1, 1}, {5, 2, 3}, {8, 4, 4}, {5, 5, 0}, {9, 1, 0}};
  for (const auto& l : locations) EXPECT_EQ(coll.Locate(static_cast<VARTYPE>(l[0]), l[1]), l[2]) << l[0] << "@" << l[1];
  EXPECT_EQ(coll.NbOccur(5), 2);
  Coll roomier(16);
  roomier.Append(coll);
  EXPECT_EQ(coll == roomier, 1);
  EXPECT_EQ(coll != roomier, 0);
  EXPECT_EQ(coll != (Coll{5, 3, 5}), 1);
  EXPECT_EQ(coll == (Coll{5, 3, 5, 9}), 0);

  Coll result{9};
  QARRawCollVARTYPE::Intersection(Coll{2, 3, 2}, Coll{2}, result);
  EXPECT_EQ(result.Content(), (V{9, 2, 2}));
  QARRawCollVARTYPE::Intersection(result, Coll{}, result);
  Coll first{4, 5};
  QARRawCollVARTYPE::Intersection(first, first, result);
  EXPECT_EQ(result.Content(), (V{9, 2, 2, 4, 5}));
  first.Swap(1, 2);
  first.Swap(2, 2);
  EXPECT_EQ(first.Content(), (V{5, 4}));
  VARTYPE out[3] = {0xAA, 0xAA, 0xAA};
  first.FillArray(out, 0);
  EXPECT_EQ(out[0], 0xAA);
  first.FillArray(out, 3);
  EXPECT_EQ(V(out, out + 3), (V{5, 4, 0xAA}));
}

TEST(VartypeCollection, Removals) {
  Coll coll{4, 7, 4, 9};
  for (int position : {1, 2, 0}) EXPECT_EQ(coll.RemoveValue(4), position);
  coll.RemovePosition(2);
  EXPECT_EQ(coll.Content(), (V{7}));

  Coll other{1, 2, 1, 3, 1};
  EXPECT_EQ(other.Remove(Coll{1, 1, 5, 3}), 3);
  EXPECT_EQ(other.Content(), (V{2, 1}));
  EXPECT_EQ(other.Remove(other), 2);
  EXPECT_EQ(other.Size(), 0);
  EXPECT_EQ(other.Storage(), nullptr);

  Coll nulls{0, 0, VT_I2, 0, VT_R4, 0};
  EXPECT_EQ(nulls.RemoveNulls(), 4);
  EXPECT_EQ(nulls.Content(), (V{VT_I2, VT_R4}));
  Coll duplicates{3, 2, 3, 3, 2};
  Coll extract{7};
  EXPECT_EQ(duplicates.RemoveDuplicates(&extract), 3);
  EXPECT_EQ(duplicates.Content(), (V{3, 2}));
  EXPECT_EQ(extract.Content(), (V{7, 3, 3, 2}));
}

TEST(VartypeCollection, BrokenPositionsAreReportedAndChangeNothing) {
  QARErrorLogCapture log;
  Coll coll{1, 2};
  const Coll& constColl = coll;
  EXPECT_EQ(constColl[0], 0);
  coll[3] = 99;
  coll.RemovePosition(3);
  coll.InsertAt(0, 5);
  coll.InsertAt(4, 5);
  coll.Swap(1, 3);
  EXPECT_EQ(coll.Content(), (V{1, 2}));
  Coll().RemovePosition(1);

  const std::string at = " (VEMDcn/VEMDcnOpcClient.m/src/VEMListOfVARTYPE, line 19)";
  const std::string position = "AssertionFailed:iPos > 0 && iPos <= _Size" + at;
  const std::string insert = "AssertionFailed:iPos >= 1 && iPos <= _Size+1" + at;
  const std::string swap = "AssertionFailed:iPos1 > 0 && iPos1 <= _Size && iPos2 > 0 && iPos2 <= _Size" + at;
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{position, position, position, insert, insert, swap, position}));
}
