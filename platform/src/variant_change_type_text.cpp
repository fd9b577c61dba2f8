// Text forms of numbers, booleans and dates for VariantChangeType, written and
// read as the English (United States) locale does whatever the LCID asks for.
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "variant_change_type.h"
#include "variant_time.h"

namespace oleaut {

namespace {

// Marks code units outside ASCII so that no parser accepts them.
constexpr char kInvalidChar = '\x01';
constexpr long kExponentCap = 100000;
constexpr int64_t kOleOriginDays = -25569;  // 1899-12-30 counted from 1970-01-01

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return i == a.size() && !b[i];
}

std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// &H1F or &O17: an unsigned integer in base 16 or 8.
HRESULT ParseRadixNumber(const std::string& text, size_t pos, size_t end, DecimalNumber* out) {
  const int radix = Lower(text[pos + 1]) == 'h' ? 16 : 8;
  pos += 2;
  if (pos >= end) return DISP_E_TYPEMISMATCH;
  uint64_t value = 0;
  for (; pos < end; ++pos) {
    const char c = Lower(text[pos]);
    int digit = -1;
    if (IsDigit(c)) digit = c - '0';
    if (radix == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (digit < 0 || digit >= radix) return DISP_E_TYPEMISMATCH;
    if (value > (UINT64_MAX - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(radix)) return DISP_E_OVERFLOW;
    value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
  }
  *out = DecimalFromInteger(false, value);
  return S_OK;
}

// Reads digits with thousands separators, a fraction and an exponent from
// text[pos, end); pos ends on the first character that is none of these.
HRESULT ParseDecimalDigits(const std::string& text, size_t* pos, size_t end, DecimalNumber* out) {
  std::string digits;
  int fractionDigits = 0;
  size_t p = *pos;
  for (; p < end && (IsDigit(text[p]) || (text[p] == ',' && !digits.empty())); ++p)
    if (text[p] != ',') digits.push_back(text[p]);
  if (p < end && text[p] == '.') {
    for (++p; p < end && IsDigit(text[p]); ++p, ++fractionDigits) digits.push_back(text[p]);
  }
  if (digits.empty()) return DISP_E_TYPEMISMATCH;
  long exponent = 0;
  if (p < end && Lower(text[p]) == 'e') {
    ++p;
    bool negativeExponent = false;
    if (p < end && (text[p] == '+' || text[p] == '-')) negativeExponent = text[p++] == '-';
    if (p >= end || !IsDigit(text[p])) return DISP_E_TYPEMISMATCH;
    // Exponents beyond any type's range are capped; they still overflow or vanish.
    for (; p < end && IsDigit(text[p]); ++p)
      if (exponent < kExponentCap) exponent = exponent * 10 + (text[p] - '0');
    if (negativeExponent) exponent = -exponent;
  }
  out->digits = digits;
  out->exponent = static_cast<int>(exponent) - fractionDigits;
  *pos = p;
  return S_OK;
}

}  // namespace

std::string NarrowText(BSTR text) {
  const UINT length = SysStringLen(text);
  std::string out(length, kInvalidChar);
  for (UINT i = 0; i < length; ++i)
    if (text[i] > 0 && text[i] < 0x80) out[i] = static_cast<char>(text[i]);
  return out;
}

BSTR BstrFromAscii(const std::string& text) {
  BSTR out = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
  if (!out) return nullptr;
  for (size_t i = 0; i < text.size(); ++i) out[i] = static_cast<unsigned char>(text[i]);
  return out;
}

HRESULT ParseNumber(const std::string& raw, DecimalNumber* out) {
  const std::string text = Trimmed(raw);
  size_t pos = 0;
  size_t end = text.size();
  bool negative = false;
  bool signSeen = false;
  if (pos < end && text[pos] == '(') {
    if (text[end - 1] != ')') return DISP_E_TYPEMISMATCH;
    negative = signSeen = true;
    ++pos;
    --end;
  }
  if (pos < end && text[pos] == '$') ++pos;
  if (!signSeen && pos < end && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos++] == '-';
    signSeen = true;
  }
  if (pos < end && text[pos] == '$') ++pos;
  if (pos + 1 < end && text[pos] == '&' && (Lower(text[pos + 1]) == 'h' || Lower(text[pos + 1]) == 'o'))
    return ParseRadixNumber(text, pos, end, out);
  DecimalNumber number;
  HRESULT hr = ParseDecimalDigits(text, &pos, end, &number);
  if (FAILED(hr)) return hr;
  if (!signSeen && pos < end && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  if (pos < end && text[pos] == '$') ++pos;
  if (pos != end) return DISP_E_TYPEMISMATCH;
  number.negative = negative;
  Normalise(&number);
  *out = number;
  return S_OK;
}

bool ParseBooleanWord(const std::string& text, bool* out) {
  std::string word = text;
  if (word.size() >= 2 && word.front() == '#' && word.back() == '#') word = word.substr(1, word.size() - 2);
  if (EqualsIgnoringCase(word, "true")) {
    *out = true;
    return true;
  }
  if (EqualsIgnoringCase(word, "false")) {
    *out = false;
    return true;
  }
  return false;
}

std::string FormatDouble(double value, int precision) {
  // Negative zero is written as plain zero.
  if (value == 0) return "0";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, precision);
  std::string text(buffer, result.ptr);
  for (char& c : text)
    if (c == 'e') c = 'E';
  return text;
}

std::string FormatDecimal(const DecimalNumber& number) {
  if (number.digits.empty()) return "0";
  std::string text = number.digits;
  if (number.exponent >= 0) {
    text.append(static_cast<size_t>(number.exponent), '0');
  } else {
    const int integerDigits = static_cast<int>(text.size()) + number.exponent;
    if (integerDigits <= 0)
      text = "0." + std::string(static_cast<size_t>(-integerDigits), '0') + text;
    else
      text.insert(static_cast<size_t>(integerDigits), ".");
  }
  return number.negative ? "-" + text : text;
}

HRESULT FormatDate(DATE date, std::string* out) {
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(date, &st)) return E_INVALIDARG;
  // Whether to show each part follows the value, not the rounded time:
  // 0.99999999 shows as a time only, even though it rounds to midnight.
  const bool showDate = std::trunc(date) != 0;
  const bool showTime = date != std::trunc(date) || !showDate;
  char buffer[64];
  std::string text;
  if (showDate) {
    std::snprintf(buffer, sizeof(buffer), "%u/%u/%04u", st.wMonth, st.wDay, st.wYear);
    text = buffer;
  }
  if (showTime) {
    const unsigned hour12 = st.wHour % 12 == 0 ? 12 : st.wHour % 12;
    std::snprintf(buffer, sizeof(buffer), "%u:%02u:%02u %s", hour12, st.wMinute, st.wSecond,
                  st.wHour < 12 ? "AM" : "PM");
    if (!text.empty()) text += ' ';
    text += buffer;
  }
  *out = text;
  return S_OK;
}

