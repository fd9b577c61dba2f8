// The VARTYPE collection: content, growth policy and broken preconditions.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "FatalErrorRecorder.h"
#include "QARRawCollVARTYPE.h"

namespace {

// Exposes the storage pointer: a new pointer means the collection reallocated.
class ObservedColl : public QARRawCollVARTYPE {
 public:
  using QARRawCollVARTYPE::QARRawCollVARTYPE;
  using QARRawCollVARTYPE::operator=;
  using QARRawCollVARTYPE::Storage;
};

ObservedColl Make(std::initializer_list<VARTYPE> values) {
  ObservedColl coll;
  for (VARTYPE v : values) coll.Append(v);
  return coll;
}

std::vector<VARTYPE> Content(const QARRawCollVARTYPE& coll) {
  std::vector<VARTYPE> values;
  for (int pos = 1; pos <= coll.Size(); ++pos) values.push_back(coll[pos]);
  return values;
}

using V = std::vector<VARTYPE>;
const char* const kFile = "VEMDcn/VEMDcnOpcClient.m/src/VEMListOfVARTYPE";

// Appends one value and tells whether the storage moved.
bool AppendMoves(ObservedColl& coll, VARTYPE value) {
  VARTYPE* before = coll.Storage();
  coll.Append(value);
  return coll.Storage() != before;
}

}  // namespace

