// BSTR allocation: lengths, embedded NULs, terminators and reallocation.
#include <gtest/gtest.h>

#include <cstring>

#include "oleaut_test_support.h"

using comown::com_bstr;

TEST(Bstr, CarriesItsByteCountInFrontAndATerminatorBehind) {
  const com_bstr text(SysAllocString(OLESTR("hello")));
  ASSERT_TRUE(text);
  EXPECT_EQ(5u, SysStringLen(text.get()));
  EXPECT_EQ(10u, SysStringByteLen(text.get()));
  DWORD prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<const char*>(text.get()) - sizeof(DWORD), sizeof(prefix));
  EXPECT_EQ(10u, prefix);
  EXPECT_EQ(0, text.get()[5]);
  EXPECT_EQ("hello", Ascii(text.get()));

  const com_bstr nul(SysAllocStringLen(OLESTR("a\0b"), 3));
  EXPECT_EQ(std::string("a\0b", 3), Ascii(nul.get()));
  EXPECT_EQ(0, nul.get()[3]);
  const com_bstr room(SysAllocStringLen(nullptr, 4));
  ASSERT_TRUE(room);
  EXPECT_EQ(4u, SysStringLen(room.get()));
  EXPECT_EQ(0, room.get()[4]);

  const com_bstr bytes(SysAllocStringByteLen("abc", 3));  // an odd length ends in two zero bytes
  EXPECT_EQ(3u, SysStringByteLen(bytes.get()));
  EXPECT_EQ(1u, SysStringLen(bytes.get()));
  EXPECT_EQ(0, std::memcmp(bytes.get(), "abc\0", 5));
}

TEST(Bstr, NullIsAnEmptyTextEverywhere) {
  EXPECT_EQ(nullptr, SysAllocString(nullptr));
  EXPECT_EQ(0u, SysStringLen(nullptr));
  EXPECT_EQ(0u, SysStringByteLen(nullptr));
  SysFreeString(nullptr);
  const com_bstr empty(SysAllocString(OLESTR("")));
  ASSERT_TRUE(empty);
  EXPECT_EQ(0u, SysStringLen(empty.get()));
}

TEST(Bstr, ReallocationReplacesTheTextEvenFromItsOwnTail) {
  com_bstr text(SysAllocString(OLESTR("abcdef")));
  BSTR raw = text.release();
  EXPECT_TRUE(SysReAllocString(&raw, raw + 2));
  EXPECT_EQ("cdef", Ascii(raw));
  EXPECT_TRUE(SysReAllocString(&raw, nullptr));
  EXPECT_EQ(nullptr, raw);
  EXPECT_TRUE(SysReAllocString(&raw, OLESTR("x")));
  text.reset(raw);
  EXPECT_EQ("x", Ascii(text.get()));
  EXPECT_FALSE(SysReAllocString(nullptr, OLESTR("x")));
}
