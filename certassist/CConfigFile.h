#pragma once

#include "CStdioFile.h"
#include "CStringList.h"

// Result codes of CConfigFile.
enum : DWORD {
  CONFIG_OK = 0,
  CONFIG_NAME_EMPTY = 0xE0010004,
  CONFIG_VALUE_EMPTY = 0xE0010005,
  CONFIG_SESSION_EMPTY = 0xE0010007,
  CONFIG_SESSION_NOT_FOUND = 0xE0010008,
  CONFIG_SESSION_LISTED = 0xE0010009,
  CONFIG_NO_MEMORY = 0xE0010025,
  CONFIG_CONVERSION_FAILED = 0xE0010026,
};

// A line-oriented reader of sectioned text files. A session starts at a line
// equal to its header and holds the lines up to the first line that is empty
// or begins with "[". The edit operations build the new content of the whole
// file in a list; the caller writes it back, one entry a line.
class CERTASSIST_API CConfigFile : public CStdioFile {
 public:
  CConfigFile();
  CConfigFile(const wchar_t* path, UINT openFlags);
  explicit CConfigFile(FILE* stream);
  virtual ~CConfigFile();

  BOOL ReadString(CString& line) override;

  // Reads the next line, drops every blank and splits it at the first "=".
  // 1 when the line holds "="; otherwise 0 and both strings unchanged.
  int ReadNameAndValue(CString& name, CString& value);

  // Appends the lines of session to lines (not cleared first).
  DWORD EnumValueInSession(CString session, CStringList& lines);

  // The file's content with the line at lineIndex of session replaced by
  // newValue. When the session has fewer lines, newValue becomes its new last
  // line; the lines of other sessions are never replaced.
  DWORD ChangeValueInSession(CString session, CString newValue, int lineIndex, CStringList& out);
  // The same with the first lines of session replaced by newLines, in order.
  DWORD ChangeValueInSession(CString session, CStringList& newLines, CStringList& out);

  // The value of the first name-value line of the file whose name (blanks
  // removed) equals name.
  DWORD GetStringByName(CString& value, CString name);

 protected:
  // Takes the bytes of text's buffer as zero-terminated text in the system's
  // 8-bit code page and stores them as UTF-16.
  DWORD AtoW(CString& text);

 private:
  static bool EndsSession(const CString& line);
  bool CopyThroughHeader(const CString& session, CStringList& out);
  void ReplaceSessionLines(const CStringList& newLines, int keep, CStringList& out);
  void CopyRest(bool lastLineEmpty, CStringList& out);
};
