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

using Pointers = std::vector<void*>;

// Distinct pointers standing for elements.
int cells[8];
void* P(int i) { return &cells[i]; }

Pointers Content(const QARRawCollPV& list) {
  Pointers content;
  for (int position = 1; position <= list.Size(); ++position) content.push_back(list[position]);
  return content;
}

QARRawCollPV ListOf(Pointers elements) { return QARRawCollPV(elements.data(), static_cast<int>(elements.size())); }

int ByAddress(void* first, void* second) { return first < second ? -1 : (first == second ? 0 : 1); }

}  // namespace

TEST(PointerList, GrowsByDoublingOneElementAtATime) {
  QARRawCollPV list;
  std::vector<int> capacities{list.Allocated()};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(i + 1, list.Append(P(i)));
    capacities.push_back(list.Allocated());
  }
  EXPECT_EQ((std::vector<int>{0, 1, 2, 4, 4, 8}), capacities);
  EXPECT_EQ((Pointers{P(0), P(1), P(2), P(3), P(4)}), Content(list));
}

TEST(PointerList, BrokenPositionsAreReportedAndTouchNothing) {
  QARErrorLogCapture log;
  QARRawCollPV list = ListOf({P(1), P(2)});
  EXPECT_EQ(3, list.InsertAt(3, P(3)));  // one past the end is an append
  EXPECT_EQ(1, list.InsertAt(1, P(0)));
  EXPECT_EQ(0, list.InsertAt(0, P(5)));
  EXPECT_EQ(0, list.InsertAt(6, P(5)));
  list[5] = P(7);
  list.RemovePosition(0);
  list.Swap(1, 5);
  EXPECT_EQ((Pointers{P(0), P(1), P(2), P(3)}), Content(list));
  const std::vector<std::string> lines = log.Lines();
  const std::string position = "AssertionFailed:iPos > 0 && iPos <= _Size (VEMDcn/framework/QARRawCollPV, line ";
  const std::vector<std::string> expected = {
      "AssertionFailed:iPos >= 1 && iPos <= _Size+1 (", "AssertionFailed:iPos >= 1 && iPos <= _Size+1 (", position,
      position, "AssertionFailed:iPos1 > 0 && iPos1 <= _Size && iPos2 > 0 && iPos2 <= _Size ("};
  ASSERT_EQ(expected.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(0u, lines[i].find(expected[i])) << lines[i];
}

TEST(PointerList, RemovalRules) {
  QARRawCollPV list = ListOf({P(3), P(2), P(3), P(3), P(2)});
  EXPECT_EQ(1, list.RemoveValue(P(3)));  // only the first one
  EXPECT_EQ(2, list.RemoveValue(P(3)));
  EXPECT_EQ(0, list.RemoveValue(P(6)));
  EXPECT_EQ((Pointers{P(2), P(3), P(2)}), Content(list));

  QARRawCollPV duplicates = ListOf({P(3), P(2), P(3), P(3), P(2)});
  QARRawCollPV removed = ListOf({P(7)});
  EXPECT_EQ(3, duplicates.RemoveDuplicates(&removed));
  EXPECT_EQ((Pointers{P(3), P(2)}), Content(duplicates));
  EXPECT_EQ((Pointers{P(7), P(3), P(3), P(2)}), Content(removed));

  QARRawCollPV several = ListOf({P(1), P(2), P(1), P(4)});
  EXPECT_EQ(2, several.Remove(ListOf({P(1), P(5), P(4)})));
  EXPECT_EQ((Pointers{P(2), P(1)}), Content(several));
  EXPECT_EQ(1, several.RemovePosition(2, 10u));
  EXPECT_EQ((Pointers{P(2)}), Content(several));
  EXPECT_EQ(1, several.Remove(several));  // itself: empties and frees
  EXPECT_EQ(0, several.Allocated());

  QARRawCollPV kept = ListOf({P(1), P(2), P(3), P(4)});
  kept.RemoveAll(QARCollec::KeepStorage);
  EXPECT_EQ(0, kept.Size());
  EXPECT_EQ(4, kept.Allocated());
  kept.RemoveAll(QARCollec::ReleaseStorage);
  EXPECT_EQ(0, kept.Allocated());

  QARRawCollPV nulls = ListOf({P(1), nullptr, P(2)});
  nulls.Size(6);  // growing fills with nulls
  EXPECT_EQ(6, nulls.Size());
  EXPECT_EQ(4, nulls.RemoveNulls());
  EXPECT_EQ((Pointers{P(1), P(2)}), Content(nulls));
  nulls.Size(1);
  EXPECT_EQ((Pointers{P(1)}), Content(nulls));
}

TEST(PointerList, ComparingIntersectingSortingAndSearching) {
  QARRawCollPV roomy(16);
  roomy.Append(P(1));
  EXPECT_EQ(1, roomy == ListOf({P(1)}));  // capacity plays no part
  EXPECT_EQ(1, roomy != ListOf({P(1), P(1)}));

  QARRawCollPV result = ListOf({P(7)});
  QARRawCollPV::Intersection(ListOf({P(2), P(3), P(2)}), ListOf({P(2)}), result);
  EXPECT_EQ((Pointers{P(7), P(2), P(2)}), Content(result));
  QARRawCollPV same = ListOf({P(1), P(2)});
  QARRawCollPV::Intersection(same, same, same);
  EXPECT_EQ((Pointers{P(1), P(2), P(1), P(2)}), Content(same));
  same.Append(same);
  EXPECT_EQ(8, same.Size());

  QARRawCollPV list = ListOf({P(5), P(1), P(3), P(1)});
  list.QuickSort(ByAddress);
  EXPECT_EQ((Pointers{P(1), P(1), P(3), P(5)}), Content(list));
  EXPECT_EQ(0, QARRawCollPV::Compare(ListOf({P(1), P(2)}), ListOf({P(1), P(2)}), ByAddress));
  EXPECT_GT(0, QARRawCollPV::Compare(ListOf({P(1)}), ListOf({P(1), P(2)}), ByAddress));
  EXPECT_LT(0, QARRawCollPV::Compare(ListOf({P(2)}), ListOf({P(1), P(2)}), ByAddress));

  void* array[3] = {nullptr, nullptr, P(7)};
  list.FillArray(array, 2);
  EXPECT_EQ((Pointers{P(1), P(1), P(7)}), Pointers(array, array + 3));
  EXPECT_EQ(3, list.Locate(P(3), 2));
  EXPECT_EQ(0, list.Locate(P(3), 4));
  EXPECT_EQ(2, list.NbOccur(P(1)));
}

TEST(Dictionary, KeysAreExactTheFirstValueStaysAndIterationKeepsInsertionOrder) {
  QARHashDico dico(10);
  EXPECT_EQ(1, dico.Insert("Tank1.Level", P(1)));
  EXPECT_EQ(0, dico.Insert("Tank1.Level", P(2)));
  EXPECT_EQ(1, dico.Insert("tank1.level", P(3)));  // keys compare exactly
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

  QARHashDico ordered;
  for (const char* key : {"c", "a", "b", "d"}) ordered.Insert(key, P(key[0] - 'a'));
  QARHashCodeIter iter(ordered);
  std::string seen;
  while (iter.Next()) {
    seen += Utf8(iter.GetKey());
    if (iter.GetKey() == QARUnicodeString("a")) ordered.Remove("a");  // removing the current entry is safe
  }
  EXPECT_EQ("cabd", seen);
  EXPECT_EQ(nullptr, iter.GetValue());
  EXPECT_EQ(0, iter.Next());
  iter.Reset();
  ASSERT_EQ(1, iter.Next());
  EXPECT_EQ(P(2), iter.GetValue());

  QARHashDico copy(ordered);
  ordered.RemoveAll();
  EXPECT_EQ(3, copy.Size());
  EXPECT_EQ(P(3), copy.Locate("d"));
}

TEST(ValueLists, AreOneBasedAndHandleListsHoldTheirOwnReferences) {
  QARErrorLogCapture log;
  QARListValQARUnicodeString names;
  EXPECT_EQ(1, names.Append("Server.A"));
  EXPECT_EQ(2, names.Append("Server.B"));
  EXPECT_EQ("Server.B", Utf8(names[2]));
  EXPECT_EQ(2, names.Locate("Server.B"));
  EXPECT_EQ(0, names.Locate("Server.C"));
  names[3] = "lost";  // a refused position: reported, and nothing lands in the list
  EXPECT_EQ("", Utf8(names[3]));
  EXPECT_EQ(2, names.Size());
  EXPECT_EQ(2u, log.Lines().size());

  com_ptr<QARBaseUnknown> object(new QARBaseUnknown, comown::attach);
  {
    QARListValQARBaseUnknown_var list;
    list.Append(object.get());
    list.Append(object.get());
    EXPECT_EQ(3u, object->GetRefCount());
    {
      QARListValQARBaseUnknown_var copy(list);
      EXPECT_EQ(5u, object->GetRefCount());
      copy.RemovePosition(1);
      EXPECT_EQ(4u, object->GetRefCount());
      EXPECT_EQ(2, list.Size());
    }
    EXPECT_EQ(3u, object->GetRefCount());
    EXPECT_EQ(1, list.RemoveValue(object.get()));
    EXPECT_EQ(object.get(), list[1].GetPointer());
  }
  EXPECT_EQ(1u, object->GetRefCount());
}
