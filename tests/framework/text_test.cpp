// What a host sees of the framework's texts: conversions, editing at the
// edges, searches and number formatting.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "FrameworkTestSupport.h"
#include "QARUnicodeString.h"

namespace {

std::vector<unsigned> Units(const QARUnicodeString& text) {
  std::vector<unsigned> units;
  for (int i = 0; i < text.GetLengthInChar(); ++i) units.push_back(static_cast<unsigned>(text.GetWChar()[i]) & 0xFFFF);
  return units;
}

QARUnicodeString Number(double value, const char* format) {
  QARUnicodeString text;
  EXPECT_EQ(S_OK, text.BuildFromNum(value, format));
  return text;
}

}  // namespace

TEST(UnicodeText, EightBitTextIsLatin1AndConvertsBackAsUtf8) {
  const QARUnicodeString micro(" \xB5s for ");
  EXPECT_EQ((std::vector<unsigned>{0x20, 0xB5, 0x73, 0x20, 0x66, 0x6F, 0x72, 0x20}), Units(micro));
  EXPECT_EQ(" \xC2\xB5s for ", Utf8(micro));

  QARUnicodeString decoded;
  decoded.BuildFromUTF8(" \xC2\xB5s for ");
  EXPECT_EQ(micro, decoded);
}

TEST(UnicodeText, SurrogatePairsBecomeOneUtf8CharacterAndLoneOnesAreReplaced) {
  const WCHAR pair[] = {0xD83D, 0xDE00, 0};  // U+1F600
  EXPECT_EQ("\xF0\x9F\x98\x80", Utf8(QARUnicodeString(pair)));

  const WCHAR lone[] = {'a', 0xD83D, 'b', 0xDE00, 0};
  EXPECT_EQ("a\xEF\xBF\xBD" "b\xEF\xBF\xBD", Utf8(QARUnicodeString(lone)));

  QARUnicodeString decoded;
  decoded.BuildFromUTF8("\xF0\x9F\x98\x80");
  EXPECT_EQ((std::vector<unsigned>{0xD83D, 0xDE00}), Units(decoded));
  decoded.BuildFromUTF8("x\xC0\xAFy\xE2\x82");  // an overlong '/' and a cut sequence: one U+FFFD each
  EXPECT_EQ((std::vector<unsigned>{'x', 0xFFFD, 'y', 0xFFFD}), Units(decoded));
}

TEST(UnicodeText, WideTextKeepsEmbeddedTerminatorsOnlyWhenGivenALength) {
  const WCHAR text[] = {'a', 0, 'b', 0};
  EXPECT_EQ(1, QARUnicodeString(text).GetLengthInChar());
  EXPECT_EQ(3, QARUnicodeString(text, 3).GetLengthInChar());

  QARUnicodeString fromNull(static_cast<const WCHAR*>(nullptr));
  EXPECT_TRUE(fromNull.IsEmpty());
  EXPECT_EQ(0, *fromNull.GetWChar());
}

TEST(UnicodeText, BuildFromBSTRTakesTheWholeString) {
  const OLECHAR withTerminator[] = {'a', 0, 'b'};
  const BSTR text = SysAllocStringLen(withTerminator, 3);
  QARUnicodeString copy("old");
  EXPECT_EQ(S_OK, copy.BuildFromBSTR(text));
  EXPECT_EQ((std::vector<unsigned>{'a', 0, 'b'}), Units(copy));
  SysFreeString(text);

  EXPECT_EQ(S_OK, copy.BuildFromBSTR(nullptr));  // the null BSTR is the empty string
  EXPECT_TRUE(copy.IsEmpty());
}

TEST(UnicodeText, ConvertToWCharFillsTheTextAndItsTerminator) {
  const QARUnicodeString text("OPC");
  std::vector<WCHAR> buffer(6, static_cast<WCHAR>(0x7777));
  ASSERT_EQ(S_OK, text.ConvertToWChar(buffer.data()));
  EXPECT_EQ((std::vector<WCHAR>{'O', 'P', 'C', 0, 0x7777, 0x7777}), buffer);

  std::vector<WCHAR> single(2, static_cast<WCHAR>(0x7777));
  ASSERT_EQ(S_OK, QARUnicodeString().ConvertToWChar(single.data()));
  EXPECT_EQ(0, single[0]);
  EXPECT_EQ(0x7777, single[1]);
  EXPECT_EQ(E_POINTER, text.ConvertToWChar(nullptr));
}

TEST(UnicodeText, ConcatenationMixesEightBitAndWideTexts) {
  QARUnicodeString line = QARUnicodeString("\t\tprefix ") + OLESTR("12") + " \xB5s for " + QARUnicodeString("3");
  line += " items";
  EXPECT_EQ("\t\tprefix 12 \xC2\xB5s for 3 items", Utf8(line));
  EXPECT_TRUE(line == QARUnicodeString("\t\tprefix 12 \xB5s for 3 items"));
  EXPECT_TRUE(line != QARUnicodeString("\t\tprefix 12 \xB5s for 3 item"));
  EXPECT_EQ("ab", Utf8(QARUnicodeString().Append("a").Append(QARUnicodeString()).Append("b")));
}

TEST(UnicodeText, InsertClampsThePositionToTheText) {
  QARUnicodeString text("ace");
  text.Insert(1, "b").Insert(3, "d");
  EXPECT_EQ("abcde", Utf8(text));
  text.Insert(-5, "<").Insert(99, ">");
  EXPECT_EQ("<abcde>", Utf8(text));
}

