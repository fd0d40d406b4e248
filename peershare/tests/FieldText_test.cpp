#include "transfer/FieldText.h"

#include <gtest/gtest.h>

namespace {

TEST(FieldText, CutsAtCharacterBoundaries) {
  // "电影" is four bytes: a cut at three keeps only the first character.
  EXPECT_EQ(FieldText::Cut("电影", 3), "电");
  EXPECT_EQ(FieldText::Cut("电影", 4), "电影");
  EXPECT_EQ(FieldText::Cut("a电影", 2), "a");
  EXPECT_EQ(FieldText::Cut("abc", 10), "abc");
  EXPECT_EQ(FieldText::Cut("abc", 0), "");
  std::string long259(300, 'x');
  EXPECT_EQ(FieldText::Cut(long259, 259).size(), 259u);
  std::string wide(200, '\0');
  for (size_t i = 0; i < wide.size(); i += 2) wide.replace(i, 2, "字");
  std::string cut = FieldText::Cut("x" + wide, 64);
  EXPECT_EQ(cut.size(), 63u);  // "x" and 31 characters; the 32nd would need byte 65
}

TEST(FieldText, HashesAreExactly32HexDigits) {
  EXPECT_TRUE(FieldText::IsHash("0123456789abcdef0123456789ABCDEF"));
  EXPECT_FALSE(FieldText::IsHash("0123456789abcdef0123456789abcde"));
  EXPECT_FALSE(FieldText::IsHash("0123456789abcdef0123456789abcdeff"));
  EXPECT_FALSE(FieldText::IsHash("0123456789abcdef0123456789abcdeg"));
  EXPECT_FALSE(FieldText::IsHash(""));
  EXPECT_EQ(FieldText::LowerHash("ABCDEF"), "abcdef");
}

TEST(FieldText, SafeFileNamesStayInsideTheirFolder) {
  EXPECT_EQ(FieldText::SafeFileName("..\\..\\windows\\evil.exe"), ".._.._windows_evil.exe");
  EXPECT_EQ(FieldText::SafeFileName("c:/x/y.mp3"), "c__x_y.mp3");
  EXPECT_EQ(FieldText::SafeFileName("a|b<c>d\"e*f?g"), "a_b_c_d_e_f_g");
  EXPECT_EQ(FieldText::SafeFileName(".."), "_..");
  EXPECT_EQ(FieldText::SafeFileName("a\tb"), "a_b");
  // 0x5C and 0x7C as second bytes of double-byte characters are no separators.
  EXPECT_EQ(FieldText::SafeFileName("\xB1\x5C\xB1\x7C.rm"), "\xB1\x5C\xB1\x7C.rm");
  EXPECT_EQ(FieldText::SafeFileName("电影.rmvb"), "电影.rmvb");
}

}  // namespace
