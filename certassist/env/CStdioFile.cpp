#include "CStdioFile.h"

#include <fcntl.h>
#include <io.h>

#include <string>

#include "win/Handles.h"

namespace {

struct OpenRequest {
  DWORD access;
  DWORD share;
  DWORD disposition;
  int descriptorFlags;
  const char* mode;
};

OpenRequest Translate(UINT flags) {
  OpenRequest request{};
  bool create = (flags & CStdioFile::modeCreate) != 0;
  bool keep = (flags & CStdioFile::modeNoTruncate) != 0;
  switch (flags & 3) {
    case CStdioFile::modeWrite:
      request.access = GENERIC_WRITE;
      request.descriptorFlags = _O_WRONLY;
      request.mode = create && !keep ? "wb" : "ab";
      break;
    case CStdioFile::modeReadWrite:
      request.access = GENERIC_READ | GENERIC_WRITE;
      request.descriptorFlags = _O_RDWR;
      request.mode = create && !keep ? "w+b" : "r+b";
      break;
    default:
      request.access = GENERIC_READ;
      request.descriptorFlags = _O_RDONLY;
      request.mode = "rb";
  }
  switch (flags & 0x70) {
    case CStdioFile::shareDenyWrite: request.share = FILE_SHARE_READ; break;
    case CStdioFile::shareDenyRead: request.share = FILE_SHARE_WRITE; break;
    case CStdioFile::shareDenyNone: request.share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: request.share = 0;
  }
  request.disposition = create ? (keep ? OPEN_ALWAYS : CREATE_ALWAYS) : OPEN_EXISTING;
  request.descriptorFlags |= _O_BINARY;
  return request;
}

std::string ToCodePage(const wchar_t* text, int length) {
  if (length <= 0) return std::string();
  int needed = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string result(needed > 0 ? needed : 0, '\0');
  if (needed > 0) WideCharToMultiByte(CP_ACP, 0, text, length, &result[0], needed, nullptr, nullptr);
  return result;
}

CString FromCodePage(const std::string& bytes) {
  if (bytes.empty()) return CString();
  int length = static_cast<int>(bytes.size());
  int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  CString text;
  if (needed <= 0) return text;
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.GetBufferSetLength(needed), needed);
  return text;
}

}  // namespace

CStdioFile::CStdioFile() : m_pStream(nullptr), m_ownsStream(false), m_binary(false) {}

CStdioFile::CStdioFile(FILE* stream) : m_pStream(stream), m_ownsStream(false), m_binary(false) {}

CStdioFile::CStdioFile(const wchar_t* path, UINT openFlags) : CStdioFile() {
  CStdioFile::Open(path, openFlags);
}

CStdioFile::~CStdioFile() { CStdioFile::Close(); }

BOOL CStdioFile::Open(const wchar_t* path, UINT openFlags) {
  Close();
  if (path == nullptr) return FALSE;
  OpenRequest request = Translate(openFlags);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, (openFlags & modeNoInherit) == 0};
  win::UniqueFile file(CreateFileW(path, request.access, request.share, &inherit, request.disposition,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return FALSE;
  int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file.Get()), request.descriptorFlags);
  if (descriptor == -1) return FALSE;
  (void)file.Release();  // the descriptor owns the handle now
  m_pStream = _fdopen(descriptor, request.mode);
  if (m_pStream == nullptr) {
    _close(descriptor);
    return FALSE;
  }
  m_ownsStream = true;
  m_binary = (openFlags & typeBinary) != 0;
  return TRUE;
}

void CStdioFile::Close() {
  if (m_pStream != nullptr && m_ownsStream) fclose(m_pStream);
  m_pStream = nullptr;
  m_ownsStream = false;
}

bool CStdioFile::IsOpen() const { return m_pStream != nullptr; }

BOOL CStdioFile::ReadString(CString& line) {
  line.Empty();
  if (m_pStream == nullptr) return FALSE;
  return m_binary ? ReadBinaryLine(line) : ReadTextLine(line);
}

bool CStdioFile::ReadTextLine(CString& line) {
  std::string bytes;
  int ch;
  bool any = false;
  while ((ch = fgetc(m_pStream)) != EOF) {
    any = true;
    if (ch == '\n') break;
    bytes += static_cast<char>(ch);
  }
  if (!bytes.empty() && bytes.back() == '\r' && ch == '\n') bytes.pop_back();
  line = FromCodePage(bytes);
  return any;
}

bool CStdioFile::ReadBinaryLine(CString& line) {
  std::wstring units;
  bool any = false;
  for (;;) {
    int low = fgetc(m_pStream);
    if (low == EOF) break;
    any = true;
    int high = fgetc(m_pStream);
    wchar_t unit = static_cast<wchar_t>(low | (high == EOF ? 0 : high << 8));
    if (unit == L'\n') break;
    units += unit;
    if (high == EOF) break;
  }
  if (!units.empty() && units.back() == L'\r') units.pop_back();
  line = CString(units.c_str(), static_cast<int>(units.size()));
  return any;
}

BOOL CStdioFile::WriteString(const wchar_t* text) {
  if (m_pStream == nullptr || text == nullptr) return FALSE;
  std::wstring content(text);
  if (m_binary) {
    size_t bytes = content.size() * sizeof(wchar_t);
    return fwrite(content.data(), 1, bytes, m_pStream) == bytes;
  }
  std::wstring lines;
  for (wchar_t ch : content) {
    if (ch == L'\n' && m_ownsStream) lines += L'\r';
    lines += ch;
  }
  std::string bytes = ToCodePage(lines.c_str(), static_cast<int>(lines.size()));
  return fwrite(bytes.data(), 1, bytes.size(), m_pStream) == bytes.size();
}

void CStdioFile::SeekToBegin() {
  if (m_pStream != nullptr) fseek(m_pStream, 0, SEEK_SET);
}
