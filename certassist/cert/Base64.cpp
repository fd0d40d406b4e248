#include "Base64.h"

#include <windows.h>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

unsigned SextetOf(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  return c == '+' ? 62 : 63;
}

}  // namespace

bool Base64::is_base64(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

std::string Base64::base64_encode(const unsigned char* data, unsigned int length) {
  std::string text;
  if (data == nullptr) return text;
  text.reserve((length + 2) / 3 * 4);
  for (unsigned int at = 0; at < length; at += 3) {
    unsigned int remaining = length - at;
    unsigned long group = static_cast<unsigned long>(data[at]) << 16;
    if (remaining > 1) group |= static_cast<unsigned long>(data[at + 1]) << 8;
    if (remaining > 2) group |= data[at + 2];
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += remaining > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    text += remaining > 2 ? kAlphabet[group & 63] : '=';
  }
  return text;
}

std::string Base64::base64_encode(const std::string& data) {
  return base64_encode(reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned int>(data.size()));
}

std::string Base64::base64_encode(const std::wstring& text) { return base64_encode(ws2s(text)); }

std::string Base64::base64_decode(const unsigned char* text, unsigned int length) {
  std::string bytes;
  if (text == nullptr) return bytes;
  unsigned int usable = 0;
  while (usable < length && is_base64(text[usable])) ++usable;
  bytes.reserve(usable / 4 * 3 + 2);
  for (unsigned int at = 0; at < usable; at += 4) {
    unsigned int count = usable - at < 4 ? usable - at : 4;
    if (count == 1) break;  // a lone character carries less than a byte
    unsigned long group = 0;
    for (unsigned int i = 0; i < 4; ++i) group = (group << 6) | (i < count ? SextetOf(text[at + i]) : 0);
    bytes += static_cast<char>((group >> 16) & 0xFF);
    if (count > 2) bytes += static_cast<char>((group >> 8) & 0xFF);
    if (count > 3) bytes += static_cast<char>(group & 0xFF);
  }
  return bytes;
}

std::string Base64::base64_decode(const std::string& text) {
  return base64_decode(reinterpret_cast<const unsigned char*>(text.data()), static_cast<unsigned int>(text.size()));
}

std::string Base64::base64_decode(const std::wstring& text) { return base64_decode(ws2s(text)); }

std::string Base64::ws2s(const std::wstring& text) { return WChar2Ansii(text.c_str()); }

std::string Base64::WChar2Ansii(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return std::string();
  int needed = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 1) return std::string();
  std::string bytes(needed, '\0');
  if (WideCharToMultiByte(CP_ACP, 0, text, -1, &bytes[0], needed, nullptr, nullptr) != needed) return std::string();
  bytes.resize(needed - 1);
  return bytes;
}
