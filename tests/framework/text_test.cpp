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

QARUnicodeString FromUtf8(const char* text) {
  QARUnicodeString decoded("old");
  EXPECT_EQ(S_OK, decoded.BuildFromUTF8(text));
  return decoded;
}

// The text BuildFromNum makes, or "refused <hr>" with the old text kept.
template <class Number>
std::string Num(Number value, const char* format) {
  QARUnicodeString text("kept");
  const HRESULT hr = text.BuildFromNum(value, format);
  return SUCCEEDED(hr) ? Utf8(text) : "refused " + std::to_string(hr) + " " + Utf8(text);
}

constexpr QARUnicodeString::StripMode kLeading = QARUnicodeString::StripLeading;
constexpr QARUnicodeString::StripMode kTrailing = QARUnicodeString::StripTrailing;
constexpr QARUnicodeString::StripMode kBoth = QARUnicodeString::StripBoth;

}  // namespace

TEST(UnicodeText, EightBitTextIsLatin1AndConvertsToAndFromUtf8) {
  const QARUnicodeString micro(" \xB5s for ");
  EXPECT_EQ((std::vector<unsigned>{0x20, 0xB5, 0x73, 0x20, 0x66, 0x6F, 0x72, 0x20}), Units(micro));
  EXPECT_EQ(" \xC2\xB5s for ", Utf8(micro));
  EXPECT_EQ(micro, FromUtf8(" \xC2\xB5s for "));
  EXPECT_TRUE(FromUtf8(nullptr).IsEmpty());

  const WCHAR pair[] = {0xD83D, 0xDE00, 0};  // U+1F600
  EXPECT_EQ("\xF0\x9F\x98\x80", Utf8(QARUnicodeString(pair)));
  EXPECT_EQ((std::vector<unsigned>{0xD83D, 0xDE00}), Units(FromUtf8("\xF0\x9F\x98\x80")));
  const WCHAR lone[] = {'a', 0xD83D, 'b', 0xDE00, 0};
  EXPECT_EQ("a\xEF\xBF\xBD" "b\xEF\xBF\xBD", Utf8(QARUnicodeString(lone)));
  // An overlong '/' and a cut sequence: one U+FFFD each.
  EXPECT_EQ((std::vector<unsigned>{'x', 0xFFFD, 'y', 0xFFFD}), Units(FromUtf8("x\xC0\xAFy\xE2\x82")));
}

TEST(UnicodeText, WideTextKeepsEmbeddedTerminatorsOnlyWhenGivenALength) {
  const WCHAR text[] = {'a', 0, 'b', 0};
  EXPECT_EQ(1, QARUnicodeString(text).GetLengthInChar());
  EXPECT_EQ(3, QARUnicodeString(text, 3).GetLengthInChar());
  QARUnicodeString fromNull(static_cast<const WCHAR*>(nullptr));
  EXPECT_TRUE(fromNull.IsEmpty());
  EXPECT_EQ(0, *fromNull.GetWChar());

  const comown::com_bstr bstr(SysAllocStringLen(text, 3));
  QARUnicodeString copy("old");
  EXPECT_EQ(S_OK, copy.BuildFromBSTR(bstr.get()));
  EXPECT_EQ((std::vector<unsigned>{'a', 0, 'b'}), Units(copy));
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
  EXPECT_EQ((std::vector<WCHAR>{0, 0x7777}), single);
  EXPECT_EQ(E_POINTER, text.ConvertToWChar(nullptr));
}

TEST(UnicodeText, ConcatenationAndInsertion) {
  QARUnicodeString line = QARUnicodeString("\t\tprefix ") + OLESTR("12") + " \xB5s for " + QARUnicodeString("3");
  line += " items";
  EXPECT_EQ("\t\tprefix 12 \xC2\xB5s for 3 items", Utf8(line));
  EXPECT_TRUE(line == QARUnicodeString("\t\tprefix 12 \xB5s for 3 items"));
  EXPECT_TRUE(line != QARUnicodeString("\t\tprefix 12 \xB5s for 3 item"));
  EXPECT_EQ("ab", Utf8(QARUnicodeString().Append("a").Append(QARUnicodeString()).Append("b")));

  QARUnicodeString text("ace");
  text.Insert(1, "b").Insert(3, "d");
  EXPECT_EQ("abcde", Utf8(text));
  text.Insert(-5, "<").Insert(99, ">");  // positions clamp to the text
  EXPECT_EQ("<abcde>", Utf8(text));
}

