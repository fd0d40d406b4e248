// The signed-cookie check: page script controls every argument. Nothing it
// passes may harm the process, and no text passes that does not carry the
// service's own signature: the same r and s once decoded (pairs of
// characters, letters of either case from a = 10, nothing else validated).
#include <string>
#include <vector>

#include "HostileInput.h"
#include "webslice/SignedCookieCheck.h"

namespace {

// Signed outside this project (the vector of the component's tests), so that
// every run mutates the same text.
const std::string kCookie = "session=8F3A21;uid=10001";
const std::string kKey = "navkey-42";
const std::string kSignature = "001433665090656aefa4175bc6adb230fbdfedfa0fecde2054f0319d926ef05eeb40d8dc6c300a83d894";

bool Check(const std::string& signature, int length, const std::string& cookie, const std::string& key) {
  return SignedCookieCheck(signature.c_str(), length, cookie.c_str(), key.c_str(), kCookieFixedText);
}

// The bytes of a signature text, decoded as the check decodes it.
std::string Decoded(const std::string& text) {
  auto digit = [](char c) { return c >= 'a' ? c - 'a' + 10 : c >= 'A' ? c - 'A' + 10 : c - '0'; };
  std::string bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) bytes += static_cast<char>(digit(text[i]) * 16 + digit(text[i + 1]));
  return bytes;
}

// r and s as numbers (leading zero bytes dropped), or false for bytes that
// are not a signature.
bool Parts(const std::string& bytes, std::string& r, std::string& s) {
  if (bytes.size() < 3) return false;
  size_t rLength = static_cast<unsigned char>(bytes[0]) * 256u + static_cast<unsigned char>(bytes[1]);
  if (rLength > bytes.size() - 2) return false;
  auto number = [](std::string value) { return value.erase(0, value.find_first_not_of('\0')); };
  r = number(bytes.substr(2, rLength));
  s = number(bytes.substr(2 + rLength));
  return true;
}

}  // namespace

HOSTILE_TARGET(signature_decoder) {
  const std::string& signature = kSignature;
  HOSTILE_CHECK(Check(signature, static_cast<int>(signature.size()), kCookie, kKey), "the service's signature passes");
  std::string r, s, otherR, otherS;
  Parts(Decoded(signature), r, s);

  std::string text = input.Chance(20) ? input.Bytes(4000)
                                      : input.Mutate(signature, {"0", "00", "F", "f", "g", " ", "-", "0000", "FFFF",
                                                                 std::string(1, '\0'), std::string(900, '0')});
  input.Record(text);
  const int length = input.Chance(10) ? static_cast<int>(input.Below(text.size() + 2)) - 1
                                      : static_cast<int>(text.size());
  const bool passed = Check(text, length, kCookie, kKey);
  const bool sameSignature = length > 0 && length <= static_cast<int>(text.size()) &&
                             Parts(Decoded(text.substr(0, length)), otherR, otherS) && otherR == r && otherS == s;
  HOSTILE_CHECK(!passed || sameSignature, "only the service's signature passes");

  // Another message with the same signature, of any length.
  std::string cookie = input.Chance(50) ? input.CodePageText(3000) : kCookie + input.CodePageText(8);
  input.Record(cookie);
  HOSTILE_CHECK(!Check(signature, static_cast<int>(signature.size()), cookie, kKey) || cookie.c_str() == kCookie,
                "a signature passes for its own message only");
}
