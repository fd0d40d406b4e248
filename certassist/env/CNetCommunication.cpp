#include "CNetCommunication.h"

#include <wininet.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "NameValueLines.h"
#include "NarrowText.h"
#include "win/Handles.h"
#include "win/InternetHandles.h"

using namespace certassist;

namespace {

const wchar_t kUserAgent[] = L"LCCA Assitant";
const DWORD_PTR kContext = 1;
// Update packages and version lists must be the server's current ones, and a
// download of many megabytes has no place in the browser's cache.
const DWORD kOpenFlags = INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
// Headers are read into buffers of this many bytes.
const DWORD kHeaderBytes = 2000;
// Blocks of 1 KB cost about twenty times the time of the transfer itself with
// one read and one write call each; 64 KB blocks cost next to nothing more.
const UINT kDownloadBlock = 64 * 1024;
const DWORD kLineBlock = 4096;
const wchar_t kNotFoundMarker[] = L"404错";
const DWORD kRangeNotSatisfiable = 416;
const DWORD kLowestStatus = 100;

enum class ResumeStep {
  kAppend,     // the answer now holds the bytes after the local file's
  kStartOver,  // the answer holds the whole file: write it from the start
  kComplete,   // the local file already holds the whole file
};

DWORD Saturated(ULONGLONG value) { return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(value); }

HINTERNET OpenUrl(HINTERNET session, const CString& url, const CString& headers) {
  return InternetOpenUrlW(session, url, headers.IsEmpty() ? nullptr : headers.GetString(),
                          headers.IsEmpty() ? 0 : static_cast<DWORD>(-1), kOpenFlags, kContext);
}

bool QueryStatus(HINTERNET request, DWORD& status) {
  DWORD bytes = sizeof status;
  return HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &bytes, nullptr) != FALSE;
}

bool QueryHeader(HINTERNET request, DWORD query, CString& text) {
  wchar_t buffer[kHeaderBytes / sizeof(wchar_t)];
  DWORD bytes = sizeof buffer;
  if (!HttpQueryInfoW(request, query, buffer, &bytes, nullptr)) return false;
  text = CString(buffer, static_cast<int>(bytes / sizeof(wchar_t)));
  return true;
}

// Reads the decimal number at text[at] and moves at past it; false when no
// digit is there. Numbers beyond 64 bits stay at the largest value.
bool ReadNumber(const CString& text, int& at, ULONGLONG& value) {
  int first = at;
  value = 0;
  for (; at < text.GetLength() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
    ULONGLONG digit = text[at] - L'0';
    value = value > (~0ull - digit) / 10 ? ~0ull : value * 10 + digit;
  }
  return at > first;
}

// Content-Length; false when absent or not a number.
bool AnnouncedLength(HINTERNET request, ULONGLONG& length) {
  CString text;
  if (!QueryHeader(request, HTTP_QUERY_CONTENT_LENGTH, text)) return false;
  int at = 0;
  while (at < text.GetLength() && text[at] == L' ') ++at;
  return ReadNumber(text, at, length);
}

DWORD ContentLength(HINTERNET request) {
  ULONGLONG length = 0;
  return AnnouncedLength(request, length) ? Saturated(length) : 0;
}

// "bytes FIRST-LAST/TOTAL" or "bytes */TOTAL": the first byte (when given)
// and the total.
bool ContentRange(HINTERNET request, bool& hasFirst, ULONGLONG& first, ULONGLONG& total) {
  CString text;
  if (!QueryHeader(request, HTTP_QUERY_CONTENT_RANGE, text) || text.Find(L"bytes ") != 0) return false;
  int at = 6;
  hasFirst = ReadNumber(text, at, first);
  int slash = text.Find(L'/', at);
  if (slash < 0) return false;
  at = slash + 1;
  return ReadNumber(text, at, total);
}

CString RangeFrom(ULONGLONG offset) {
  return CString(L"Range: bytes=") + std::to_wstring(offset).c_str() + L"-\r\n";
}

