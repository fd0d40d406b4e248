#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// The two mails of the results pages, opened with the shell's "open" verb:
// the recommendation of a file to a friend and the report of a file to the
// operator. The address prefix of the recommendation, its text after the file
// name and the operator's abuse address are keys of "custom.ini" (section
// "tovak"); missing keys give the defaults below.
class MailLinks {
 public:
  static constexpr const char* kPrefixKey = "mailAddressPrefix";
  static constexpr const char* kRecommendTextKey = "mailRecommendText";
  static constexpr const char* kAbuseAddressKey = "abuseMailAddress";
  static constexpr const char* kDefaultPrefix = "mailto:?subject=好东西推荐&body=hello";
  static constexpr const char* kDefaultRecommendText =
      "。拓瓦是免费的文件交换软件，影片、音乐、软件应有尽有，下载又快又方便。"
      "拓瓦下载地址：http://www.tovak.com/download/ 装好后记得加我为好友，我的拓瓦号是";
  static constexpr const char* kDefaultAbuseAddress = "abuse@tovak.com";

  MailLinks() = default;
  // Reads the keys of the client's "custom.ini".
  static MailLinks Read(const std::string& iniPath);

  // "%s您好！给你推荐个好东西：%s" with the prefix and the file name, then
  // the recommendation text and the user's number.
  std::string Recommendation(std::string_view fileName, uint32_t user) const;
  // "mailto:" + abuse address + "?subject=举报&body=", then
  // "%s 拓瓦号%u 的用户共享了非法文件 %s" with that prefix, the peer number
  // and the file name.
  std::string Report(uint32_t peer, std::string_view fileName) const;

  // Network text made safe for a mail address: every byte that could end the
  // body, start another header or recipient, escape a byte or break a
  // command line is written as "%XX" (control characters, blank, '"', '#',
  // '%', '&', '+', '<', '>', '=', '?'). None of them is the second byte of a
  // double-byte character, so characters stay whole.
  static std::string EscapeNetworkText(std::string_view text);
  // Opens the address with the shell; a failure is not reported.
  static void Open(HWND owner, const std::string& address);

  std::string prefix = kDefaultPrefix;
  std::string recommendText = kDefaultRecommendText;
  std::string abuseAddress = kDefaultAbuseAddress;
};
