#pragma once

#include <windows.h>

#include <string>

#include "CertAssistApi.h"

// The UTF-16 string that crosses certassist's exported signatures. Narrow text
// given to it is taken in the system's 8-bit code page.
class CERTASSIST_API CString {
 public:
  CString();
  CString(const CString& other);
  CString(CString&& other) noexcept;
  CString(const wchar_t* text);
  CString(const wchar_t* text, int length);
  CString(const char* text);
  CString(wchar_t ch, int repeat = 1);
  ~CString();

  CString& operator=(const CString& other);
  CString& operator=(CString&& other) noexcept;
  CString& operator=(const wchar_t* text);
  CString& operator=(const char* text);
  CString& operator=(wchar_t ch);

  int GetLength() const;
  bool IsEmpty() const;
  void Empty();
  wchar_t GetAt(int index) const;
  void SetAt(int index, wchar_t ch);
  wchar_t operator[](int index) const;
  const wchar_t* GetString() const;
  operator const wchar_t*() const;

  // Direct access to the characters, for APIs that write into a buffer.
  // ReleaseBuffer(-1) takes the length up to the first zero character.
  wchar_t* GetBuffer(int minLength = 0);
  wchar_t* GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);

  CString& operator+=(const CString& text);
  CString& operator+=(const wchar_t* text);
  CString& operator+=(wchar_t ch);

  int Compare(const wchar_t* text) const;
  int CompareNoCase(const wchar_t* text) const;

  // Positions are character indexes; -1 when not found.
  int Find(wchar_t ch, int start = 0) const;
  int Find(const wchar_t* text, int start = 0) const;
  int ReverseFind(wchar_t ch) const;

  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Left(int count) const;
  CString Right(int count) const;

  CString& MakeUpper();
  CString& MakeLower();
  CString& Trim();
  // Both return the number of replaced or removed occurrences.
  int Replace(wchar_t oldChar, wchar_t newChar);
  int Replace(const wchar_t* oldText, const wchar_t* newText);
  int Remove(wchar_t ch);

  // printf-style formatting with the system's wide-string conventions
  // (%s takes a wide string, %S a narrow one).
  void Format(const wchar_t* format, ...);
  void FormatV(const wchar_t* format, va_list args);

 private:
  std::wstring m_text;
};

CERTASSIST_API CString operator+(const CString& left, const CString& right);
CERTASSIST_API CString operator+(const CString& left, const wchar_t* right);
CERTASSIST_API CString operator+(const wchar_t* left, const CString& right);
CERTASSIST_API CString operator+(const CString& left, wchar_t right);
CERTASSIST_API bool operator==(const CString& left, const CString& right);
CERTASSIST_API bool operator==(const CString& left, const wchar_t* right);
CERTASSIST_API bool operator==(const wchar_t* left, const CString& right);
CERTASSIST_API bool operator!=(const CString& left, const CString& right);
CERTASSIST_API bool operator!=(const CString& left, const wchar_t* right);
CERTASSIST_API bool operator<(const CString& left, const CString& right);
