#include "CConfigFile.h"

#include <clocale>

#include "NameValueLines.h"
#include "NarrowText.h"

using certassist::SplitNameAndValue;

namespace {

// The copy after the edited lines ends at an empty line that follows an empty
// line; the end of the file reads as one more empty line. False once it ends.
bool CopyLine(const CString& line, bool read, bool& previousEmpty, CStringList& out) {
  if (line.IsEmpty() && previousEmpty) return false;
  out.AddTail(line);
  previousEmpty = line.IsEmpty();
  return read != FALSE;
}

}  // namespace

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
  bool previousEmpty = false;
  CString line;
  BOOL read = TRUE;
  for (int index = 0; next != nullptr; ++index) {
    read = ReadString(line);
    if (!read || EndsSession(line)) break;
    if (index < keep) {
      out.AddTail(line);
    } else {
      const CString& replacement = newLines.GetNext(next);
      out.AddTail(replacement);
      previousEmpty = replacement.IsEmpty();
    }
    line.Empty();
  }
  // The session ended before every new line found its place: the rest become
  // its last lines, ahead of whatever follows it.
  bool pending = next != nullptr;
  while (next != nullptr) {
    const CString& addition = newLines.GetNext(next);
    out.AddTail(addition);
    previousEmpty = addition.IsEmpty();
  }
  if (pending && !CopyLine(line, read, previousEmpty, out)) return;
  CopyRest(previousEmpty, out);
}

void CConfigFile::CopyRest(bool previousEmpty, CStringList& out) {
  CString line;
  BOOL read;
  do {
    read = ReadString(line);
  } while (CopyLine(line, read, previousEmpty, out));
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
