// The framework's collections as a host uses them: 1-based positions, the
// removal and growth rules, broken preconditions, dictionaries and value lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FrameworkTestSupport.h"
#include "QARBaseUnknown.h"
#include "QARHashDico.h"
#include "QARListVal.h"
#include "QARRawCollPV.h"
#include "QARTestSupport.h"

namespace {

// Distinct pointers standing for elements.
int cells[8];
void* P(int i) { return &cells[i]; }

std::vector<void*> Content(const QARRawCollPV& list) {
  std::vector<void*> content;
  for (int position = 1; position <= list.Size(); ++position) content.push_back(list[position]);
  return content;
}

QARRawCollPV ListOf(std::vector<void*> elements) { return QARRawCollPV(elements.data(), static_cast<int>(elements.size())); }

int ByAddress(void* first, void* second) { return first < second ? -1 : (first == second ? 0 : 1); }

}  // namespace

TEST(PointerList, GrowsByDoublingOneElementAtATime) {
  QARRawCollPV list;
  EXPECT_EQ(0, list.Allocated());
  std::vector<int> capacities;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(i + 1, list.Append(P(i)));
    capacities.push_back(list.Allocated());
  }
  EXPECT_EQ((std::vector<int>{1, 2, 4, 4, 8}), capacities);
  EXPECT_EQ(P(0), list[1]);
  EXPECT_EQ(P(4), list[5]);
}

TEST(PointerList, InsertAtAcceptsOnePastTheEndAndReportsOtherPositions) {
  QARErrorLogCapture log;
  QARRawCollPV list = ListOf({P(1), P(2)});
  EXPECT_EQ(3, list.InsertAt(3, P(3)));
  EXPECT_EQ(1, list.InsertAt(1, P(0)));
  EXPECT_EQ((std::vector<void*>{P(0), P(1), P(2), P(3)}), Content(list));

  EXPECT_EQ(0, list.InsertAt(0, P(5)));
  EXPECT_EQ(0, list.InsertAt(6, P(5)));
  EXPECT_EQ(4, list.Size());
  ASSERT_EQ(2u, log.Lines().size());
  EXPECT_EQ(0u, log.Lines()[0].find("AssertionFailed:iPos >= 1 && iPos <= _Size+1 (VEMDcn/framework/QARRawCollPV, line "))
      << log.Lines()[0];
}

TEST(PointerList, OutOfRangePositionsAreReportedAndTouchNothing) {
  QARErrorLogCapture log;
  QARRawCollPV list = ListOf({P(1)});
  list[2] = P(7);
  list.RemovePosition(0);
  list.Swap(1, 2);
  EXPECT_EQ((std::vector<void*>{P(1)}), Content(list));
  const std::vector<std::string> lines = log.Lines();
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(0u, lines[0].find("AssertionFailed:iPos > 0 && iPos <= _Size ("));
  EXPECT_EQ(0u, lines[1].find("AssertionFailed:iPos > 0 && iPos <= _Size ("));
  EXPECT_EQ(0u, lines[2].find("AssertionFailed:iPos1 > 0 && iPos1 <= _Size && iPos2 > 0 && iPos2 <= _Size ("));
}

TEST(PointerList, RemovalRules) {
  QARRawCollPV list = ListOf({P(3), P(2), P(3), P(3), P(2)});
  EXPECT_EQ(1, list.RemoveValue(P(3)));  // only the first one
  EXPECT_EQ(2, list.RemoveValue(P(3)));
  EXPECT_EQ(0, list.RemoveValue(P(6)));
  EXPECT_EQ((std::vector<void*>{P(2), P(3), P(2)}), Content(list));

  QARRawCollPV duplicates = ListOf({P(3), P(2), P(3), P(3), P(2)});
  QARRawCollPV removed = ListOf({P(7)});
  EXPECT_EQ(3, duplicates.RemoveDuplicates(&removed));
  EXPECT_EQ((std::vector<void*>{P(3), P(2)}), Content(duplicates));
  EXPECT_EQ((std::vector<void*>{P(7), P(3), P(3), P(2)}), Content(removed));

  QARRawCollPV several = ListOf({P(1), P(2), P(1), P(4)});
  EXPECT_EQ(2, several.Remove(ListOf({P(1), P(5), P(4)})));
  EXPECT_EQ((std::vector<void*>{P(2), P(1)}), Content(several));
  EXPECT_EQ(1, several.RemovePosition(2, 10u));
  EXPECT_EQ((std::vector<void*>{P(2)}), Content(several));
}

