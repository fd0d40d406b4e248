#include "CConfigFile.h"

#include <clocale>

#include "NameValueLines.h"
#include "NarrowText.h"

using certassist::SplitNameAndValue;

CConfigFile::CConfigFile() = default;
CConfigFile::CConfigFile(const wchar_t* path, UINT openFlags) : CStdioFile(path, openFlags) {}
CConfigFile::CConfigFile(FILE* stream) : CStdioFile(stream) {}
CConfigFile::~CConfigFile() = default;

BOOL CConfigFile::ReadString(CString& line) { return CStdioFile::ReadString(line); }

int CConfigFile::ReadNameAndValue(CString& name, CString& value) {
  CString line;
  if (!ReadString(line)) return 0;
  return SplitNameAndValue(line, name, value) ? 1 : 0;
}

bool CConfigFile::EndsSession(const CString& line) { return line.IsEmpty() || line[0] == L'['; }

DWORD CConfigFile::EnumValueInSession(CString session, CStringList& lines) {
  if (session.IsEmpty()) return CONFIG_SESSION_EMPTY;
  SeekToBegin();
  CString line;
  bool found = false;
  while (!found && ReadString(line)) found = line == session;
  if (!found) return CONFIG_SESSION_NOT_FOUND;
  while (ReadString(line) && !EndsSession(line)) lines.AddTail(line);
  return CONFIG_SESSION_LISTED;
}

bool CConfigFile::CopyThroughHeader(const CString& session, CStringList& out) {
  CString line;
  while (ReadString(line)) {
    out.AddTail(line);
    if (line == session) return true;
  }
  return false;
}

void CConfigFile::ReplaceSessionLines(const CStringList& newLines, int keep, CStringList& out) {
  POSITION next = newLines.GetHeadPosition();
  // The header line itself was the last line read so far, and it is not empty.
  bool lastLineEmpty = false;
  CString line;
  for (int index = 0; next != nullptr; ++index) {
    if (!ReadString(line)) break;
    lastLineEmpty = line.IsEmpty();
    if (EndsSession(line)) {
      // The session ended before every new line found its place: the rest
      // become its last lines, ahead of the line that ended it.
      while (next != nullptr) out.AddTail(newLines.GetNext(next));
      out.AddTail(line);
      break;
    }
    out.AddTail(index < keep ? line : newLines.GetNext(next));
  }
  while (next != nullptr) out.AddTail(newLines.GetNext(next));
  CopyRest(lastLineEmpty, out);
}

// Copies every remaining line, blank lines included, to the end of the file;
// like the end of the file itself, the content ends with an empty line.
void CConfigFile::CopyRest(bool lastLineEmpty, CStringList& out) {
  CString line;
  while (ReadString(line)) {
    out.AddTail(line);
    lastLineEmpty = line.IsEmpty();
  }
  if (!lastLineEmpty) out.AddTail(CString());
}

DWORD CConfigFile::ChangeValueInSession(CString session, CString newValue, int lineIndex, CStringList& out) {
  CStringList replacement;
  replacement.AddTail(newValue);
  _wsetlocale(LC_CTYPE, L"chs");
  if (session.IsEmpty()) return CONFIG_SESSION_EMPTY;
  SeekToBegin();
  if (!CopyThroughHeader(session, out)) return CONFIG_SESSION_NOT_FOUND;
  ReplaceSessionLines(replacement, lineIndex, out);
  return CONFIG_OK;
}

DWORD CConfigFile::ChangeValueInSession(CString session, CStringList& newLines, CStringList& out) {
  _wsetlocale(LC_CTYPE, L"chs");
  if (session.IsEmpty()) return CONFIG_SESSION_EMPTY;
  SeekToBegin();
  if (!CopyThroughHeader(session, out)) return CONFIG_SESSION_NOT_FOUND;
  ReplaceSessionLines(newLines, 0, out);
  return CONFIG_OK;
}

DWORD CConfigFile::GetStringByName(CString& value, CString name) {
  if (name.IsEmpty()) return CONFIG_NAME_EMPTY;
  SeekToBegin();
  return certassist::FindValueByName([this](CString& line) { return ReadString(line); }, value, name);
}

DWORD CConfigFile::AtoW(CString& text) { return certassist::BufferBytesToWide(text); }