TEST(VartypeCollection, SingleAppendsDoubleTheCapacityWhenFull) {
  ObservedColl coll;
  EXPECT_EQ(coll.Storage(), nullptr);
  std::vector<int> sizesThatMoved;
  for (int n = 1; n <= 9; ++n) {
    if (AppendMoves(coll, static_cast<VARTYPE>(n))) sizesThatMoved.push_back(n);
  }
  EXPECT_EQ(sizesThatMoved, (std::vector<int>{1, 2, 3, 5, 9}));
  EXPECT_EQ(Content(coll), (V{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(VartypeCollection, BulkOperationsAllocateExactlyWhatTheyNeed) {
  ObservedColl three = Make({1, 2, 3});  // capacity 4
  ObservedColl copy(three);
  EXPECT_TRUE(AppendMoves(copy, 4)) << "a copy holds exactly the source's size";

  ObservedColl appended;
  appended.Append(three);
  EXPECT_TRUE(AppendMoves(appended, 4));

  ObservedColl sized;
  sized.Size(5, VT_I2);
  EXPECT_EQ(Content(sized), (V{VT_I2, VT_I2, VT_I2, VT_I2, VT_I2}));
  EXPECT_TRUE(AppendMoves(sized, 4));

  const VARTYPE raw[] = {VT_R8, VT_BOOL};
  ObservedColl fromArray(raw, 2);
  EXPECT_EQ(Content(fromArray), (V{VT_R8, VT_BOOL}));
  EXPECT_TRUE(AppendMoves(fromArray, 4));

  ObservedColl preallocated(3);
  EXPECT_EQ(preallocated.Size(), 0);
  EXPECT_NE(preallocated.Storage(), nullptr);
  for (VARTYPE v : {1, 2, 3}) EXPECT_FALSE(AppendMoves(preallocated, v));
}

TEST(VartypeCollection, AssignmentKeepsALargerStorageAndSelfAssignmentIsHarmless) {
  ObservedColl big = Make({1, 2, 3, 4, 5, 6, 7, 8});
  VARTYPE* storage = big.Storage();
  big = Make({7, 7});
  EXPECT_EQ(Content(big), (V{7, 7}));
  big = Make({1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(big.Storage(), storage);

  ObservedColl& alias = big;
  big = alias;
  EXPECT_EQ(Content(big), (V{1, 2, 3, 4, 5, 6, 7}));

  ObservedColl small = Make({9});
  small = big;
  EXPECT_EQ(Content(small), Content(big));
  EXPECT_TRUE(AppendMoves(small, 1)) << "grown by assignment to exactly 7";
}

TEST(VartypeCollection, SizeShrinksAndGrowsWithOrWithoutFiller) {
  ObservedColl coll = Make({1, 2, 3, 4});
  coll.Size(2, VT_BSTR);
  EXPECT_EQ(Content(coll), (V{1, 2}));
  coll.Size(4, VT_BSTR);  // within the capacity: filled, not reallocated
  EXPECT_EQ(Content(coll), (V{1, 2, VT_BSTR, VT_BSTR}));
  coll.Size(1);
  coll.Size(3);
  EXPECT_EQ(coll.Size(), 3);
  EXPECT_EQ(coll[1], 1);
}

TEST(VartypeCollection, AppendingACollectionToItselfDoublesIt) {
  ObservedColl coll = Make({1, 2, 3});
  coll.Append(coll);
  EXPECT_EQ(Content(coll), (V{1, 2, 3, 1, 2, 3}));
}

TEST(VartypeCollection, InsertAtEveryValidPosition) {
  ObservedColl coll = Make({2, 4});  // full: the insertion grows
  coll.InsertAt(1, 1);
  EXPECT_EQ(Content(coll), (V{1, 2, 4}));
  coll.InsertAt(3, 3);  // room left: shifts in place
  EXPECT_EQ(Content(coll), (V{1, 2, 3, 4}));
  coll.InsertAt(5, 5);  // behind the last is an append
  EXPECT_EQ(Content(coll), (V{1, 2, 3, 4, 5}));

  ObservedColl empty;
  empty.InsertAt(1, VT_I4);
  EXPECT_EQ(Content(empty), (V{VT_I4}));
}

TEST(VartypeCollection, LocateCountAndCompare) {
  ObservedColl coll = Make({5, 3, 5, 8});
  EXPECT_EQ(coll.Locate(5, 1), 1);
  EXPECT_EQ(coll.Locate(5, 2), 3);
  EXPECT_EQ(coll.Locate(8, 4), 4);
  EXPECT_EQ(coll.Locate(5, 4), 0);
  EXPECT_EQ(coll.Locate(5, 5), 0) << "start behind the end";
  EXPECT_EQ(coll.Locate(9, 1), 0);
  EXPECT_EQ(coll.NbOccur(5), 2);
  EXPECT_EQ(coll.NbOccur(9), 0);

  ObservedColl sameValuesMoreRoom(16);
  sameValuesMoreRoom.Append(coll);
  EXPECT_EQ(coll == sameValuesMoreRoom, 1);
  EXPECT_EQ(coll != sameValuesMoreRoom, 0);
  EXPECT_EQ(coll != Make({5, 3, 5}), 1);
  EXPECT_EQ(coll != Make({5, 3, 5, 9}), 1);
  EXPECT_EQ(coll == Make({5, 3, 5, 9}), 0);
  EXPECT_EQ(coll == coll, 1);
}

TEST(VartypeCollection, RemovalsTakeTheFirstOccurrence) {
  ObservedColl coll = Make({4, 7, 4, 9});
  EXPECT_EQ(coll.RemoveValue(4), 1);
  EXPECT_EQ(coll.RemoveValue(4), 2);
  EXPECT_EQ(coll.RemoveValue(4), 0);
  EXPECT_EQ(Content(coll), (V{7, 9}));

  ObservedColl other = Make({1, 2, 1, 3, 1});
  EXPECT_EQ(other.Remove(Make({1, 1, 5, 3})), 3);
  EXPECT_EQ(Content(other), (V{2, 1}));

  other.RemovePosition(1);
  EXPECT_EQ(Content(other), (V{1}));
}

TEST(VartypeCollection, RemovingItselfEmptiesAndFreesTheStorage) {
  ObservedColl coll = Make({1, 2, 3});
  EXPECT_EQ(coll.Remove(coll), 3);
  EXPECT_EQ(coll.Size(), 0);
  EXPECT_EQ(coll.Storage(), nullptr);
}

TEST(VartypeCollection, RemoveAllReleasesTheStorageOnlyWhenAsked) {
  ObservedColl coll = Make({1, 2, 3});  // capacity 4
  coll.RemoveAll(QARCollec::KeepStorage);
  EXPECT_EQ(coll.Size(), 0);
  for (VARTYPE v : {1, 2, 3, 4}) EXPECT_FALSE(AppendMoves(coll, v));
  coll.RemoveAll(QARCollec::ReleaseStorage);
  EXPECT_EQ(coll.Size(), 0);
  EXPECT_EQ(coll.Storage(), nullptr);
}

TEST(VartypeCollection, RemoveNullsRemovesEveryEmptyType) {
  ObservedColl coll = Make({0, 0, VT_I2, 0, VT_R4, 0});
  EXPECT_EQ(coll.RemoveNulls(), 4);
  EXPECT_EQ(Content(coll), (V{VT_I2, VT_R4}));
  EXPECT_EQ(coll.RemoveNulls(), 0);
}

TEST(VartypeCollection, RemoveDuplicatesKeepsFirstOccurrencesAndExtractsTheRest) {
  ObservedColl coll = Make({3, 2, 3, 3, 2});
  ObservedColl extract = Make({7});
  EXPECT_EQ(coll.RemoveDuplicates(&extract), 3);
  EXPECT_EQ(Content(coll), (V{3, 2}));
  EXPECT_EQ(Content(extract), (V{7, 3, 3, 2}));

  ObservedColl noExtract = Make({1, 1, 1});
  EXPECT_EQ(noExtract.RemoveDuplicates(nullptr), 2);
  EXPECT_EQ(Content(noExtract), (V{1}));
}

TEST(VartypeCollection, IntersectionAppendsCommonValuesBehindTheResult) {
  ObservedColl result = Make({9});
  QARRawCollVARTYPE::Intersection(Make({2, 3, 2}), Make({2}), result);
  EXPECT_EQ(Content(result), (V{9, 2, 2}));

  ObservedColl first = Make({4, 5});
  QARRawCollVARTYPE::Intersection(first, first, result);
  EXPECT_EQ(Content(result), (V{9, 2, 2, 4, 5}));

  QARRawCollVARTYPE::Intersection(first, ObservedColl(), result);
  EXPECT_EQ(result.Size(), 5);

  // The first collection as result gains only what it held at the start.
  QARRawCollVARTYPE::Intersection(first, Make({5, 4}), first);
  EXPECT_EQ(Content(first), (V{4, 5, 4, 5}));
}

TEST(VartypeCollection, SwapAndFillArray) {
  ObservedColl coll = Make({1, 2, 3});
  coll.Swap(1, 3);
  coll.Swap(2, 2);
  EXPECT_EQ(Content(coll), (V{3, 2, 1}));

  VARTYPE out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  coll.FillArray(out, 2);
  EXPECT_EQ(V(out, out + 4), (V{3, 2, 0xAA, 0xAA}));
  coll.FillArray(out, 4);
  EXPECT_EQ(V(out, out + 4), (V{3, 2, 1, 0xAA}));
  VARTYPE untouched[1] = {0xAA};
  coll.FillArray(untouched, 0);
  EXPECT_EQ(untouched[0], 0xAA);
}

TEST(VartypeCollection, BrokenPositionsAreReportedAndChangeNothing) {
  FatalErrorRecorder recorder;
  ObservedColl coll = Make({1, 2});
  const ObservedColl& constColl = coll;

  EXPECT_EQ(constColl[0], 0);
  coll[3] = 99;
  coll.RemovePosition(3);
  coll.InsertAt(0, 5);
  coll.InsertAt(4, 5);
  coll.Swap(1, 3);
  coll.Swap(0, 1);
  EXPECT_EQ(Content(coll), (V{1, 2}));

  const std::string position = "AssertionFailed:iPos > 0 && iPos <= _Size";
  const std::string insert = "AssertionFailed:iPos >= 1 && iPos <= _Size+1";
  const std::string swap = "AssertionFailed:iPos1 > 0 && iPos1 <= _Size && iPos2 > 0 && iPos2 <= _Size";
  const std::vector<std::string> expected = {position, position, position, insert, insert, swap, swap};
  std::vector<std::string> messages;
  for (const FatalReport& report : FatalErrorRecorder::Reports()) {
    messages.push_back(report.message);
    EXPECT_EQ(report.file, kFile);
    EXPECT_EQ(report.line, 19);
  }
  EXPECT_EQ(messages, expected);

  ObservedColl empty;
  empty.RemovePosition(1);
  EXPECT_EQ(empty.Storage(), nullptr);
  EXPECT_EQ(FatalErrorRecorder::Reports().size(), expected.size() + 1);
}
