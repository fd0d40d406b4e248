#include "CString.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

namespace {

std::wstring FromCodePage(const char* text) {
  if (text == nullptr || *text == '\0') return std::wstring();
  int needed = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (needed <= 1) return std::wstring();
  std::wstring result(needed, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &result[0], needed);
  result.resize(needed - 1);
  return result;
}

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

}  // namespace

CString::CString() = default;
CString::CString(const CString& other) = default;
CString::CString(CString&& other) noexcept = default;
CString::CString(const wchar_t* text) : m_text(text ? text : L"") {}
CString::CString(const wchar_t* text, int length) {
  if (text != nullptr && length > 0) m_text.assign(text, length);
}
CString::CString(const char* text) : m_text(FromCodePage(text)) {}
CString::CString(wchar_t ch, int repeat) : m_text(repeat > 0 ? repeat : 0, ch) {}
CString::~CString() = default;

CString& CString::operator=(const CString& other) = default;
CString& CString::operator=(CString&& other) noexcept = default;
CString& CString::operator=(const wchar_t* text) {
  m_text = text ? text : L"";
  return *this;
}
CString& CString::operator=(const char* text) {
  m_text = FromCodePage(text);
  return *this;
}
CString& CString::operator=(wchar_t ch) {
  m_text.assign(1, ch);
  return *this;
}

int CString::GetLength() const { return static_cast<int>(m_text.size()); }
bool CString::IsEmpty() const { return m_text.empty(); }
void CString::Empty() { m_text.clear(); }
wchar_t CString::GetAt(int index) const {
  return index >= 0 && index < GetLength() ? m_text[index] : L'\0';
}
void CString::SetAt(int index, wchar_t ch) {
  if (index >= 0 && index < GetLength()) m_text[index] = ch;
}
wchar_t CString::operator[](int index) const { return GetAt(index); }
const wchar_t* CString::GetString() const { return m_text.c_str(); }
CString::operator const wchar_t*() const { return m_text.c_str(); }

wchar_t* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_text.resize(minLength);
  return &m_text[0];
}
wchar_t* CString::GetBufferSetLength(int length) {
  m_text.resize(length > 0 ? length : 0);
  return &m_text[0];
}
void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) newLength = static_cast<int>(wcsnlen(m_text.c_str(), m_text.size()));
  m_text.resize(Clamp(newLength, 0, GetLength()));
}

CString& CString::operator+=(const CString& text) {
  m_text += text.m_text;
  return *this;
}
CString& CString::operator+=(const wchar_t* text) {
  if (text != nullptr) m_text += text;
  return *this;
}
CString& CString::operator+=(wchar_t ch) {
  m_text += ch;
  return *this;
}

int CString::Compare(const wchar_t* text) const { return m_text.compare(text ? text : L""); }
int CString::CompareNoCase(const wchar_t* text) const {
  CString mine(*this), theirs(text);
  return mine.MakeLower().Compare(theirs.MakeLower());
}

int CString::Find(wchar_t ch, int start) const {
  if (start < 0 || start >= GetLength()) return -1;
  size_t at = m_text.find(ch, start);
  return at == std::wstring::npos ? -1 : static_cast<int>(at);
}
int CString::Find(const wchar_t* text, int start) const {
  if (text == nullptr || start < 0 || start > GetLength()) return -1;
  size_t at = m_text.find(text, start);
  return at == std::wstring::npos ? -1 : static_cast<int>(at);
}
int CString::ReverseFind(wchar_t ch) const {
  size_t at = m_text.rfind(ch);
  return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }
CString CString::Mid(int first, int count) const {
  first = Clamp(first, 0, GetLength());
  count = Clamp(count, 0, GetLength() - first);
  return CString(m_text.c_str() + first, count);
}
CString CString::Left(int count) const { return Mid(0, count); }
CString CString::Right(int count) const {
  count = Clamp(count, 0, GetLength());
  return Mid(GetLength() - count, count);
}

CString& CString::MakeUpper() {
  if (!m_text.empty()) CharUpperBuffW(&m_text[0], static_cast<DWORD>(m_text.size()));
  return *this;
}
CString& CString::MakeLower() {
  if (!m_text.empty()) CharLowerBuffW(&m_text[0], static_cast<DWORD>(m_text.size()));
  return *this;
}
CString& CString::Trim() {
  const wchar_t* blanks = L" \t\r\n";
  size_t first = m_text.find_first_not_of(blanks);
  if (first == std::wstring::npos) {
    m_text.clear();
  } else {
    m_text = m_text.substr(first, m_text.find_last_not_of(blanks) - first + 1);
  }
  return *this;
}

int CString::Replace(wchar_t oldChar, wchar_t newChar) {
  int count = 0;
  for (wchar_t& ch : m_text) {
    if (ch == oldChar) {
      ch = newChar;
      ++count;
    }
  }
  return count;
}
int CString::Replace(const wchar_t* oldText, const wchar_t* newText) {
  if (oldText == nullptr || *oldText == L'\0') return 0;
  std::wstring from(oldText), to(newText ? newText : L"");
  std::wstring result;
  int count = 0;
  size_t at = 0;
  for (size_t next; (next = m_text.find(from, at)) != std::wstring::npos; at = next + from.size()) {
    result.append(m_text, at, next - at).append(to);
    ++count;
  }
  result.append(m_text, at, std::wstring::npos);
  m_text.swap(result);
  return count;
}
int CString::Remove(wchar_t ch) {
  size_t before = m_text.size();
  std::wstring kept;
  kept.reserve(before);
  for (wchar_t c : m_text) {
    if (c != ch) kept += c;
  }
  m_text.swap(kept);
  return static_cast<int>(before - m_text.size());
}

void CString::Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}
void CString::FormatV(const wchar_t* format, va_list args) {
  va_list counting;
  va_copy(counting, args);
  int length = _vscwprintf(format, counting);
  va_end(counting);
  if (length <= 0) {
    m_text.clear();
    return;
  }
  std::wstring result(length + 1, L'\0');
  _vsnwprintf(&result[0], result.size(), format, args);
  result.resize(length);
  m_text.swap(result);
}

CString operator+(const CString& left, const CString& right) {
  CString result(left);
  return result += right;
}
CString operator+(const CString& left, const wchar_t* right) {
  CString result(left);
  return result += right;
}
CString operator+(const wchar_t* left, const CString& right) {
  CString result(left);
  return result += right;
}
CString operator+(const CString& left, wchar_t right) {
  CString result(left);
  return result += right;
}
bool operator==(const CString& left, const CString& right) {
  return left.GetLength() == right.GetLength() &&
         wmemcmp(left.GetString(), right.GetString(), left.GetLength()) == 0;
}
bool operator==(const CString& left, const wchar_t* right) { return left.Compare(right) == 0; }
bool operator==(const wchar_t* left, const CString& right) { return right.Compare(left) == 0; }
bool operator!=(const CString& left, const CString& right) { return !(left == right); }
bool operator!=(const CString& left, const wchar_t* right) { return !(left == right); }
bool operator<(const CString& left, const CString& right) { return left.Compare(right) < 0; }
