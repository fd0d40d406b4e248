// The main window's buttons: panel tabs, links that open pages, and the
// buttons whose work belongs to the client host.
#include "frame/MainWindow.h"

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "frame/HostClient.h"
#include "frame/ModuleState.h"
#include "frame/OperatorPages.h"
#include "frame/ResourceIds.h"

std::string MainWindow::RecommendationMail() const {
  char body[512];
  std::snprintf(body, sizeof body,
                "你好！我正在用拓瓦交换文件，影片、音乐、软件应有尽有，下载又快又方便，推荐你也来试试。"
                "拓瓦下载地址：%s 装好后记得加我为好友，我的拓瓦号是%u",
                kClientDownloadPage, static_cast<unsigned>(user_));
  return std::string("mailto:?subject=好东西推荐&body=") + body;
}

void MainWindow::OpenAddress(const std::string& address) const {
  ShellExecuteA(Handle(), "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool MainWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  ModuleStateGuard guard;
  for (int panel = kHome; panel <= kFriends; ++panel) {
    if (id == TabButton(panel)) {
      SelectPanel(panel);
      return true;
    }
  }
  switch (id) {
    case IDC_MAIL_RECOMMEND: OpenAddress(RecommendationMail()); return true;
    case IDC_HELP_PAGE: OpenAddress(kHelpPage); return true;
    case IDC_QUICK_GUIDE: OpenAddress(kQuickGuidePage); return true;
    case IDC_PLAYER_DOWNLOADS: OpenAddress(kPlayerDownloadsPage); return true;
    case IDC_MAIN_BUTTON:
    case IDC_MAIN_BUTTON2:
      if (host_ != nullptr) host_->OnMainButton();
      return true;
    case IDC_EXTRA_BUTTON1:
      if (host_ != nullptr) host_->OnExtraButton1();
      return true;
    case IDC_EXTRA_BUTTON2:
      if (host_ != nullptr) host_->OnExtraButton2();
      return true;
    case IDC_SEARCH_START:
      searchPanel_.OnSearchButton();
      return true;
    case IDC_SEARCH_STOP:
      searchPanel_.OnStopButton();
      return true;
    case IDC_MAIL_REPORT:
      if (Started()) mailPlugin_.Open(Handle(), host_, shareLibrary_.Settings().Current());
      return true;
    case IDCANCEL:
      ShowWindow(Handle(), SW_HIDE);
      return true;
    case IDOK:
      return true;
    default:
      return false;
  }
}

