#include "RegistrationFile.h"

#include <windows.h>
#include <shellapi.h>

#include "CStdioFile.h"
#include "win/Handles.h"

namespace certassist {

namespace {

const DWORD kImportWaitMs = 15000;

bool FitsCodePage(const CString& text) {
  if (text.IsEmpty()) return true;
  BOOL lossy = FALSE;
  int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, text.GetLength(), nullptr, 0, nullptr, &lossy);
  return bytes > 0 && !lossy;
}

}  // namespace

bool RegistrationFile::QuoteForReg(const CString& text, CString& escaped) {
  if (!FitsCodePage(text)) return false;
  CString result;
  for (int i = 0; i < text.GetLength(); ++i) {
    wchar_t ch = text[i];
    if (ch < 0x20 || ch == 0x7F) return false;
    if (ch == L'\\' || ch == L'"') result += L'\\';
    result += ch;
  }
  escaped = result;
  return true;
}

bool RegistrationFile::Write(const CString& path, const CString& content, UINT openFlags) {
  CStdioFile file;
  if (!file.Open(path, openFlags | CStdioFile::typeText)) return false;
  bool written = file.WriteString(content) != FALSE;
  file.Close();
  return written;
}

CString RegistrationFile::ImportParameters(const wchar_t* path) {
  return CString(L" /s \"") + (path != nullptr ? path : L"") + L"\"";
}

void RegistrationFile::ImportAndWait(const CString& path) {
  CString parameters = ImportParameters(path);
  SHELLEXECUTEINFOW start{};
  start.cbSize = sizeof start;
  start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  start.lpVerb = L"open";
  start.lpFile = L"regedit.exe";
  start.lpParameters = parameters;
  start.nShow = SW_HIDE;
  if (!ShellExecuteExW(&start)) return;
  win::UniqueProcess editor(start.hProcess);
  if (editor) WaitForSingleObject(editor.Get(), kImportWaitMs);
}

}  // namespace certassist
