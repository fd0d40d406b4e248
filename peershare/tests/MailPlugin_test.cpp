// The mail plug-in that the main window's button 3175 opens, with the
// client's plug-in played by a double ("Plugins\TvSendMail.dll") that logs
// its calls beside itself.
#include "search/MailPlugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "SearchFixture.h"

namespace {

constexpr UINT kSayDone = WM_APP + 1;
constexpr UINT kSayDoneTwice = WM_APP + 2;

class MailPluginTest : public SearchWindowTest {
 protected:
  std::string PluginPath() const { return client_.Bin() + "\\Plugins\\TvSendMail.dll"; }
  void InstallPlugin(const std::string& variant) {
    ASSERT_TRUE(CopyFileA(ClientFolder::BesideProgram(variant + ".dll").c_str(), PluginPath().c_str(), FALSE));
  }
  std::vector<std::string> Log() const {
    std::istringstream text(ReadFileBytes(client_.Bin() + "\\Plugins\\TvSendMail.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  void ClickMailButton() {
    SendMessageA(Bar(IDC_MAIL_REPORT), BM_CLICK, 0, 0);
    Pump(0);
  }
  // The double's window in this process: tests of other programs may have theirs open.
  static HWND MailWindow() {
    for (HWND window = FindWindowExA(nullptr, nullptr, "TvSendMailDouble", nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, "TvSendMailDouble", nullptr)) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == GetCurrentProcessId()) return window;
    }
    return nullptr;
  }
  bool PluginLoaded() const { return GetModuleHandleA(PluginPath().c_str()) != nullptr; }
  // The double says done; the main window closes it when the post arrives.
  void SayDone(UINT message, int value) {
    HWND window = MailWindow();
    ASSERT_NE(window, nullptr);
    SendMessageA(window, message, static_cast<WPARAM>(value), 0);
    Pump(50);
  }
  void SetMailSettings() {
    ServerSettings::Values values = window_->Library().Settings().Current();
    values.mailMaxCopy = 30;
    values.mailHashId = "0123456789abcdef0123456789abcdef";
    values.mailUrl = "http://127.0.0.1/mail";
    window_->Library().Settings().Apply(values);
  }
  const std::string kOpenLine = "Open(10001, \"demo\", 30, \"0123456789abcdef0123456789abcdef\", \"http://127.0.0.1/mail\")";
};

TEST_F(MailPluginTest, OpensOnceClosesWhenDoneAndOpensAgain) {
  InstallPlugin("TvSendMail");
  Start();
  SetMailSettings();
  ClickMailButton();
  EXPECT_TRUE(window_->Mail().IsOpen());
  EXPECT_NE(MailWindow(), nullptr);
  EXPECT_EQ(Log(), (std::vector<std::string>{"init(holder)", kOpenLine}));
  EXPECT_EQ(host_.CallsOf("GetAccountInfo"), std::vector<std::string>{"GetAccountInfo(0)"});
  // A second press while the window is open does nothing.
  ClickMailButton();
  EXPECT_EQ(Log().size(), 2u);

  SayDone(kSayDone, 7);
  EXPECT_FALSE(window_->Mail().IsOpen());
  EXPECT_FALSE(PluginLoaded());
  EXPECT_EQ(MailWindow(), nullptr);
  EXPECT_EQ(Log().back(), "unloaded");

  ClickMailButton();
  EXPECT_TRUE(window_->Mail().IsOpen());
  std::vector<std::string> log = Log();
  EXPECT_EQ(log.back(), kOpenLine);
  EXPECT_EQ(std::count(log.begin(), log.end(), "init(holder)"), 2);
}

TEST_F(MailPluginTest, ADoneSaidTwiceOrByAnEarlierHolderClosesNothingElse) {
  InstallPlugin("TvSendMail");
  Start();
  ClickMailButton();
  SayDone(kSayDoneTwice, 1);
  EXPECT_FALSE(window_->Mail().IsOpen());
  std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), std::string("unloaded")), 1);
  ClickMailButton();
  ASSERT_TRUE(window_->Mail().IsOpen());
  // The first holder's number is 1 below the second's.
  PostMessageA(window_->Handle(), MailPlugin::kDoneMessage, 0, 0);
  Pump(20);
  EXPECT_TRUE(window_->Mail().IsOpen());
  EXPECT_NE(MailWindow(), nullptr);
}

TEST_F(MailPluginTest, PluginsThatCannotOpenAreUnloadedWithoutAWord) {
  Start();
  ClickMailButton();  // no plug-in at all
  EXPECT_FALSE(window_->Mail().IsOpen());
  for (const char* variant : {"TvSendMailNoInit", "TvSendMailNullInit", "TvSendMailRefuses"}) {
    DeleteFileA((client_.Bin() + "\\Plugins\\TvSendMail.log").c_str());
    InstallPlugin(variant);
    ClickMailButton();
    EXPECT_FALSE(window_->Mail().IsOpen()) << variant;
    EXPECT_FALSE(PluginLoaded()) << variant;
    EXPECT_EQ(MailWindow(), nullptr) << variant;
    EXPECT_TRUE(Messages().empty()) << variant;
    std::vector<std::string> log = Log();
    if (std::string(variant) == "TvSendMailNoInit") {
      EXPECT_EQ(log, std::vector<std::string>{"unloaded"});
    }
    if (std::string(variant) == "TvSendMailNullInit") {
      EXPECT_EQ(log, (std::vector<std::string>{"init(holder)", "unloaded"}));
    }
    if (std::string(variant) == "TvSendMailRefuses") {
      ASSERT_EQ(log.size(), 3u);
      EXPECT_EQ(log[1].rfind("Open(10001, \"demo\", 50, \"\", \"\")", 0), 0u) << "the settings' defaults";
    }
  }
  // A working plug-in opens afterwards.
  InstallPlugin("TvSendMail");
  ClickMailButton();
  EXPECT_TRUE(window_->Mail().IsOpen());
}

TEST_F(MailPluginTest, StopClosesAnOpenMailWindow) {
  InstallPlugin("TvSendMail");
  Start();
  ClickMailButton();
  ASSERT_TRUE(window_->Mail().IsOpen());
  window_->Stop();
  EXPECT_FALSE(window_->Mail().IsOpen());
  EXPECT_FALSE(PluginLoaded());
  EXPECT_EQ(MailWindow(), nullptr);
}

}  // namespace
