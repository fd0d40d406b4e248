#include "search/MailLinks.h"

#include <shellapi.h>

#include <cstring>

namespace {

constexpr const char* kSection = "tovak";
constexpr DWORD kValueMax = 1024;

std::string ReadKey(const std::string& iniPath, const char* key, const char* fallback) {
  char value[kValueMax] = "";
  GetPrivateProfileStringA(kSection, key, fallback, value, kValueMax, iniPath.c_str());
  return value;
}

bool NeedsEscape(unsigned char byte) {
  return byte <= 0x20 || byte == 0x7F || std::strchr("\"#%&+<>=?", byte) != nullptr;
}

}  // namespace

MailLinks MailLinks::Read(const std::string& iniPath) {
  MailLinks links;
  links.prefix = ReadKey(iniPath, kPrefixKey, kDefaultPrefix);
  links.recommendText = ReadKey(iniPath, kRecommendTextKey, kDefaultRecommendText);
  links.abuseAddress = ReadKey(iniPath, kAbuseAddressKey, kDefaultAbuseAddress);
  return links;
}

std::string MailLinks::EscapeNetworkText(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (!NeedsEscape(byte)) {
      escaped += c;
      continue;
    }
    escaped += '%';
    escaped += kDigits[byte >> 4];
    escaped += kDigits[byte & 0x0F];
  }
  return escaped;
}

std::string MailLinks::Recommendation(std::string_view fileName, uint32_t user) const {
  return prefix + "您好！给你推荐个好东西：" + EscapeNetworkText(fileName) + recommendText + std::to_string(user);
}

std::string MailLinks::Report(uint32_t peer, std::string_view fileName) const {
  std::string address = "mailto:" + abuseAddress + "?subject=举报&body=";
  return address + " 拓瓦号" + std::to_string(peer) + " 的用户共享了非法文件 " + EscapeNetworkText(fileName);
}

void MailLinks::Open(HWND owner, const std::string& address) {
  ShellExecuteA(owner, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
