#include "webslice/AnsiText.h"

#include <cwchar>

namespace AnsiText {

std::optional<std::wstring> Read(const wchar_t* text, size_t maxChars) {
  if (text == nullptr) return std::nullopt;
  // Probes the characters up to the NUL or the limit, whichever comes first.
  if (maxChars > 0 && IsBadStringPtrW(text, maxChars)) return std::nullopt;
  return std::wstring(text, wcsnlen(text, maxChars));
}

std::string FromWide(const wchar_t* text, size_t chars, size_t maxBytes, UINT codePage, bool* cut) {
  const UINT page = codePage != 0 ? codePage : GetACP();
  std::string bytes;
  if (text != nullptr && chars > 0 && chars <= 0x7FFFFFFF) {
    const int length = WideCharToMultiByte(page, 0, text, static_cast<int>(chars), nullptr, 0, nullptr, nullptr);
    if (length > 0) {
      bytes.resize(static_cast<size_t>(length));
      WideCharToMultiByte(page, 0, text, static_cast<int>(chars), &bytes[0], length, nullptr, nullptr);
    }
  }
  const bool tooLong = bytes.size() > maxBytes;
  if (tooLong) {
    size_t keep = 0;
    while (keep < bytes.size()) {
      const size_t step = IsDBCSLeadByteEx(page, static_cast<BYTE>(bytes[keep])) ? 2 : 1;
      if (keep + step > maxBytes) break;
      keep += step;
    }
    bytes.resize(keep);
  }
  if (cut != nullptr) *cut = tooLong;
  return bytes;
}

std::wstring ToWide(const std::string& bytes) {
  if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &text[0], length);
  return text;
}

}  // namespace AnsiText