// ----- Dates -----

namespace {

struct Token {
  enum Kind { kNumber, kWord, kSeparator } kind;
  std::string text;
};

std::vector<Token> Tokenise(const std::string& text, bool* ok) {
  std::vector<Token> tokens;
  *ok = true;
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (IsBlank(c)) {
      ++i;
    } else if (IsDigit(c)) {
      size_t j = i;
      while (j < text.size() && IsDigit(text[j])) ++j;
      tokens.push_back({Token::kNumber, text.substr(i, j - i)});
      i = j;
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      size_t j = i;
      while (j < text.size() && std::isalpha(static_cast<unsigned char>(text[j]))) ++j;
      tokens.push_back({Token::kWord, text.substr(i, j - i)});
      i = j;
    } else if (c == '/' || c == '-' || c == ':' || c == ',' || c == '.') {
      tokens.push_back({Token::kSeparator, std::string(1, c)});
      ++i;
    } else {
      *ok = false;
      return tokens;
    }
  }
  return tokens;
}

// 1..12 for an English month name or its first three letters or more, else 0.
unsigned MonthFromName(const std::string& word) {
  static const char* const kMonths[] = {"january", "february", "march",     "april",   "may",      "june",
                                        "july",    "august",   "september", "october", "november", "december"};
  if (word.size() < 3) return 0;
  for (unsigned m = 0; m < 12; ++m) {
    const std::string name = kMonths[m];
    if (word.size() <= name.size() && EqualsIgnoringCase(word, name.substr(0, word.size()).c_str())) return m + 1;
  }
  return 0;
}

