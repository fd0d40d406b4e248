#include "webslice/SignedCookieCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "CookieSigner.h"

namespace {

bool Check(const std::string& signature, const std::string& cookie, const std::string& key,
           const std::string& fixedText = kCookieFixedText) {
  return SignedCookieCheck(signature.c_str(), static_cast<int>(signature.size()), cookie.c_str(), key.c_str(),
                           fixedText.c_str());
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Signed outside this project, with plain modular arithmetic on the same curve and key.
const std::string kVectorCookie = "session=8F3A21;uid=10001";
const std::string kVectorKey = "navkey-42";
const std::string kVectorSignature =
    "001433665090656aefa4175bc6adb230fbdfedfa0fecde2054f0319d926ef05eeb40d8dc6c300a83d894";

// A signature text with these r and s (hexadecimal, even length).
std::string Encode(const std::string& r, const std::string& s) {
  char length[5];
  snprintf(length, sizeof length, "%04X", static_cast<unsigned>(r.size() / 2));
  return length + r + s;
}

const std::string kOrder = std::string("0") + kCookieCurve.n;  // n as 21 bytes

TEST(SignedCookieCheck, AcceptsSignaturesOfTheService) {
  EXPECT_TRUE(Check(kVectorSignature, kVectorCookie, kVectorKey));
  std::string signature = CookieSigner::Sign("uid=20002;nick=游客", "K-7", kCookieFixedText);
  ASSERT_FALSE(signature.empty());
  EXPECT_TRUE(Check(signature, "uid=20002;nick=游客", "K-7"));
  EXPECT_TRUE(CookieSigner::LibraryVerify(signature, "uid=20002;nick=游客", "K-7", kCookieFixedText));
  EXPECT_TRUE(CookieSigner::LibraryVerify(kVectorSignature, kVectorCookie, kVectorKey, kCookieFixedText));
}

TEST(SignedCookieCheck, RefusesAChangedMessage) {
  EXPECT_FALSE(Check(kVectorSignature, kVectorCookie + "0", kVectorKey));
  EXPECT_FALSE(Check(kVectorSignature, kVectorCookie, "navkey-43"));
  EXPECT_FALSE(Check(kVectorSignature, kVectorCookie, kVectorKey, "{5C1E7B20-3D94-4a6e-9F21-08B6D4E3A716}"));
  // The parts are joined without separators, so only the joined text counts.
  EXPECT_TRUE(Check(kVectorSignature, kVectorCookie + "navkey", "-42"));
}

TEST(SignedCookieCheck, HexCaseDoesNotMatter) {
  std::string upper = CookieSigner::Sign("a=1", "k", kCookieFixedText);
  EXPECT_TRUE(Check(upper, "a=1", "k"));
  EXPECT_TRUE(Check(Lower(upper), "a=1", "k"));
  std::string mixed = kVectorSignature;
  for (size_t i = 0; i < mixed.size(); i += 3) mixed[i] = static_cast<char>(std::toupper(mixed[i]));
  EXPECT_TRUE(Check(mixed, kVectorCookie, kVectorKey));
}

TEST(SignedCookieCheck, EmptyKeyJoinsCookieAndFixedText) {
  std::string signature = CookieSigner::Sign("uid=3", "", kCookieFixedText);
  EXPECT_TRUE(Check(signature, "uid=3", ""));
  EXPECT_FALSE(Check(signature, "uid=3", " "));
}

TEST(SignedCookieCheck, MessageLimitIs2047Bytes) {
  std::string key = "k";
  std::string fits(kMaxCookieMessage - key.size() - std::string(kCookieFixedText).size(), 'c');
  std::string signature = CookieSigner::Sign(fits, key, kCookieFixedText);
  EXPECT_TRUE(Check(signature, fits, key));
  std::string tooLong = fits + "c";
  std::string longSignature = CookieSigner::Sign(tooLong, key, kCookieFixedText);
  EXPECT_TRUE(CookieSigner::LibraryVerify(longSignature, tooLong, key, kCookieFixedText));
  EXPECT_FALSE(Check(longSignature, tooLong, key));
}

TEST(SignedCookieCheck, RefusesMalformedSignatureTexts) {
  const std::string valid = kVectorSignature;
  EXPECT_FALSE(Check("", kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check(valid.substr(0, valid.size() - 1), kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check("00", kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check("0001", kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check("zz" + valid.substr(2), kVectorCookie, kVectorKey));
  // A length that reaches past the text, or none at all.
  EXPECT_FALSE(SignedCookieCheck(valid.c_str(), static_cast<int>(valid.size()) + 2, kVectorCookie.c_str(),
                                 kVectorKey.c_str(), kCookieFixedText));
  EXPECT_FALSE(SignedCookieCheck(valid.c_str(), -2, kVectorCookie.c_str(), kVectorKey.c_str(), kCookieFixedText));
  EXPECT_FALSE(SignedCookieCheck(nullptr, 4, "a", "b", kCookieFixedText));
  EXPECT_FALSE(SignedCookieCheck(valid.c_str(), static_cast<int>(valid.size()), nullptr, "b", kCookieFixedText));
  EXPECT_FALSE(SignedCookieCheck(valid.c_str(), static_cast<int>(valid.size()), "a", nullptr, kCookieFixedText));
  EXPECT_FALSE(SignedCookieCheck(valid.c_str(), static_cast<int>(valid.size()), "a", "b", nullptr));
}

TEST(SignedCookieCheck, RefusesBadLengthsOfRAndS) {
  const std::string r = kVectorSignature.substr(4, 40), s = kVectorSignature.substr(44);
  EXPECT_TRUE(Check(Encode(r, s), kVectorCookie, kVectorKey));
  // L past the end of the bytes, and L over 800.
  EXPECT_FALSE(Check("0015" + r, kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check("0321" + std::string(801 * 2, '1'), kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check(Encode(r, std::string(801 * 2, '1')), kVectorCookie, kVectorKey));
  // Leading zero bytes make r and s longer than 64 bytes without changing them.
  EXPECT_TRUE(Check(Encode(std::string(88, '0') + r, s), kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check(Encode(std::string(90, '0') + r, s), kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check(Encode(r, std::string(90, '0') + s), kVectorCookie, kVectorKey));
}

TEST(SignedCookieCheck, RefusesRAndSOutsideTheOrder) {
  const std::string r = kVectorSignature.substr(4, 40), s = kVectorSignature.substr(44);
  EXPECT_FALSE(Check(Encode("", s), kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check(Encode("00", s), kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check(Encode(r, "00"), kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check(Encode(r, ""), kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check(Encode(kOrder, s), kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check(Encode(r, kOrder), kVectorCookie, kVectorKey));
  EXPECT_FALSE(Check(Encode(r, std::string(42, 'F')), kVectorCookie, kVectorKey));
}

TEST(SignedCookieCheck, RefusesKeysThatAreNoCurvePoint) {
  unsigned char key[kCookiePublicKeySize] = {};
  std::copy(kCookieServiceKey, kCookieServiceKey + kCookiePublicKeySize, key);
  auto check = [&] {
    return SignedCookieCheckWithKey(kVectorSignature.c_str(), static_cast<int>(kVectorSignature.size()),
                                    kVectorCookie.c_str(), kVectorKey.c_str(), kCookieFixedText, key);
  };
  EXPECT_TRUE(check());
  key[3] ^= 1;  // the other point with this x
  EXPECT_FALSE(check());
  key[3] ^= 1;
  // x = 2 gives no square on this curve, and x = p lies outside the field.
  std::fill(key + 4, key + kCookiePublicKeySize, 0);
  key[kCookiePublicKeySize - 1] = 2;
  EXPECT_FALSE(check());
  const unsigned char p[20] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                               0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F};
  std::copy(p, p + 20, key + 4);
  EXPECT_FALSE(check());
}

}  // namespace
