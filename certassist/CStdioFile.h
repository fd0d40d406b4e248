#pragma once

#include <cstdio>

#include "CString.h"

// A buffered text file over a C runtime stream, read and written line by line.
// Text mode reads and writes lines in the system's 8-bit code page with CR LF
// line ends; binary mode reads two file bytes per character (UTF-16 units).
class CERTASSIST_API CStdioFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };

  CStdioFile();
  // Wraps a stream opened by the caller, read as text; the caller closes it.
  explicit CStdioFile(FILE* stream);
  // Opens path; IsOpen() tells whether that worked.
  CStdioFile(const wchar_t* path, UINT openFlags);
  virtual ~CStdioFile();
  CStdioFile(const CStdioFile&) = delete;
  CStdioFile& operator=(const CStdioFile&) = delete;

  virtual BOOL Open(const wchar_t* path, UINT openFlags);
  virtual void Close();
  bool IsOpen() const;

  // The next line without its line end. At the end of the file: FALSE and an
  // empty line.
  virtual BOOL ReadString(CString& line);
  // Writes text as it is; "\n" becomes a line end.
  virtual BOOL WriteString(const wchar_t* text);
  void SeekToBegin();

  FILE* m_pStream;

 private:
  bool ReadTextLine(CString& line);
  bool ReadBinaryLine(CString& line);

  bool m_ownsStream;
  bool m_binary;
};