bool IsWeekdayName(const std::string& word) {
  static const char* const kDays[] = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
  if (word.size() < 3) return false;
  for (const char* day : kDays) {
    const std::string name = day;
    if (word.size() <= name.size() && EqualsIgnoringCase(word, name.substr(0, word.size()).c_str())) return true;
  }
  return false;
}

int CurrentYear() {
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

int64_t ExpandYear(const Token& token) {
  if (token.text.size() > 4) return 0;  // no such year; refused later
  const int64_t year = std::stoll(token.text);
  return token.text.size() > 2 ? year : ExpandTwoDigitYear(year);
}

struct DateParts {
  bool hasDate = false;
  bool hasTime = false;
  int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  int seconds = 0;
};

class DateParser {
 public:
  explicit DateParser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  bool Parse(DateParts* parts) {
    while (pos_ < tokens_.size()) {
      if (Peek(Token::kWord) && IsWeekdayName(tokens_[pos_].text)) {
        ++pos_;
        SkipSeparator(",");
      } else if (!parts->hasTime && LooksLikeTime()) {
        if (!ParseTime(parts)) return false;
      } else if (!parts->hasDate) {
        if (!ParseDatePart(parts)) return false;
      } else {
        return false;
      }
    }
    return parts->hasDate || parts->hasTime;
  }

 private:
  bool Peek(Token::Kind kind, size_t ahead = 0) const {
    return pos_ + ahead < tokens_.size() && tokens_[pos_ + ahead].kind == kind;
  }
  bool PeekSeparator(const char* sep, size_t ahead = 0) const {
    return Peek(Token::kSeparator, ahead) && tokens_[pos_ + ahead].text == sep;
  }
  void SkipSeparator(const char* sep) {
    if (PeekSeparator(sep)) ++pos_;
  }
  bool PeekMeridiem(size_t ahead = 0) const {
    if (!Peek(Token::kWord, ahead)) return false;
    const std::string& w = tokens_[pos_ + ahead].text;
    return EqualsIgnoringCase(w, "am") || EqualsIgnoringCase(w, "pm") || EqualsIgnoringCase(w, "a") ||
           EqualsIgnoringCase(w, "p");
  }
  bool LooksLikeTime() const {
    return Peek(Token::kNumber) && (PeekSeparator(":", 1) || PeekMeridiem(1));
  }

  bool ParseTime(DateParts* parts) {
    int fields[3] = {0, 0, 0};
    int count = 0;
    fields[count++] = std::stoi(tokens_[pos_++].text.substr(0, 6));
    while (count < 3 && PeekSeparator(":") && Peek(Token::kNumber, 1)) {
      fields[count++] = std::stoi(tokens_[pos_ + 1].text.substr(0, 6));
      pos_ += 2;
    }
    int hour = fields[0];
    if (PeekMeridiem()) {
      const bool pm = Lower(tokens_[pos_++].text[0]) == 'p';
      if (hour < 1 || hour > 12) return false;
      hour = hour % 12 + (pm ? 12 : 0);
    }
    if (hour > 23 || fields[1] > 59 || fields[2] > 59) return false;
    parts->hasTime = true;
    parts->seconds = hour * 3600 + fields[1] * 60 + fields[2];
    return true;
  }

  bool ParseDatePart(DateParts* parts) {
    if (Peek(Token::kWord)) return ParseNamedMonthFirst(parts);
    if (!Peek(Token::kNumber)) return false;
    if (Peek(Token::kWord, 1) && MonthFromName(tokens_[pos_ + 1].text)) return ParseDayFirstNamedMonth(parts);
    return ParseNumericDate(parts);
  }

  // Jan 2, 2000 / January 2 2000 / Jan 2
  bool ParseNamedMonthFirst(DateParts* parts) {
    const unsigned month = MonthFromName(tokens_[pos_].text);
    if (!month || !Peek(Token::kNumber, 1)) return false;
    const Token day = tokens_[pos_ + 1];
    pos_ += 2;
    SkipSeparator(",");
    int64_t year = CurrentYear();
    if (Peek(Token::kNumber) && !LooksLikeTime()) year = ExpandYear(tokens_[pos_++]);
    return SetDate(parts, year, month, day);
  }

  // 2 Jan 2000 / 2 January
  bool ParseDayFirstNamedMonth(DateParts* parts) {
    const Token day = tokens_[pos_];
    const unsigned month = MonthFromName(tokens_[pos_ + 1].text);
    pos_ += 2;
    SkipSeparator(",");
    int64_t year = CurrentYear();
    if (Peek(Token::kNumber) && !LooksLikeTime()) year = ExpandYear(tokens_[pos_++]);
    return SetDate(parts, year, month, day);
  }

  // 1/2/2000, 2000-01-02, 1-2-00, 1/2 (this year); a day above 12 in front
  // of a month turns month and day round (31/12/2000).
  bool ParseNumericDate(DateParts* parts) {
    std::vector<Token> numbers{tokens_[pos_++]};
    std::string separator;
    while (numbers.size() < 3 && Peek(Token::kSeparator) && Peek(Token::kNumber, 1)) {
      const std::string& sep = tokens_[pos_].text;
      if (sep != "/" && sep != "-" && sep != ".") break;
      if (!separator.empty() && sep != separator) return false;
      separator = sep;
      numbers.push_back(tokens_[pos_ + 1]);
      pos_ += 2;
    }
    if (numbers.size() < 2) return false;
    if (numbers.size() == 3 && numbers[0].text.size() > 2) {
      const Token& year = numbers[0];
      return SetDate(parts, ExpandYear(year), ToUnsigned(numbers[1]), numbers[2]);
    }
    unsigned month = ToUnsigned(numbers[0]);
    Token day = numbers[1];
    int64_t year = numbers.size() == 3 ? ExpandYear(numbers[2]) : CurrentYear();
    if (month > 12 && ToUnsigned(day) <= 12) {
      const unsigned swapped = ToUnsigned(day);
      day = numbers[0];
      month = swapped;
    }
    return SetDate(parts, year, month, day);
  }

  static unsigned ToUnsigned(const Token& token) {
    return token.text.size() > 6 ? 1000000u : static_cast<unsigned>(std::stoul(token.text));
  }

  static bool SetDate(DateParts* parts, int64_t year, unsigned month, const Token& dayToken) {
    const unsigned day = ToUnsigned(dayToken);
    if (year < 100 || year > 9999 || month < 1 || month > 12) return false;
    if (day < 1 || day > DaysInMonth(year, month)) return false;
    parts->hasDate = true;
    parts->year = year;
    parts->month = month;
    parts->day = day;
    return true;
  }

  std::vector<Token> tokens_;
  size_t pos_ = 0;
};

}  // namespace

HRESULT ParseDate(const std::string& text, DATE* out) {
  bool ok = false;
  std::vector<Token> tokens = Tokenise(text, &ok);
  if (!ok) return DISP_E_TYPEMISMATCH;
  DateParts parts;
  if (!DateParser(std::move(tokens)).Parse(&parts)) return DISP_E_TYPEMISMATCH;
  const int64_t day = parts.hasDate ? DaysFromCivil(parts.year, parts.month, parts.day) : kOleOriginDays;
  *out = OleDateFromParts(day, parts.seconds);
  return S_OK;
}

}  // namespace oleaut
