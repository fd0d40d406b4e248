#pragma once

#include <windows.h>

#include "CString.h"
#include "win/Handles.h"

namespace certassist {

// One ICMP echo request through the system's ICMP library, loaded for the
// lifetime of the object: "Iphlpapi.dll", or "ICMP.DLL" where the first is
// missing or lacks one of the three ICMP functions.
class CPing {
 public:
  struct Reply {
    ULONG address;      // the replying IPv4 address, network byte order
    ULONG roundTripMs;  // round-trip time in milliseconds
    ULONG status;       // IP_SUCCESS
  };
  // The libraries tried, in order. A test program linking the library
  // statically may name others.
  struct LibraryNames {
    const wchar_t* first;
    const wchar_t* second;
  };
  static LibraryNames& Libraries();

  static const int kDataBytes = 32;
  static const BYTE kDataByte = 0x45;  // 'E'
  static const UCHAR kTimeToLive = 30;
  static const DWORD kTimeoutMs = 5000;

  CPing();
  CPing(const CPing&) = delete;
  CPing& operator=(const CPing&) = delete;

  bool HasLibrary() const { return m_library.IsValid(); }

  // Sends one echo request to host (a dotted IPv4 address, or a name that
  // resolves to one). True when exactly one reply came back holding the
  // data sent; otherwise false with the last error set: ERROR_CALL_NOT_
  // IMPLEMENTED without a library, ERROR_UNEXP_NET_ERR for a reply that is
  // not the echo, or what resolving or sending failed with.
  bool Ping(const CString& host);
  const Reply& Result() const { return m_result; }

 private:
  typedef HANDLE(WINAPI* CreateFn)();
  typedef DWORD(WINAPI* SendEchoFn)(HANDLE, ULONG, LPVOID, WORD, PVOID, LPVOID, DWORD, DWORD);
  typedef BOOL(WINAPI* CloseFn)(HANDLE);

  bool Load(const wchar_t* library);
  // One echo request and its reply.
  bool Exchange(HANDLE echo, ULONG address);
  static bool Resolve(const CString& host, ULONG& address);

  win::UniqueModule m_library;
  CreateFn m_create = nullptr;
  SendEchoFn m_sendEcho = nullptr;
  CloseFn m_close = nullptr;
  Reply m_result{};
};

}  // namespace certassist
