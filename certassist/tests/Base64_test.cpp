#include <gtest/gtest.h>
#include <windows.h>
#include <wincrypt.h>

#include <random>
#include <string>
#include <vector>

#include "Base64.h"
#include "TestText.h"

namespace {

std::string PlatformEncode(const std::string& bytes) {
  if (bytes.empty()) return std::string();
  const BYTE* data = reinterpret_cast<const BYTE*>(bytes.data());
  DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF, chars = 0;
  if (!CryptBinaryToStringA(data, static_cast<DWORD>(bytes.size()), flags, nullptr, &chars)) return "failed";
  std::string text(chars, '\0');
  if (!CryptBinaryToStringA(data, static_cast<DWORD>(bytes.size()), flags, &text[0], &chars)) return "failed";
  text.resize(chars);
  return text;
}

TEST(Base64, EncodesTheStandardVectorsWithPadding) {
  Base64 codec;
  const char* vectors[][2] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
                              {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
  for (auto& vector : vectors) {
    EXPECT_EQ(vector[1], codec.base64_encode(std::string(vector[0])));
    EXPECT_EQ(vector[0], codec.base64_decode(std::string(vector[1])));
  }
  const unsigned char high[] = {0xFB, 0xFF, 0x00};
  EXPECT_EQ("+/8A", codec.base64_encode(high, 3));
  EXPECT_EQ(std::string("\xFB\xFF\x00", 3), codec.base64_decode(std::string("+/8A")));
  EXPECT_EQ("", codec.base64_encode(nullptr, 5));
}

TEST(Base64, DecodingStopsAtTheFirstCharacterOutsideTheAlphabet) {
  Base64 codec;
  EXPECT_EQ("foo", codec.base64_decode(std::string("Zm9v\r\nYmFy")));
  EXPECT_EQ("f", codec.base64_decode(std::string("Zg==Zm8=")));
  EXPECT_EQ("foo", codec.base64_decode(std::string("Zm9v Ym")));
  EXPECT_EQ("", codec.base64_decode(std::string("*Zm9v")));
  EXPECT_EQ("foo", codec.base64_decode(std::string("Zm9v\0Zm9v", 9)));
  // Lengths of 0 to 4 modulo 4: a lone final character gives nothing.
  EXPECT_EQ("", codec.base64_decode(std::string("Z")));
  EXPECT_EQ("f", codec.base64_decode(std::string("Zm")));
  EXPECT_EQ("fo", codec.base64_decode(std::string("Zm8")));
  EXPECT_EQ("foo", codec.base64_decode(std::string("Zm9vY")));
  EXPECT_EQ("", codec.base64_decode(nullptr, 4));
  const unsigned char text[] = "Zm9vYmFy";
  EXPECT_EQ("foo", codec.base64_decode(text, 5));
}

TEST(Base64, RecognisesTheAlphabet) {
  int members = 0;
  for (int c = 0; c < 256; ++c) members += Base64::is_base64(static_cast<unsigned char>(c));
  EXPECT_EQ(64, members);
  EXPECT_TRUE(Base64::is_base64('+'));
  EXPECT_TRUE(Base64::is_base64('/'));
  EXPECT_FALSE(Base64::is_base64('='));
  EXPECT_FALSE(Base64::is_base64('-'));
}

TEST(Base64, WideTextTravelsInTheSystemCodePage) {
  Base64 codec;
  std::string gb = CodePage936(L"岚川CA证书");
  EXPECT_EQ(codec.base64_encode(gb), codec.base64_encode(std::wstring(L"岚川CA证书")));
  EXPECT_EQ("foobar", codec.base64_decode(std::wstring(L"Zm9vYmFy")));
  EXPECT_EQ("", codec.base64_encode(std::wstring()));
  EXPECT_EQ("", codec.base64_decode(std::wstring()));
}

TEST(Base64, RoundTripsAgreeWithThePlatformEncoder) {
  Base64 codec;
  std::mt19937 random(20261207);
  std::vector<unsigned> sizes;
  for (unsigned size = 0; size < 64; ++size) sizes.push_back(size);
  for (unsigned size = 64; size < 4096; size += 61) sizes.push_back(size);
  sizes.push_back(4096);
  for (unsigned size : sizes) {
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    std::string text = codec.base64_encode(bytes);
    ASSERT_EQ(PlatformEncode(bytes), text) << "size " << size;
    ASSERT_EQ(bytes, codec.base64_decode(text)) << "size " << size;
  }
}

}  // namespace
