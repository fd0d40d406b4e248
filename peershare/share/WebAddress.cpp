#include "share/WebAddress.h"

#include <cstdlib>

#include "share/CodePageText.h"
#include "share/IniFile.h"

bool WebAddress::Parse(const std::string& text, WebAddress& address) {
  size_t colon = text.rfind(':');
  std::string host = text.substr(0, colon);
  if (host.empty() || host.find_first_of(" \t/\\") != std::string::npos) return false;
  uint16_t port = kDefaultPort;
  if (colon != std::string::npos) {
    std::string digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    long number = std::strtol(digits.c_str(), nullptr, 10);
    if (number < 1 || number > 65535) return false;
    port = static_cast<uint16_t>(number);
  }
  address.host = host;
  address.port = port;
  return true;
}

bool WebAddress::SplitLocation(const std::string& location, WebAddress& address, std::string& path) {
  size_t separator = location.find_first_of("/\\");
  if (separator == std::string::npos || !Parse(location.substr(0, separator), address)) return false;
  path = CodePageText::ForwardSlashes(location.substr(separator));
  return true;
}

WebAddress WebAddress::Operator(const std::string& executableFolder) {
  IniFile custom;
  custom.Load(executableFolder + "\\custom.ini");
  WebAddress address;
  if (!Parse(custom.Get("tovak", kOperatorKey), address)) address.host = kDefaultOperatorHost;
  return address;
}
