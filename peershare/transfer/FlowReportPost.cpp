#include "transfer/FlowReportPost.h"

#include <wininet.h>

#include <cerrno>
#include <cstdlib>

#include "win/InternetHandles.h"

namespace {

bool Printable(unsigned char byte) { return byte > 0x20 && byte < 0x7F; }

void AppendEscaped(std::string& out, unsigned char byte) {
  static const char kDigits[] = "0123456789ABCDEF";
  out += '%';
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

bool ReadPort(const std::string& text, uint16_t& port) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value < 1 || value > 65535) return false;
  port = static_cast<uint16_t>(value);
  return true;
}

bool HostIsCarriable(const std::string& host) {
  if (host.empty()) return false;
  for (unsigned char byte : host)
    if (!Printable(byte)) return false;
  return true;
}

void SetTimeouts(HINTERNET session, const FlowReportPost::Timeouts& timeouts) {
  const std::pair<DWORD, DWORD> options[] = {{INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connect},
                                             {INTERNET_OPTION_SEND_TIMEOUT, timeouts.send},
                                             {INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.receive}};
  for (const auto& [option, milliseconds] : options) {
    DWORD value = milliseconds;
    InternetSetOptionA(session, option, &value, sizeof value);
  }
}

}  // namespace

bool FlowReportPost::Split(const std::string& uploadUrl, Address& address) {
  Address split;
  std::string rest = uploadUrl;
  size_t colon = uploadUrl.find(':');
  bool withPort = colon != std::string::npos && colon > 0;
  if (withPort) {
    split.host = uploadUrl.substr(0, colon);
    rest = uploadUrl.substr(colon + 1);
  }
  size_t slash = rest.size() > 1 ? rest.find('/', 1) : std::string::npos;
  if (slash == std::string::npos) return false;
  if (withPort) {
    if (!ReadPort(rest.substr(0, slash), split.port)) return false;
  } else {
    split.host = rest.substr(0, slash);
  }
  split.path = rest.substr(slash);
  if (!HostIsCarriable(split.host)) return false;
  address = std::move(split);
  return true;
}

std::string FlowReportPost::Target(const std::string& path, const std::vector<std::string>& parameters) {
  std::string target;
  target.reserve(path.size() + 64);
  for (unsigned char byte : path) {
    if (Printable(byte)) {
      target += static_cast<char>(byte);
    } else {
      AppendEscaped(target, byte);
    }
  }
  for (const std::string& parameter : parameters) target += "&" + parameter;
  return target;
}

std::string FlowReportPost::EscapeValue(const std::string& value) {
  std::string escaped;
  escaped.reserve(value.size());
  for (unsigned char byte : value) {
    bool separator = byte == '%' || byte == '&' || byte == '#' || byte == ',' || byte == '@';
    if (Printable(byte) && !separator) {
      escaped += static_cast<char>(byte);
    } else {
      AppendEscaped(escaped, byte);
    }
  }
  return escaped;
}

int32_t FlowReportPost::ReadAnswer(const std::string& lastBlock) {
  size_t at = lastBlock.find_first_not_of(" \t\r\n");
  if (at == std::string::npos) return kFailed;
  size_t digits = at + (lastBlock[at] == '-' || lastBlock[at] == '+' ? 1 : 0);
  if (digits >= lastBlock.size() || lastBlock[digits] < '0' || lastBlock[digits] > '9') return kFailed;
  errno = 0;
  long value = std::strtol(lastBlock.c_str() + at, nullptr, 10);
  if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return kFailed;
  return static_cast<int32_t>(value);
}

int32_t FlowReportPost::Post(const std::string& uploadUrl, const std::vector<std::string>& parameters,
                             const Timeouts& timeouts) {
  Address address;
  if (!Split(uploadUrl, address)) return kFailed;
  return Post(address, Target(address.path, parameters), timeouts);
}

// Only a complete answer with status 200 counts: an error page is no number
// of the endpoint's, whatever its first bytes.
int32_t FlowReportPost::Post(const Address& address, const std::string& target, const Timeouts& timeouts) {
  win::UniqueInternet session(InternetOpenA(kSession, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return kFailed;
  SetTimeouts(session.Get(), timeouts);
  win::UniqueInternet connection(InternetConnectA(session.Get(), address.host.c_str(), address.port, kUser, "",
                                                  INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return kFailed;
  SetTimeouts(connection.Get(), timeouts);
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION;
  win::UniqueInternet request(
      HttpOpenRequestA(connection.Get(), "POST", target.c_str(), nullptr, nullptr, nullptr, flags, 0));
  if (!request) return kFailed;
  // Some WinINet implementations take the timeouts only from the handle
  // that waits.
  SetTimeouts(request.Get(), timeouts);
  for (const char* header : kHeaders)
    HttpAddRequestHeadersA(request.Get(), header, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
  if (!HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0)) return kFailed;
  DWORD status = 0, size = sizeof status, index = 0;
  if (!HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &index) ||
      status != HTTP_STATUS_OK) {
    return kFailed;
  }
  std::string last;
  char block[kBlock];
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request.Get(), block, sizeof block, &got)) return kFailed;
    if (got == 0) break;
    last.assign(block, got);
  }
  return ReadAnswer(last);
}
