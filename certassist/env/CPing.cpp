#include "CPing.h"

#include <winsock2.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <cstring>
#include <string>

#include "win/IcmpHandles.h"

namespace certassist {

namespace {

// ICMP's own answer to an unreachable host or a lost packet takes 8 bytes
// after the echoed data; the record in front of the data is larger in 64-bit
// programs, so the buffer is sized from it.
const DWORD kReplyBytes = sizeof(ICMP_ECHO_REPLY) + CPing::kDataBytes + 8;

void* Entry(HMODULE library, const char* name) { return reinterpret_cast<void*>(GetProcAddress(library, name)); }

bool IsOwnEcho(const ICMP_ECHO_REPLY& reply) {
  if (reply.Status != IP_SUCCESS || reply.DataSize != CPing::kDataBytes || reply.Data == nullptr) return false;
  const BYTE* data = static_cast<const BYTE*>(reply.Data);
  for (int i = 0; i < CPing::kDataBytes; ++i) {
    if (data[i] != CPing::kDataByte) return false;
  }
  return true;
}

}  // namespace

CPing::LibraryNames& CPing::Libraries() {
  static LibraryNames names = {L"Iphlpapi.dll", L"ICMP.DLL"};
  return names;
}

CPing::CPing() {
  if (!Load(Libraries().first)) Load(Libraries().second);
}

bool CPing::Load(const wchar_t* library) {
  m_library.Reset(library != nullptr ? LoadLibraryW(library) : nullptr);
  if (!m_library) return false;
  m_create = reinterpret_cast<CreateFn>(Entry(m_library.Get(), "IcmpCreateFile"));
  m_sendEcho = reinterpret_cast<SendEchoFn>(Entry(m_library.Get(), "IcmpSendEcho"));
  m_close = reinterpret_cast<CloseFn>(Entry(m_library.Get(), "IcmpCloseHandle"));
  if (m_create != nullptr && m_sendEcho != nullptr && m_close != nullptr) return true;
  m_library.Reset();
  return false;
}

bool CPing::Resolve(const CString& host, ULONG& address) {
  // An empty name would resolve to this machine.
  if (host.IsEmpty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  int bytes = WideCharToMultiByte(CP_ACP, 0, host, host.GetLength(), nullptr, 0, nullptr, nullptr);
  std::string narrow(bytes > 0 ? bytes : 0, '\0');
  if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, host, host.GetLength(), &narrow[0], bytes, nullptr, nullptr);
  address = inet_addr(narrow.c_str());
  if (address != INADDR_NONE) return true;
  const hostent* found = gethostbyname(narrow.c_str());
  if (found == nullptr || found->h_addrtype != AF_INET || found->h_addr_list[0] == nullptr) {
    SetLastError(static_cast<DWORD>(WSAGetLastError()));
    return false;
  }
  memcpy(&address, found->h_addr_list[0], sizeof address);
  return true;
}

bool CPing::Ping(const CString& host) {
  if (!HasLibrary()) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  ULONG address = 0;
  if (!Resolve(host, address)) return false;
  win::UniqueIcmpEcho echo(win::IcmpEchoHandle{m_create(), m_close});
  if (!echo) return false;
  bool answered = Exchange(echo.Get().handle, address);
  // Closing the handle must not hide why the ping failed.
  DWORD reason = GetLastError();
  echo.Reset();
  SetLastError(reason);
  return answered;
}

bool CPing::Exchange(HANDLE echo, ULONG address) {
  BYTE request[kDataBytes];
  memset(request, kDataByte, sizeof request);
  IP_OPTION_INFORMATION options{};
  options.Ttl = kTimeToLive;
  alignas(ICMP_ECHO_REPLY) BYTE replies[kReplyBytes] = {};
  DWORD count = m_sendEcho(echo, address, request, kDataBytes, &options, replies, kReplyBytes, kTimeoutMs);
  if (count != 1) {
    if (count > 1) SetLastError(ERROR_UNEXP_NET_ERR);
    return false;
  }
  const auto& reply = *reinterpret_cast<const ICMP_ECHO_REPLY*>(replies);
  if (!IsOwnEcho(reply)) {
    SetLastError(ERROR_UNEXP_NET_ERR);
    return false;
  }
  m_result = Reply{reply.Address, reply.RoundTripTime, reply.Status};
  return true;
}

}  // namespace certassist