TEST(UnicodeText, SubStringSearchAndStripKeepToTheText) {
  const QARUnicodeString id("Plant.Tank1.Level");
  const struct {
    int start, length;
    const char* expected;
  } parts[] = {{0, 11, "Plant.Tank1"}, {12, 100, "Level"}, {0, -1, ""}, {3, 0, ""}, {17, 1, ""}, {-2, 4, "Pl"}};
  for (const auto& p : parts) EXPECT_EQ(p.expected, Utf8(id.SubString(p.start, p.length))) << p.start;
  EXPECT_EQ("", Utf8(QARUnicodeString().SubString(0, 5)));

  const QARUnicodeString path("Level.Tank.Level");
  const struct {
    const char* what;
    int start, mode, expected;
  } searches[] = {{"Level", 0, 1, 0},  {"Level", 1, 1, 11}, {"Level", 0, 2, 11}, {"Level", 12, 2, -1},
                  {"level", 0, 1, -1}, {"Level", 0, 3, -1}, {"Tank", 99, 1, -1}, {"Tank", -4, 1, 6}};
  for (const auto& s : searches) EXPECT_EQ(s.expected, path.SearchSubString(s.what, s.start, s.mode)) << s.start;
  EXPECT_EQ(-1, QARUnicodeString().SearchSubString("x", 0, QARUnicodeString::LastOccurrence));

  const struct {
    const char* text;
    int mode;
    char character;
    const char* expected;
  } strips[] = {{"\n\na\nb\n\n", kLeading, '\n', "a\nb\n\n"}, {"\n\na\nb\n\n", kTrailing, '\n', "\n\na\nb"},
                {"\n\na\nb\n\n", kBoth, '\n', "a\nb"},        {"\n\n\n", kBoth, '\n', ""},
                {"\r\ntext\r\n", kBoth, '\n', "\r\ntext\r"},  {"--x--", 7, '-', "--x--"}};
  for (const auto& s : strips) EXPECT_EQ(s.expected, Utf8(QARUnicodeString(s.text).Strip(s.mode, s.character)));
}

TEST(UnicodeText, BuildFromNumFormatsLikeSprintfForTheTypeTheFormatNames) {
  EXPECT_EQ("4294967295", Num(4294967295u, "%u"));
  EXPECT_EQ("7", Num(static_cast<unsigned long long>(0x100000007ull), "%d"));  // low 32 bits
  EXPECT_EQ("-1294967296", Num(static_cast<unsigned int>(3000000000u), "%d"));
  EXPECT_EQ("-128", Num(static_cast<signed char>(-128), "%d"));
  EXPECT_EQ("ffff", Num(static_cast<short>(-1), "%hx"));
  EXPECT_EQ("-9223372036854775808", Num(LLONG_MIN, "%lld"));
  EXPECT_EQ("07:", Num(7, "%02d:"));
  EXPECT_EQ("Unknown error 0x80040200", Num(static_cast<LONG>(0x80040200u), "Unknown error 0x%0lX"));
  EXPECT_EQ("100% of 42", Num(42, "100%% of %d"));
  EXPECT_EQ("0.1", Num(static_cast<float>(0.1), "%g"));
  EXPECT_EQ("3.14159", Num(3.14159265, "%g"));
  EXPECT_EQ("2", Num(2.0, "%g"));
  EXPECT_EQ("2.50", Num(2.5, "%.2f"));
  EXPECT_EQ("3", Num(3.99, "%d"));  // converted as a cast does
  EXPECT_EQ("5", Num(5, "%g"));
  EXPECT_EQ("no number", Num(1, "no number"));
  EXPECT_EQ("refused " + std::to_string(E_POINTER) + " kept", Num(1, nullptr));
  for (const char* format : {"%d and %d", "%s", "%*d", "%"}) {
    EXPECT_EQ("refused " + std::to_string(E_INVALIDARG) + " kept", Num(1, format)) << format;
  }
}