// An existing file, opened at its end (have: its length), or a new one.
win::UniqueFile OpenLocalFile(const wchar_t* path, ULONGLONG& have) {
  have = 0;
  if (path == nullptr || *path == L'\0') return win::UniqueFile();
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  win::UniqueFile file(
      CreateFileW(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return win::UniqueFile(
        CreateFileW(path, GENERIC_WRITE, share, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  LARGE_INTEGER size{}, end{};
  if (GetFileSizeEx(file.Get(), &size)) have = static_cast<ULONGLONG>(size.QuadPart);
  SetFilePointerEx(file.Get(), end, nullptr, FILE_END);
  return file;
}

bool TruncateToStart(HANDLE file) {
  LARGE_INTEGER start{};
  return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

}  // namespace

volatile DWORD CNetCommunication::m_downLoadFileLen = 0;

struct CNetCommunication::Session {
  win::UniqueInternet handle;
};

// An answer of the server, read through a buffer of its own so that lines
// and bytes can be read in any mix.
struct CNetCommunication::Response {
  Response(std::shared_ptr<Session> owner, win::UniqueInternet opened, const CString& address)
      : session(std::move(owner)), url(address) {
    Replace(std::move(opened));
  }

  UINT Read(void* buffer, UINT count) {
    UINT copied = 0;
    if (aheadAt < ahead.size()) {
      copied = static_cast<UINT>(std::min<size_t>(count, ahead.size() - aheadAt));
      memcpy(buffer, ahead.data() + aheadAt, copied);
      aheadAt += copied;
    }
    return copied + (copied < count ? ReadAnswer(static_cast<char*>(buffer) + copied, count - copied) : 0);
  }

  // The next line without its line end; false at the end of the answer.
  bool ReadLine(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
      if (aheadAt == ahead.size() && !FillAhead()) break;
      any = true;
      size_t end = ahead.find('\n', aheadAt);
      line.append(ahead, aheadAt, end == std::string::npos ? std::string::npos : end - aheadAt);
      aheadAt = end == std::string::npos ? ahead.size() : end + 1;
      if (end != std::string::npos) break;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
  }

  // Asks the server, with a request of its own, for the bytes from `have`
  // on. InternetSetFilePointer cannot move the read position of an HTTP
  // answer, so this is how a partial download resumes.
  ResumeStep AskFrom(ULONGLONG have) {
    win::UniqueInternet ranged(OpenUrl(session->handle.Get(), url, RangeFrom(have)));
    DWORD status = 0;
    if (!ranged || !QueryStatus(ranged.Get(), status)) return ResumeStep::kStartOver;
    bool hasFirst = false;
    ULONGLONG first = 0, total = 0;
    bool ranges = ContentRange(ranged.Get(), hasFirst, first, total);
    if (status == HTTP_STATUS_PARTIAL_CONTENT && ranges && hasFirst && first == have) {
      Replace(std::move(ranged));
      return ResumeStep::kAppend;
    }
    if (status == HTTP_STATUS_OK) {
      // The server ignores ranges: its answer is the whole file again.
      Replace(std::move(ranged));
      return ResumeStep::kStartOver;
    }
    if (status == kRangeNotSatisfiable && ranges && total == have) return ResumeStep::kComplete;
    // Anything else (a local file longer than the server's, a range that
    // does not start where asked): the first answer is the whole file.
    return ResumeStep::kStartOver;
  }

  std::shared_ptr<Session> session;  // declared first: closed after the request
  win::UniqueInternet request;
  CString url;

 private:
  // Bytes of the answer; a server that sends more than it announced has
  // the rest taken for no part of it.
  DWORD ReadAnswer(char* buffer, DWORD count) {
    if (bounded && count > remaining) count = static_cast<DWORD>(remaining);
    DWORD got = 0;
    if (count == 0 || !InternetReadFile(request.Get(), buffer, count, &got)) return 0;
    if (bounded) remaining -= got;
    return got;
  }

  bool FillAhead() {
    ahead.resize(kLineBlock);
    aheadAt = 0;
    ahead.resize(ReadAnswer(&ahead[0], kLineBlock));
    return !ahead.empty();
  }

  void Replace(win::UniqueInternet other) {
    request = std::move(other);
    bounded = AnnouncedLength(request.Get(), remaining);
    ahead.clear();
    aheadAt = 0;
  }

  std::string ahead;
  size_t aheadAt = 0;
  bool bounded = false;  // the answer announced its length
  ULONGLONG remaining = 0;
};

CNetCommunication::CNetCommunication() : m_dwFileLength(0) {}

CNetCommunication::CNetCommunication(const CNetCommunication& other)
    : m_pSession(other.m_pSession),
      m_pFile(other.m_pFile),
      m_strText(other.m_strText),
      m_dwFileLength(other.m_dwFileLength) {}

CNetCommunication& CNetCommunication::operator=(const CNetCommunication& other) {
  m_pSession = other.m_pSession;
  m_pFile = other.m_pFile;
  m_strText = other.m_strText;
  m_dwFileLength = other.m_dwFileLength;
  return *this;
}

CNetCommunication::~CNetCommunication() { Clear(); }

void CNetCommunication::Clear() {
  m_pFile.reset();
  m_pSession.reset();
}

DWORD CNetCommunication::GetUrlFile(CString url) {
  Clear();
  m_dwFileLength = 0;
  auto session = std::make_shared<Session>();
  session->handle.Reset(InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session->handle) return NET_INTERNET_ERROR;
  m_pSession = session;
  win::UniqueInternet request(OpenUrl(session->handle.Get(), url, CString()));
  DWORD status = 0;
  // A connection closed before any answer leaves no status (0).
  if (!request || !QueryStatus(request.Get(), status) || status < kLowestStatus) return NET_INTERNET_ERROR;
  if (status != HTTP_STATUS_OK) return status - 0x1F000000u;
  m_dwFileLength = ContentLength(request.Get());
  m_pFile = std::make_shared<Response>(session, std::move(request), url);
  return NET_OK;
}

DWORD CNetCommunication::IsConnect2Internet(CString url) {
  DWORD code = GetUrlFile(url);
  if (code != NET_OK) return code;
  CString line;
  while (ReadString(line)) {
    if (line.Find(kNotFoundMarker) >= 0) return NET_NOT_FOUND_PAGE;
  }
  return NET_OK;
}

DWORD CNetCommunication::IsConnect2Tax(CString url) { return IsConnect2Internet(url); }

DWORD CNetCommunication::DownLoad(const wchar_t* localPath) {
  m_downLoadFileLen = 0;
  if (!m_pFile) return NET_INTERNET_ERROR;
  ULONGLONG have = 0;
  win::UniqueFile local = OpenLocalFile(localPath, have);
  if (!local) return NET_LOCAL_FILE_ERROR;
  m_downLoadFileLen = Saturated(have);
  ResumeStep step = have > 0 ? m_pFile->AskFrom(have) : ResumeStep::kAppend;
  if (step == ResumeStep::kStartOver) {
    // A file that cannot be cut is left as it was rather than given a
    // second copy of its start.
    if (TruncateToStart(local.Get())) {
      have = 0;
      m_downLoadFileLen = 0;
    } else {
      step = ResumeStep::kComplete;
    }
  }
  if (step != ResumeStep::kComplete) CopyAnswer(local.Get(), have);
  local.Reset();
  Clear();
  return NET_OK;
}

// Appends the rest of the answer to file, which holds `have` bytes.
void CNetCommunication::CopyAnswer(HANDLE file, ULONGLONG have) {
  std::vector<char> buffer(kDownloadBlock);
  char* block = buffer.data();
  for (;;) {
    UINT got = m_pFile->Read(block, kDownloadBlock);
    DWORD written = 0;
    if (got == 0 || !WriteFile(file, block, got, &written, nullptr)) break;
    have += written;
    m_downLoadFileLen = Saturated(have);  // one store: readers see whole values
    if (written != got) break;
  }
}

UINT CNetCommunication::Read(void* buffer, UINT count) {
  if (!m_pFile || buffer == nullptr || count == 0) return 0;
  return m_pFile->Read(buffer, count);
}

BOOL CNetCommunication::ReadString(CString& line) {
  line.Empty();
  std::string bytes;
  if (!m_pFile || !m_pFile->ReadLine(bytes)) return FALSE;
  NarrowToWide(bytes.data(), bytes.size(), line);
  return TRUE;
}

BOOL CNetCommunication::ReadNameAndValue(CString& name, CString& value) {
  CString line;
  if (!ReadString(line)) return FALSE;
  return SplitNameAndValue(line, name, value) ? TRUE : FALSE;
}

DWORD CNetCommunication::GetStringByName(CString& value, CString name) {
  return FindValueByName([this](CString& line) { return ReadString(line); }, value, name);
}

DWORD CNetCommunication::GetFileLength() { return m_dwFileLength; }

DWORD CNetCommunication::GetNowFileSize() { return m_downLoadFileLen; }

DWORD CNetCommunication::AtoW(CString& text) { return BufferBytesToWide(text); }
