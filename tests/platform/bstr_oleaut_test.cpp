// BSTR allocation: lengths, embedded NULs, terminators and reallocation.
#include <gtest/gtest.h>

#include <cstring>

#include "oleaut_test_support.h"

TEST(Bstr, CarriesItsByteCountInFrontAndATerminatorBehind) {
  BSTR text = SysAllocString(OLESTR("hello"));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(SysStringByteLen(text), 10u);
  DWORD prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<const char*>(text) - sizeof(DWORD), sizeof(prefix));
  EXPECT_EQ(prefix, 10u);
  EXPECT_EQ(text[5], 0);
  EXPECT_EQ(Ascii(text), "hello");
  SysFreeString(text);
}

TEST(Bstr, NullIsAnEmptyTextEverywhere) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);
  BSTR empty = SysAllocString(OLESTR(""));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);
}

TEST(Bstr, KeepsEmbeddedNulsAndRoomWithoutSource) {
  BSTR text = SysAllocStringLen(OLESTR("a\0b"), 3);
  EXPECT_EQ(SysStringLen(text), 3u);
  EXPECT_EQ(Ascii(text), std::string("a\0b", 3));
  EXPECT_EQ(text[3], 0);
  SysFreeString(text);

  BSTR room = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(room, nullptr);
  EXPECT_EQ(SysStringLen(room), 4u);
  EXPECT_EQ(room[4], 0);
  room[0] = 'x';
  SysFreeString(room);
}

TEST(Bstr, ByteLengthMayBeOddAndIsTerminatedByTwoZeroBytes) {
  BSTR bytes = SysAllocStringByteLen("abc", 3);
  EXPECT_EQ(SysStringByteLen(bytes), 3u);
  EXPECT_EQ(SysStringLen(bytes), 1u);
  const auto* raw = reinterpret_cast<const unsigned char*>(bytes);
  EXPECT_EQ(std::memcmp(raw, "abc", 3), 0);
  EXPECT_EQ(raw[3], 0);
  EXPECT_EQ(raw[4], 0);
  SysFreeString(bytes);
}

TEST(Bstr, ReallocationReplacesTheTextEvenFromItsOwnTail) {
  BSTR text = SysAllocString(OLESTR("abcdef"));
  EXPECT_TRUE(SysReAllocString(&text, text + 2));
  EXPECT_EQ(Ascii(text), "cdef");
  EXPECT_TRUE(SysReAllocString(&text, nullptr));
  EXPECT_EQ(text, nullptr);
  EXPECT_TRUE(SysReAllocString(&text, OLESTR("x")));
  EXPECT_EQ(Ascii(text), "x");
  SysFreeString(text);
  EXPECT_FALSE(SysReAllocString(nullptr, OLESTR("x")));
}
