// Base64: any bytes encode to the alphabet and decode back; any text decodes
// without harm, and what it decodes to encodes and decodes to the same.
#include <string>
#include <vector>

#include "Base64.h"
#include "HostileInput.h"

namespace {

bool IsEncoding(const std::string& text, size_t bytes) {
  if (text.size() != (bytes + 2) / 3 * 4) return false;
  size_t padding = bytes % 3 == 0 ? 0 : 3 - bytes % 3;
  for (size_t i = 0; i < text.size(); ++i) {
    bool pad = i >= text.size() - padding;
    if (pad ? text[i] != '=' : !Base64::is_base64(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

}  // namespace

HOSTILE_TARGET(base64) {
  Base64 codec;
  const std::string bytes = input.Bytes(3000);
  input.Record(bytes);
  const std::string encoded = codec.base64_encode(bytes);
  HOSTILE_CHECK(IsEncoding(encoded, bytes.size()), "an encoding is made of the alphabet and its padding");
  HOSTILE_CHECK(codec.base64_decode(encoded) == bytes, "an encoding decodes to its bytes");

  const std::string text =
      input.Chance(30) ? input.Bytes(3000) : input.Mutate(encoded, {"=", "==", "+", "/", "-", "_", "\r\n", " "});
  input.Record(text);
  const std::string decoded = codec.base64_decode(text);
  HOSTILE_CHECK(codec.base64_decode(codec.base64_encode(decoded)) == decoded, "what a text decodes to round-trips");
  HOSTILE_CHECK(decoded.size() <= text.size() / 4 * 3 + 2, "decoding never gives more bytes than the text holds");

  const std::wstring wide = input.WideText(500);
  std::string wideEncoded = codec.base64_encode(wide);
  codec.base64_decode(wideEncoded);
  codec.base64_decode(wide);
}
