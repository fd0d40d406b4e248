#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ClientFolder.h"
#include "DialogWatcher.h"
#include "DownloadListFixture.h"
#include "LoggingHost.h"
#include "frame/MainWindow.h"
#include "frame/ResourceIds.h"
#include "search/SearchCentre.h"

// The plug-in's main window started for user 10001 in a client folder of the
// test's own, with the logging host, the search panel shown and the download
// list's questions answered by themselves. Message boxes and dialogs are
// answered with OK by a watcher that notes them.
class SearchWindowTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kUser = 10001;

  SearchWindowTest() : client_(false) {
    // Nothing reaches out for the operator's settings.
    client_.WriteCustomIni("operatorServer=127.0.0.1:9\r\n");
    CreateDirectoryA(DownloadFolder().c_str(), nullptr);
  }
  ~SearchWindowTest() override {
    if (window_ != nullptr) window_->Stop();
  }

  std::string DownloadFolder() const { return client_.Data() + "\\downloads"; }
  // The keyword lists below the client data folder; null leaves a file out.
  void WriteLists(const char* full, const char* light) {
    if (full != nullptr) {
      ASSERT_TRUE(WriteFileBytes(client_.ConfigFile("filter.txt"), full));
    }
    if (light != nullptr) {
      ASSERT_TRUE(WriteFileBytes(client_.ConfigFile("litefilter.txt"), light));
    }
  }
  void Start() {
    window_ = WindowWithoutPauses(client_, &host_, 3600000);
    ASSERT_EQ(window_->Start(kUser, 1000, 0), 1);
    window_->ShowPanel(MainWindow::kSearch);
    ASSERT_EQ(window_->SetDownloadFolder(DownloadFolder().c_str(), 0), 1);
    window_->Downloads()->SetPrompts(&prompts_);
  }
  void SetSettings(int32_t keywordDownload, int32_t filterEmptySearch) {
    ServerSettings::Values values = window_->Library().Settings().Current();
    values.keywordDownload = keywordDownload;
    values.filterEmptySearch = filterEmptySearch;
    window_->Library().Settings().Apply(values);
  }

  SearchCentre& Centre() { return window_->Search(); }
  HWND Bar(int id) const { return GetDlgItem(window_->Handle(), id); }
  bool Enabled(int id) const { return IsWindowEnabled(Bar(id)) != FALSE; }
  // Notes the play and stop requests the search animation gets from now on.
  void WatchAnimation() {
    HWND animation = Bar(IDC_SEARCH_ANIMATION);
    ASSERT_NE(animation, nullptr);
    animationRequests_.clear();
    animationProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(animation, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AnimationProc)));
  }
  // The last play (wParam: repeats, -1 for ever) or stop request, 0 for none.
  static std::pair<UINT, WPARAM> LastAnimationRequest() {
    return animationRequests_.empty() ? std::pair<UINT, WPARAM>{0, 0} : animationRequests_.back();
  }
  // Fills the search bar as the user does and presses the search button.
  void Search(const std::string& keyword, int type, const std::string& target = "全部", int scope = 0) {
    SetWindowTextA(Bar(IDC_SEARCH_TEXT), keyword.c_str());
    SendMessageA(Bar(IDC_SEARCH_TYPE), CB_SETCURSEL, type, 0);
    SetWindowTextA(Bar(IDC_SEARCH_TARGET), target.c_str());
    SendMessageA(Bar(IDC_SEARCH_SCOPE), CB_SETCURSEL, scope, 0);
    ClickSearch();
  }
  void ClickSearch() {
    ASSERT_TRUE(Enabled(IDC_SEARCH_START)) << "the search button is disabled";
    SendMessageA(Bar(IDC_SEARCH_START), BM_CLICK, 0, 0);
    Pump(0);
  }
  // The query id of the last search the host was asked for.
  uint32_t LastQueryId() const {
    auto searches = host_.Searches();
    return searches.empty() ? 0 : searches.back().queryId;
  }
  // The host reports `searchResults` for the last query and finishes it.
  void ReportResults(bool finish = true) {
    host_.ReportSearchResults(*window_, LastQueryId(), finish);
    Pump(0);
  }
  // The texts of the message boxes captioned "拓瓦" so far.
  std::vector<std::wstring> Messages() const {
    std::vector<std::wstring> texts;
    for (const auto& dialog : watcher_.Seen())
      if (dialog.caption == L"拓瓦") texts.push_back(dialog.text);
    return texts;
  }
  std::vector<DialogWatcher::Dialog> DialogsCaptioned(const std::wstring& caption) const {
    std::vector<DialogWatcher::Dialog> dialogs;
    for (const auto& dialog : watcher_.Seen())
      if (dialog.caption == caption) dialogs.push_back(dialog);
    return dialogs;
  }

  static LoggingHost::SearchResult Result(const std::string& name, uint32_t peer, uint32_t size = 3000000,
                                          unsigned hash = 1) {
    LoggingHost::SearchResult result;
    result.hash = HashOf(hash);
    result.fileName = name;
    result.size = size;
    result.category = 3;
    result.comment = "null\n";
    result.peerId = peer;
    result.nickname = "小明";
    result.connectionKind = 3;
    result.ip = 0x0A000001;
    result.port = 4662;
    result.bandwidth = 512;
    result.peerTag = peer + 1;
    result.extra = "x";
    return result;
  }

  static LRESULT CALLBACK AnimationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ACM_PLAY || message == ACM_STOP) animationRequests_.emplace_back(message, wParam);
    return CallWindowProcA(animationProc_, window, message, wParam, lParam);
  }
  static inline std::vector<std::pair<UINT, WPARAM>> animationRequests_;
  static inline WNDPROC animationProc_ = nullptr;

  ClientFolder client_;
  LoggingHost host_;
  RecordingPrompts prompts_;
  DialogWatcher watcher_;
  std::unique_ptr<MainWindow> window_;
};
