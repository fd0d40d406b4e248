#pragma once

#include <cstdint>
#include <string>

// A web server as the plug-in names one: a host with an optional ":port".
struct WebAddress {
  static constexpr uint16_t kDefaultPort = 80;
  // The operator's server when "custom.ini" names none.
  static constexpr const char* kDefaultOperatorHost = "www.tovak.com";
  // The key of "custom.ini" (section "tovak") that names the operator's server.
  static constexpr const char* kOperatorKey = "operatorServer";

  std::string host;
  uint16_t port = kDefaultPort;

  // "host" or "host:port"; false (and nothing set) for an empty host or a
  // port that is not a number from 1 to 65535.
  static bool Parse(const std::string& text, WebAddress& address);
  // "host/path" or "host\path", split at the first separator; the path keeps
  // it as its first character and uses "/" throughout. False without a
  // separator or a host.
  static bool SplitLocation(const std::string& location, WebAddress& address, std::string& path);
  // The operator's server named by "custom.ini" in the executable folder, or
  // the default host on port 80.
  static WebAddress Operator(const std::string& executableFolder);
};
