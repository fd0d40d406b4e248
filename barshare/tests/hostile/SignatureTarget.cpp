// The signed-cookie check: page script controls every argument. Nothing it
// passes may harm the process, and no text passes that does not carry the
// service's own signature (the same r and s, in hexadecimal of any case).
#include <cctype>
#include <string>
#include <vector>

#include "CookieSigner.h"
#include "HostileInput.h"
#include "webslice/SignedCookieCheck.h"

namespace {

const std::string kCookie = "session=8F3A21;uid=10001";
const std::string kKey = "navkey-42";

bool Check(const std::string& signature, int length, const std::string& cookie, const std::string& key) {
  return SignedCookieCheck(signature.c_str(), length, cookie.c_str(), key.c_str(), kCookieFixedText);
}

// r and s as numbers written without leading zeros, or false for a text
// that is not a signature.
bool Decode(const std::string& text, std::string& r, std::string& s) {
  if (text.size() < 4 || text.size() % 2 != 0) return false;
  std::string lower;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  size_t rLength = std::stoul(lower.substr(0, 4), nullptr, 16) * 2;
  if (4 + rLength > lower.size()) return false;
  auto number = [](std::string digits) { return digits.erase(0, digits.find_first_not_of('0')); };
  r = number(lower.substr(4, rLength));
  s = number(lower.substr(4 + rLength));
  return true;
}

}  // namespace

HOSTILE_TARGET(signature_decoder) {
  static const std::string signature = CookieSigner::Sign(kCookie, kKey, kCookieFixedText);
  HOSTILE_CHECK(!signature.empty() && Check(signature, static_cast<int>(signature.size()), kCookie, kKey),
                "the service's signature passes");
  std::string r, s, otherR, otherS;
  Decode(signature, r, s);

  std::string text = input.Chance(20) ? input.Bytes(4000)
                                      : input.Mutate(signature, {"0", "00", "F", "f", "g", " ", "-", "0000", "FFFF",
                                                                 std::string(1, '\0'), std::string(900, '0')});
  input.Record(text);
  const int length = input.Chance(10) ? static_cast<int>(input.Below(text.size() + 2)) - 1
                                      : static_cast<int>(text.size());
  const bool passed = Check(text, length, kCookie, kKey);
  const bool sameSignature = length == static_cast<int>(text.size()) && Decode(text, otherR, otherS) &&
                             otherR == r && otherS == s;
  HOSTILE_CHECK(!passed || sameSignature, "only the service's signature passes");

  // Another message with the same signature, of any length.
  std::string cookie = input.Chance(50) ? input.CodePageText(3000) : kCookie + input.CodePageText(8);
  HOSTILE_CHECK(!Check(signature, static_cast<int>(signature.size()), cookie, kKey) || cookie == kCookie,
                "a signature passes for its own message only");
}
