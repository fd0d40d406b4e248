#include "share/HttpFetch.h"

#include <windows.h>
#include <wininet.h>

#include <cstring>

#include "win/InternetHandles.h"

namespace {

// No step may keep the share worker from stopping for long.
constexpr DWORD kConnectTimeout = 10000;
constexpr DWORD kTransferTimeout = 30000;

void SetTimeouts(HINTERNET session) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    DWORD value = option == INTERNET_OPTION_CONNECT_TIMEOUT ? kConnectTimeout : kTransferTimeout;
    InternetSetOptionA(session, option, &value, sizeof value);
  }
}

bool QueryNumber(HINTERNET request, DWORD info, DWORD& number) {
  DWORD size = sizeof number, index = 0;
  return HttpQueryInfoA(request, info | HTTP_QUERY_FLAG_NUMBER, &number, &size, &index) != FALSE;
}

HttpFetch::Outcome ReadBody(HINTERNET request, size_t maxBytes, std::string& body) {
  DWORD announced = 0;
  bool hasLength = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, announced);
  if (hasLength && announced > maxBytes) return HttpFetch::Outcome::TooLarge;
  char buffer[16 * 1024];
  DWORD got = 0;
  for (;;) {
    if (!InternetReadFile(request, buffer, sizeof buffer, &got)) return HttpFetch::Outcome::Incomplete;
    if (got == 0) break;
    if (body.size() + got > maxBytes) return HttpFetch::Outcome::TooLarge;
    body.append(buffer, got);
  }
  // A connection closed early ends the body without an error.
  if (hasLength && body.size() != announced) return HttpFetch::Outcome::Incomplete;
  return HttpFetch::Outcome::Ok;
}

}  // namespace

HttpFetch::Result HttpFetch::Get(const WebAddress& server, const std::string& path, size_t maxBytes,
                                 std::string& body) {
  body.clear();
  Result result;
  win::UniqueInternet session(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return result;
  SetTimeouts(session.Get());
  win::UniqueInternet connection(InternetConnectA(session.Get(), server.host.c_str(), server.port, nullptr, nullptr,
                                                  INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return result;
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
  win::UniqueInternet request(
      HttpOpenRequestA(connection.Get(), "GET", path.c_str(), "HTTP/1.1", nullptr, nullptr, flags, 0));
  if (!request ||
      !HttpSendRequestA(request.Get(), kHeaders, static_cast<DWORD>(std::strlen(kHeaders)), nullptr, 0)) {
    return result;
  }
  DWORD status = 0;
  if (!QueryNumber(request.Get(), HTTP_QUERY_STATUS_CODE, status)) return result;
  result.status = status;
  result.outcome = status == HTTP_STATUS_OK ? ReadBody(request.Get(), maxBytes, body) : Outcome::NotOk;
  if (!result.Ok()) body.clear();
  return result;
}
