// The recommendation and report mails of the results pages, opened with the
// shell's "open" verb. The test registers a "mailto:" handler in the Wine
// prefix for its duration (mailto_logger.exe beside the program), which logs
// every address it is started with.
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>

#include "SearchFixture.h"
#include "search/MailLinks.h"
#include "win/Handles.h"

namespace {

constexpr const char* kCommandKey = "mailto\\shell\\open\\command";

// The handler of "mailto:" while it lives; the previous one comes back after.
class MailtoHandler {
 public:
  explicit MailtoHandler(const std::string& logPath) {
    win::UniqueRegKey key;
    char value[1024] = "";
    LONG size = sizeof value;
    hadValue_ = RegQueryValueA(HKEY_CLASSES_ROOT, kCommandKey, value, &size) == ERROR_SUCCESS;
    previous_ = hadValue_ ? value : "";
    std::string command = "\"" + ClientFolder::BesideProgram("mailto_logger.exe") + "\" \"" + logPath + "\" \"%1\"";
    registered_ = RegSetValueA(HKEY_CLASSES_ROOT, kCommandKey, REG_SZ, command.c_str(),
                               static_cast<DWORD>(command.size())) == ERROR_SUCCESS;
  }
  ~MailtoHandler() {
    if (hadValue_) {
      RegSetValueA(HKEY_CLASSES_ROOT, kCommandKey, REG_SZ, previous_.c_str(), static_cast<DWORD>(previous_.size()));
    } else {
      RegDeleteKeyA(HKEY_CLASSES_ROOT, kCommandKey);
    }
  }
  bool Registered() const { return registered_; }

 private:
  bool hadValue_ = false, registered_ = false;
  std::string previous_;
};

std::string Utf8(const std::string& codePageText) {
  int length = MultiByteToWideChar(936, 0, codePageText.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(936, 0, codePageText.c_str(), -1, &wide[0], length);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(bytes - 1));
  return utf8;
}

class RemoteFileMailTest : public SearchWindowTest {
 protected:
  std::string LogPath() const { return client_.Data() + "\\mailto.log"; }
  // The lines the handler logged, waiting for `count` of them.
  std::vector<std::string> WaitForMails(size_t count) const {
    std::vector<std::string> lines;
    for (int tries = 0; tries < 200; ++tries) {
      lines.clear();
      std::istringstream text(ReadFileBytes(LogPath()));
      for (std::string line; std::getline(text, line);) lines.push_back(line);
      if (lines.size() >= count) break;
      Sleep(50);
    }
    return lines;
  }
  ResultsPage& PageWith(const std::string& fileName) {
    host_.searchResults = {Result(fileName, 20001, 1000, 1)};
    Search("abc", 3);
    ReportResults();
    ResultsPage& page = *Centre().PageOf(LastQueryId());
    page.List().SelectOnly({0});
    return page;
  }
  MailtoHandler handler_{LogPath()};
};

TEST_F(RemoteFileMailTest, TheRecommendationOpensTheMailProgram) {
  ASSERT_TRUE(handler_.Registered());
  Start();
  ResultsPage& page = PageWith("功夫 2.rmvb");
  page.RunCommand(ID_RESULT_RECOMMEND);
  std::vector<std::string> mails = WaitForMails(1);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0], "1\t" + Utf8(MailLinks().Recommendation("功夫 2.rmvb", kUser)));
  EXPECT_NE(mails[0].find(Utf8("mailto:?subject=好东西推荐&body=hello您好！给你推荐个好东西：功夫%202.rmvb")),
            std::string::npos)
      << mails[0];
}

TEST_F(RemoteFileMailTest, TheReportOpensTheMailProgramWithTheOperatorsAddress) {
  ASSERT_TRUE(handler_.Registered());
  client_.WriteCustomIni("operatorServer=127.0.0.1:9\r\nabuseMailAddress=jubao@example.cn\r\n");
  Start();
  ResultsPage& page = PageWith("坏.avi");
  page.RunCommand(ID_RESULT_REPORT);
  std::vector<std::string> mails = WaitForMails(1);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0], "1\t" + Utf8("mailto:jubao@example.cn?subject=举报&body= 拓瓦号20001 的用户共享了非法文件 坏.avi"));
}

// A peer's file name tries to add recipients, headers and arguments.
TEST_F(RemoteFileMailTest, NamesFromPeersCannotAddRecipientsOrArguments) {
  ASSERT_TRUE(handler_.Registered());
  Start();
  const std::string hostile = "a&cc=boss@x.cn&to=y@z.cn%0ABcc: q@r.cn\" \"extra.avi";
  ResultsPage& page = PageWith(hostile);
  page.RunCommand(ID_RESULT_REPORT);
  page.RunCommand(ID_RESULT_RECOMMEND);
  std::vector<std::string> mails = WaitForMails(2);
  ASSERT_EQ(mails.size(), 2u);
  for (const std::string& mail : mails) {
    EXPECT_EQ(mail.rfind("1\t", 0), 0u) << "one address, no further arguments: " << mail;
    std::string body = mail.substr(mail.find("&body=") + 6);
    EXPECT_EQ(body.find('&'), std::string::npos) << mail;
    EXPECT_EQ(body.find('"'), std::string::npos) << mail;
    EXPECT_EQ(body.find("%0A"), std::string::npos) << mail;
    EXPECT_NE(body.find("a%26cc%3Dboss@x.cn%26to%3Dy@z.cn%250ABcc:%20q@r.cn%22%20%22extra.avi"), std::string::npos)
        << mail;
  }
}

}  // namespace
