#pragma once

#include <string>

#include "CertAssistApi.h"

// Base64 with the standard alphabet and "=" padding, without line breaks.
// Results are byte strings; wide text is taken in the system's 8-bit code page.
// Decoding stops at the first "=" or character outside the alphabet.
class CERTASSIST_API Base64 {
 public:
  std::string base64_encode(const unsigned char* data, unsigned int length);
  std::string base64_encode(const std::string& data);
  std::string base64_encode(const std::wstring& text);
  std::string base64_decode(const unsigned char* text, unsigned int length);
  std::string base64_decode(const std::string& text);
  std::string base64_decode(const std::wstring& text);
  static bool is_base64(unsigned char c);

 private:
  std::string ws2s(const std::wstring& text);
  std::string WChar2Ansii(const wchar_t* text);
};