TEST(PointerList, RemovingItselfEmptiesAndFreesButRemoveAllMayKeepStorage) {
  QARRawCollPV list = ListOf({P(1), P(2), P(3)});
  EXPECT_EQ(3, list.Remove(list));
  EXPECT_EQ(0, list.Size());
  EXPECT_EQ(0, list.Allocated());

  QARRawCollPV kept = ListOf({P(1), P(2), P(3), P(4)});
  kept.RemoveAll(QARCollec::KeepStorage);
  EXPECT_EQ(0, kept.Size());
  EXPECT_EQ(4, kept.Allocated());
  kept.RemoveAll(QARCollec::ReleaseStorage);
  EXPECT_EQ(0, kept.Allocated());
}

TEST(PointerList, GrowingWithSizeLeavesNullsThatRemoveNullsTakesOut) {
  QARRawCollPV list = ListOf({P(1), nullptr, P(2)});
  list.Size(6);
  EXPECT_EQ(6, list.Size());
  EXPECT_EQ(nullptr, list[6]);
  EXPECT_EQ(4, list.RemoveNulls());
  EXPECT_EQ((std::vector<void*>{P(1), P(2)}), Content(list));
  list.Size(1);
  EXPECT_EQ((std::vector<void*>{P(1)}), Content(list));
}

TEST(PointerList, EqualityIgnoresCapacityAndIntersectionAppends) {
  QARRawCollPV roomy(16);
  roomy.Append(P(1));
  EXPECT_EQ(1, roomy == ListOf({P(1)}));
  EXPECT_EQ(1, roomy != ListOf({P(1), P(1)}));

  QARRawCollPV result = ListOf({P(7)});
  QARRawCollPV::Intersection(ListOf({P(2), P(3), P(2)}), ListOf({P(2)}), result);
  EXPECT_EQ((std::vector<void*>{P(7), P(2), P(2)}), Content(result));

  QARRawCollPV same = ListOf({P(1), P(2)});
  QARRawCollPV::Intersection(same, same, same);
  EXPECT_EQ((std::vector<void*>{P(1), P(2), P(1), P(2)}), Content(same));

  QARRawCollPV doubled = ListOf({P(1), P(2)});
  doubled.Append(doubled);
  EXPECT_EQ(4, doubled.Size());
}

TEST(PointerList, SortingIsStableAndCompareOrdersByElementsThenSize) {
  QARRawCollPV list = ListOf({P(5), P(1), P(3), P(1)});
  list.QuickSort(ByAddress);
  EXPECT_EQ((std::vector<void*>{P(1), P(1), P(3), P(5)}), Content(list));

  EXPECT_EQ(0, QARRawCollPV::Compare(ListOf({P(1), P(2)}), ListOf({P(1), P(2)}), ByAddress));
  EXPECT_GT(0, QARRawCollPV::Compare(ListOf({P(1)}), ListOf({P(1), P(2)}), ByAddress));
  EXPECT_LT(0, QARRawCollPV::Compare(ListOf({P(2)}), ListOf({P(1), P(2)}), ByAddress));

  void* array[3] = {nullptr, nullptr, P(7)};
  list.FillArray(array, 2);
  EXPECT_EQ(P(1), array[0]);
  EXPECT_EQ(P(7), array[2]);
  EXPECT_EQ(3, list.Locate(P(3), 2));
  EXPECT_EQ(0, list.Locate(P(3), 4));
  EXPECT_EQ(2, list.NbOccur(P(1)));
}

