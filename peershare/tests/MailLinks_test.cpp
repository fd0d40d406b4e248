// The texts of the recommendation and report mails, and names from the
// network that try to add headers or recipients to them.
#include "search/MailLinks.h"

#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"

namespace {

// What a mail program reads back from a "%XX" text.
std::string Unescape(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      plain += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

TEST(MailLinks, RecommendationKeepsItsTextAroundTheFileName) {
  MailLinks links;
  std::string mail = links.Recommendation("功夫.rmvb", 10001);
  EXPECT_EQ(mail, std::string("mailto:?subject=好东西推荐&body=hello您好！给你推荐个好东西：功夫.rmvb") +
                      MailLinks::kDefaultRecommendText + "10001");
}

TEST(MailLinks, ReportNamesTheOperatorPeerAndFile) {
  MailLinks links;
  EXPECT_EQ(links.Report(20001, "坏.avi"),
            "mailto:abuse@tovak.com?subject=举报&body= 拓瓦号20001 的用户共享了非法文件 坏.avi");
  EXPECT_EQ(links.Report(4294967295u, "x"),
            "mailto:abuse@tovak.com?subject=举报&body= 拓瓦号4294967295 的用户共享了非法文件 x");
}

TEST(MailLinks, NamesCannotAddHeadersOrRecipients) {
  MailLinks links;
  const std::string hostile = "a&cc=boss@x.cn&bcc=y@z.cn%0Ato: q@r.cn\r\nSubject: x\"#?+<>";
  std::string mail = links.Report(5, hostile);
  std::string body = mail.substr(mail.find("&body=") + 6);
  EXPECT_EQ(body.find('&'), std::string::npos) << mail;
  EXPECT_EQ(body.find('?'), std::string::npos);
  EXPECT_EQ(body.find('#'), std::string::npos);
  EXPECT_EQ(body.find('"'), std::string::npos);
  EXPECT_EQ(body.find_first_of("\r\n"), std::string::npos);
  EXPECT_NE(body.find("%250A"), std::string::npos) << "a written escape stays text: " << body;
  EXPECT_EQ(mail.find("cc="), std::string::npos);
  // The mail program reads the name back as it was.
  EXPECT_EQ(Unescape(body), " 拓瓦号5 的用户共享了非法文件 " + hostile);
  std::string recommendation = links.Recommendation(hostile, 1);
  EXPECT_EQ(recommendation.find("&cc"), std::string::npos);
  EXPECT_EQ(recommendation.find("&bcc"), std::string::npos);
}

TEST(MailLinks, DoubleByteCharactersStayWhole) {
  // Second bytes of code page 936 may be "|", "\", "@" or letters: none is escaped.
  std::string name = "\x81\x7C\xB0\x5C\xC4\x40影片.avi";
  EXPECT_EQ(MailLinks::EscapeNetworkText(name), name);
  EXPECT_EQ(MailLinks::EscapeNetworkText("a b%c\x7F"), "a%20b%25c%7F");
  EXPECT_EQ(MailLinks::EscapeNetworkText(""), "");
}

TEST(MailLinks, AddressesAndTextsComeFromCustomIni) {
  TempFolder folder;
  std::string ini = folder.File("custom.ini");
  ASSERT_TRUE(WriteFileBytes(ini, "[tovak]\r\nmailAddressPrefix=mailto:?subject=看看&body=嗨\r\n"
                                  "mailRecommendText=，快来下载。我是\r\nabuseMailAddress=report@example.cn\r\n"));
  MailLinks links = MailLinks::Read(ini);
  EXPECT_EQ(links.Recommendation("a.mp3", 7), "mailto:?subject=看看&body=嗨您好！给你推荐个好东西：a.mp3，快来下载。我是7");
  EXPECT_EQ(links.Report(7, "a.mp3"), "mailto:report@example.cn?subject=举报&body= 拓瓦号7 的用户共享了非法文件 a.mp3");
  MailLinks defaults = MailLinks::Read(folder.File("missing.ini"));
  EXPECT_EQ(defaults.prefix, MailLinks::kDefaultPrefix);
  EXPECT_EQ(defaults.recommendText, MailLinks::kDefaultRecommendText);
  EXPECT_EQ(defaults.abuseAddress, MailLinks::kDefaultAbuseAddress);
}

}  // namespace
