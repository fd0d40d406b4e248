#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The POST of upload records to the operator's flow-report endpoint, named
// by the "uploadurl" setting (host, optional ":port", then a path; no
// scheme). The request target is the path followed by "&" and each
// parameter; the answer is the decimal number the server sends back.
class FlowReportPost {
 public:
  static constexpr const char* kSession = "HTTP-POST";
  static constexpr const char* kUser = "anonymous";
  static constexpr const char* kHeaders[] = {"Accept: text/*\r\n", "User-Agent: HttpCall\r\n",
                                             "Accept-Language: en-us\r\n"};
  static constexpr size_t kBlock = 255;
  static constexpr uint16_t kDefaultPort = 80;
  // Any failure, and any answer that is not a number.
  static constexpr int32_t kFailed = -1;

  struct Address {
    std::string host;
    uint16_t port = kDefaultPort;
    std::string path;
  };
  // No step may wait for a silent server without end.
  struct Timeouts {
    DWORD connect = 10000;
    DWORD send = 10000;
    DWORD receive = 20000;
  };

  // Splits "uploadurl": a ":" after the first character ends the host and
  // names a port; the path is the rest from its first "/" after its first
  // character. False without such a "/", with a port that is not a number
  // from 1 to 65535, or with a host a request could not carry.
  static bool Split(const std::string& uploadUrl, Address& address);
  // The request target: the path, then "&" and each parameter. Bytes of the
  // path that no request line may hold (blanks, control characters, bytes
  // above 0x7E) are written as "%XX"; everything else stays as it is.
  static std::string Target(const std::string& path, const std::vector<std::string>& parameters);
  // A value inside a parameter: also "%", "&", "#", "," and "@" become
  // "%XX", so that it can neither end the parameter nor the list it is in.
  // An ordinary address passes unchanged.
  static std::string EscapeValue(const std::string& value);
  // The number at the start of the last block of the answer (blanks before
  // it are passed over); kFailed when there is none.
  static int32_t ReadAnswer(const std::string& lastBlock);

  // One POST, without a body; the server's answer, or kFailed.
  static int32_t Post(const std::string& uploadUrl, const std::vector<std::string>& parameters,
                      const Timeouts& timeouts);
  static int32_t Post(const Address& address, const std::string& target, const Timeouts& timeouts);
};