TEST(Dictionary, InsertKeepsTheFirstValueOfAKey) {
  QARHashDico dico(10);
  EXPECT_EQ(1, dico.Insert("Tank1.Level", P(1)));
  EXPECT_EQ(0, dico.Insert("Tank1.Level", P(2)));
  EXPECT_EQ(1, dico.Insert("tank1.level", P(3)));  // keys compare exactly
  EXPECT_EQ(2, dico.Size());
  EXPECT_EQ(P(1), dico.Locate("Tank1.Level"));
  EXPECT_EQ(nullptr, dico.Locate("Tank2.Level"));

  EXPECT_EQ(1, dico.Insert("empty", nullptr));
  void* value = P(7);
  EXPECT_EQ(1, dico.Locate("empty", &value));
  EXPECT_EQ(nullptr, value);
  EXPECT_EQ(0, dico.Locate("absent", &value));

  EXPECT_EQ(1, dico.Remove("Tank1.Level"));
  EXPECT_EQ(0, dico.Remove("Tank1.Level"));
  EXPECT_EQ(2, dico.Size());
}

TEST(Dictionary, IterationFollowsInsertionOrderAndSurvivesRemovingTheCurrentEntry) {
  QARHashDico dico;
  const char* keys[] = {"c", "a", "b", "d"};
  for (int i = 0; i < 4; ++i) dico.Insert(keys[i], P(i));

  QARHashCodeIter iter(dico);
  std::vector<std::string> seen;
  while (iter.Next()) {
    seen.push_back(Utf8(iter.GetKey()));
    if (iter.GetKey() == QARUnicodeString("a")) dico.Remove("a");
  }
  EXPECT_EQ((std::vector<std::string>{"c", "a", "b", "d"}), seen);
  EXPECT_EQ(nullptr, iter.GetValue());
  EXPECT_EQ(0, iter.Next());

  iter.Reset();
  ASSERT_EQ(1, iter.Next());
  EXPECT_EQ(P(0), iter.GetValue());
  EXPECT_EQ(3, dico.Size());

  QARHashDico copy(dico);
  dico.RemoveAll();
  EXPECT_EQ(3, copy.Size());
  EXPECT_EQ(P(3), copy.Locate("d"));
}

TEST(ValueLists, TextListIsOneBased) {
  QARErrorLogCapture log;
  QARListValQARUnicodeString names;
  EXPECT_EQ(1, names.Append("Server.A"));
  EXPECT_EQ(2, names.Append("Server.B"));
  EXPECT_EQ("Server.B", Utf8(names[2]));
  EXPECT_EQ(2, names.Locate("Server.B"));
  EXPECT_EQ(0, names.Locate("Server.C"));
  EXPECT_EQ("", Utf8(names[3]));
  EXPECT_EQ(1u, log.Lines().size());
}

namespace {

struct Counted : QARBaseUnknown {};

}  // namespace

TEST(ValueLists, HandleListsAndTheirCopiesHoldTheirOwnReferences) {
  Counted* object = new Counted;
  {
    QARListValQARBaseUnknown_var list;
    list.Append(object);
    list.Append(object);
    EXPECT_EQ(3u, object->GetRefCount());
    {
      QARListValQARBaseUnknown_var copy(list);
      EXPECT_EQ(5u, object->GetRefCount());
      copy.RemovePosition(1);
      EXPECT_EQ(4u, object->GetRefCount());
      EXPECT_EQ(2, list.Size());
    }
    EXPECT_EQ(3u, object->GetRefCount());
    EXPECT_EQ(1, list.RemoveValue(object));
    EXPECT_EQ(object, list[1].GetPointer());
  }
  EXPECT_EQ(1u, object->GetRefCount());
  object->Release();
}
