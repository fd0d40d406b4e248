// CCommonFun: the round-trip time to a host.
#include <winsock2.h>

#include "CCommonFun.h"
#include "CPing.h"

using namespace certassist;

namespace {

// The host part of an address: without a scheme ("http://"), a path and a
// port.
CString PingTarget(CString host) {
  int scheme = host.Find(L"://");
  if (scheme >= 0) host = host.Mid(scheme + 3);
  int slash = host.Find(L'/');
  if (slash >= 0) host = host.Left(slash);
  int colon = host.Find(L':');
  if (colon >= 0) host = host.Left(colon);
  return host;
}

}  // namespace

int CCommonFun::CAPing(CString host, DWORD& roundTrip) {
  CString target = PingTarget(host);
  WSADATA sockets{};
  if (WSAStartup(MAKEWORD(1, 1), &sockets) != 0) return 0;
  bool answered = false;
  {
    CPing ping;
    answered = ping.Ping(target);
    if (answered) roundTrip = ping.Result().roundTripMs;
  }
  // The reason a ping failed outlives the socket library's shutdown.
  DWORD reason = GetLastError();
  WSACleanup();
  SetLastError(reason);
  return answered ? 1 : 0;
}
