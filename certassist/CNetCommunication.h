#pragma once

#include <windows.h>

#include <memory>

#include "CString.h"

// Result codes of CNetCommunication. A status other than 200 comes back as
// 0xE1000000 + the status (0xE1000194 for 404).
enum : DWORD {
  NET_OK = 0,
  NET_INTERNET_ERROR = 0xE0010001,
  NET_LOCAL_FILE_ERROR = 0xE0010002,
  NET_NOT_FOUND_PAGE = 0xE0010099,
  NET_HTTP_STATUS_BASE = 0xE1000000,
};

// The assistant's HTTP client: opens one URL at a time (user agent
// "LCCA Assitant", the system's proxy settings, never the cache), then reads
// the answer as lines or bytes, or downloads it into a local file, resuming a
// partial file left by an earlier download.
//
// Copies share the session and the open answer with the object they were
// copied from; both stay usable, and the last one to let go closes them.
class CERTASSIST_API CNetCommunication {
 public:
  CNetCommunication();
  CNetCommunication(const CNetCommunication& other);
  CNetCommunication& operator=(const CNetCommunication& other);
  ~CNetCommunication();

  // Opens url. 0 when the server answered 200: the answer is kept for
  // reading and GetFileLength() gives its Content-Length (0 when absent or
  // not a number, 0xFFFFFFFF for 4 GiB and more). 0xE1000000 + status for
  // another status, 0xE0010001 when no answer could be had.
  DWORD GetUrlFile(CString url);
  // One operation under two names: GetUrlFile's code, or 0xE0010099 when a
  // line of the page holds the not-found marker "404错", else 0.
  DWORD IsConnect2Internet(CString url);
  DWORD IsConnect2Tax(CString url);

  // Writes the answer opened by GetUrlFile into localPath and releases the
  // session. An existing file is a partial earlier download: only the bytes
  // after its length are asked for (a Range request); a server that answers
  // with the whole file instead has the file written again from its start.
  // 0 (also when the connection ended early: the partial file stays for the
  // next call), 0xE0010002 when localPath can neither be opened nor
  // created, 0xE0010001 when no answer is open.
  DWORD DownLoad(const wchar_t* localPath);

  // Reads from the open answer; the number of bytes read, 0 at its end.
  UINT Read(void* buffer, UINT count);
  // The next line of the answer (text of the system's 8-bit code page,
  // without its line end); FALSE and an empty line at the end.
  BOOL ReadString(CString& line);
  // The next line split at its first "=", blanks removed; FALSE (both
  // unchanged) when there is no line or it holds no "=".
  BOOL ReadNameAndValue(CString& name, CString& value);
  // Reads on until a "name=value" line with the given name: 0 with value
  // set, 0xE0010005 when none (or its value is empty), 0xE0010004 for an
  // empty name. An answer cannot be rewound: the search starts at the
  // current line.
  DWORD GetStringByName(CString& value, CString name);

  // The Content-Length of the answer opened last.
  DWORD GetFileLength();
  // m_downLoadFileLen.
  DWORD GetNowFileSize();

  // Bytes the running (or last) DownLoad has in the local file, counting
  // those that were there when it resumed; 0xFFFFFFFF from 4 GiB on. Other
  // threads may read it at any time without a lock: it is an aligned 32-bit
  // value, written with one store per update.
  static volatile DWORD m_downLoadFileLen;

 protected:
  // Takes the bytes of text's buffer as zero-terminated text in the system's
  // 8-bit code page and stores them as UTF-16 (see CConfigFile::AtoW).
  DWORD AtoW(CString& text);

 private:
  struct Session;
  struct Response;

  // Releases the open answer and the session.
  void Clear();
  void CopyAnswer(HANDLE file, ULONGLONG have);

  std::shared_ptr<Session> m_pSession;
  std::shared_ptr<Response> m_pFile;
  CString m_strText;
  DWORD m_dwFileLength;
};