TEST(UnicodeText, SubStringKeepsOnlyWhatLiesInsideTheText) {
  const QARUnicodeString id("Plant.Tank1.Level");
  EXPECT_EQ("Plant.Tank1", Utf8(id.SubString(0, 11)));
  EXPECT_EQ("Level", Utf8(id.SubString(12, 100)));
  EXPECT_EQ("", Utf8(id.SubString(0, -1)));  // a name found at position 0 has no path
  EXPECT_EQ("", Utf8(id.SubString(3, 0)));
  EXPECT_EQ("", Utf8(id.SubString(17, 1)));
  EXPECT_EQ("Pl", Utf8(id.SubString(-2, 4)));
  EXPECT_EQ("", Utf8(QARUnicodeString().SubString(0, 5)));
}

TEST(UnicodeText, SearchSubStringFindsFirstOrLastOccurrenceFromTheStart) {
  const QARUnicodeString id("Level.Tank.Level");
  EXPECT_EQ(0, id.SearchSubString("Level", 0, QARUnicodeString::FirstOccurrence));
  EXPECT_EQ(11, id.SearchSubString("Level", 1, QARUnicodeString::FirstOccurrence));
  EXPECT_EQ(11, id.SearchSubString("Level", 0, QARUnicodeString::LastOccurrence));
  EXPECT_EQ(-1, id.SearchSubString("Level", 12, QARUnicodeString::LastOccurrence));
  EXPECT_EQ(-1, id.SearchSubString("level", 0, QARUnicodeString::FirstOccurrence));
  EXPECT_EQ(-1, id.SearchSubString("Level", 0, 3));
  EXPECT_EQ(-1, id.SearchSubString("Tank", 99, QARUnicodeString::FirstOccurrence));
  EXPECT_EQ(-1, QARUnicodeString().SearchSubString("x", 0, QARUnicodeString::LastOccurrence));
  EXPECT_EQ(6, id.SearchSubString("Tank", -4, QARUnicodeString::FirstOccurrence));
}

TEST(UnicodeText, StripRemovesRunsOfOneCharacterAtTheChosenEnds) {
  EXPECT_EQ("a\nb\n\n", Utf8(QARUnicodeString("\n\na\nb\n\n").Strip(QARUnicodeString::StripLeading, '\n')));
  EXPECT_EQ("\n\na\nb", Utf8(QARUnicodeString("\n\na\nb\n\n").Strip(QARUnicodeString::StripTrailing, '\n')));
  EXPECT_EQ("a\nb", Utf8(QARUnicodeString("\n\na\nb\n\n").Strip(QARUnicodeString::StripBoth, '\n')));
  EXPECT_EQ("", Utf8(QARUnicodeString("\n\n\n").Strip(QARUnicodeString::StripBoth, '\n')));
  EXPECT_EQ("\r\ntext\r", Utf8(QARUnicodeString("\r\ntext\r\n").Strip(QARUnicodeString::StripBoth, '\n')));
  EXPECT_EQ("--x--", Utf8(QARUnicodeString("--x--").Strip(7, '-')));
}

TEST(UnicodeText, BuildFromNumFormatsLikeSprintfForTheTypeTheFormatNames) {
  QARUnicodeString text;
  EXPECT_EQ(S_OK, text.BuildFromNum(4294967295u, "%u"));
  EXPECT_EQ("4294967295", Utf8(text));
  text.BuildFromNum(static_cast<unsigned long long>(0x100000007ull), "%d");  // low 32 bits
  EXPECT_EQ("7", Utf8(text));
  text.BuildFromNum(static_cast<unsigned int>(3000000000u), "%d");
  EXPECT_EQ("-1294967296", Utf8(text));
  text.BuildFromNum(static_cast<signed char>(-128), "%d");
  EXPECT_EQ("-128", Utf8(text));
  text.BuildFromNum(static_cast<short>(-1), "%hx");
  EXPECT_EQ("ffff", Utf8(text));
  text.BuildFromNum(LLONG_MIN, "%lld");
  EXPECT_EQ("-9223372036854775808", Utf8(text));
  text.BuildFromNum(7, "%02d:");
  EXPECT_EQ("07:", Utf8(text));
  text.BuildFromNum(static_cast<LONG>(0x80040200u), "Unknown error 0x%0lX");
  EXPECT_EQ("Unknown error 0x80040200", Utf8(text));
  text.BuildFromNum(42, "100%% of %d");
  EXPECT_EQ("100% of 42", Utf8(text));

  EXPECT_EQ("0.1", Utf8(Number(static_cast<float>(0.1), "%g")));
  EXPECT_EQ("3.14159", Utf8(Number(3.14159265, "%g")));
  EXPECT_EQ("2", Utf8(Number(2.0, "%g")));
  EXPECT_EQ("2.50", Utf8(Number(2.5, "%.2f")));
  EXPECT_EQ("3", Utf8(Number(3.99, "%d")));  // converted as a cast does
  text.BuildFromNum(5, "%g");
  EXPECT_EQ("5", Utf8(text));
}

TEST(UnicodeText, BuildFromNumRefusesFormatsItCannotHonour) {
  QARUnicodeString text("kept");
  EXPECT_EQ(E_POINTER, text.BuildFromNum(1, nullptr));
  EXPECT_EQ(E_INVALIDARG, text.BuildFromNum(1, "%d and %d"));
  EXPECT_EQ(E_INVALIDARG, text.BuildFromNum(1, "%s"));
  EXPECT_EQ(E_INVALIDARG, text.BuildFromNum(1, "%*d"));
  EXPECT_EQ(E_INVALIDARG, text.BuildFromNum(1, "%"));
  EXPECT_EQ("kept", Utf8(text));
  EXPECT_EQ(S_OK, text.BuildFromNum(1, "no number"));
  EXPECT_EQ("no number", Utf8(text));
}
