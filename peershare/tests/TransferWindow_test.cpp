// The transfer window and the dialogs of the transfer side. Modal dialogs
// are driven by a timer that runs inside their own message loop.
#include "transfer/TransferWindow.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>

#include "DownloadListFixture.h"
#include "frame/ResourceIds.h"
#include "transfer/CommentDialog.h"
#include "transfer/DownloadRestrictionPrompt.h"
#include "transfer/FolderBrowser.h"
#include "transfer/GreenChannelDialog.h"
#include "transfer/TrafficSettingsDialog.h"

namespace {

// Runs `action` once on the first dialog window of this thread that
// `matches`, from a timer the modal loop dispatches.
class ModalDriver {
 public:
  ModalDriver(std::function<bool(HWND)> matches, std::function<void(HWND)> action)
      : matches_(std::move(matches)), action_(std::move(action)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 30, &ModalDriver::OnTimer);
  }
  ~ModalDriver() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool Acted() const { return acted_; }

 private:
  static bool IsShownDialog(HWND window) {
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    return std::string(name) == "#32770" && IsWindowVisible(window);
  }
  static BOOL CALLBACK Find(HWND window, LPARAM found) {
    if (!IsShownDialog(window) || !current_->matches_(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  // A dialog that never reaches the awaited state is cancelled, so that the
  // test fails instead of waiting for CTest's time limit.
  static BOOL CALLBACK Cancel(HWND window, LPARAM) {
    if (IsShownDialog(window)) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ == nullptr || current_->acted_) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) {
      if (GetTickCount() - current_->started_ > kPatience) EnumThreadWindows(GetCurrentThreadId(), &Cancel, 0);
      return;
    }
    current_->acted_ = true;
    current_->action_(dialog);
  }

  static constexpr DWORD kPatience = 30000;

  static ModalDriver* current_;
  std::function<bool(HWND)> matches_;
  std::function<void(HWND)> action_;
  UINT_PTR timer_ = 0;
  DWORD started_ = GetTickCount();
  bool acted_ = false;
};
ModalDriver* ModalDriver::current_ = nullptr;

bool Titled(HWND window, const char* title) { return WindowText(window) == title; }

void Press(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string StaticTexts(HWND dialog) {
  std::string texts;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    texts += WindowText(child) + "|";
  return texts;
}

class TransferWindowTest : public DownloadListTest {
 protected:
  void OpenWindow() {
    downloads_ = std::make_unique<DownloadList>(&host_, Bin());
    downloads_->SetPrompts(&prompts_);
    downloads_->SetDocumentPath(DocumentPath());
    window_.SetDownloadList(downloads_.get());
    ASSERT_TRUE(window_.Create(IDD_HOME, parent_));
    MoveWindow(window_.Handle(), 0, 0, 800, 400, FALSE);
  }
  void Leave(int field, const std::string& text) {
    window_.SetItemText(field, text);
    SendMessageA(window_.Handle(), WM_COMMAND, MAKEWPARAM(field, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(window_.Item(field)));
  }
  std::string Saved() const { return ReadFileBytes(DocumentPath()); }

  std::unique_ptr<DownloadList> downloads_;
  TransferWindow window_;
};

TEST_F(TransferWindowTest, TheListSitsInTheUpperHalfBelowTheTunnelCounts) {
  WriteDocument("<MaxTunnel num=\"3\"></MaxTunnel><VIPTunnel num=\"7\"></VIPTunnel><GreenTunnel>20001</GreenTunnel>"
                "<GreenTunnel>20002</GreenTunnel>");
  OpenWindow();
  HWND list = window_.Item(IDC_DOWNLOAD_LIST);
  ASSERT_EQ(list, downloads_->Handle());
  RECT area;
  GetWindowRect(list, &area);
  MapWindowPoints(nullptr, window_.Handle(), reinterpret_cast<POINT*>(&area), 2);
  EXPECT_GT(area.top, 0);
  EXPECT_LE(area.bottom, 200);
  EXPECT_EQ(window_.ItemText(IDC_DOWNLOADS_LABEL), "传入状态");
  EXPECT_EQ(window_.ItemText(IDC_UPLOADS_LABEL), "传出状态");
  EXPECT_EQ(window_.ItemText(IDC_MAX_TUNNEL_LABEL), "最大通道");
  EXPECT_EQ(window_.ItemText(IDC_MEMBER_TUNNEL_UNIT), "个");
  EXPECT_EQ(window_.ItemText(IDC_MAX_TUNNEL), "5") << "3 reads as 5";
  EXPECT_EQ(window_.ItemText(IDC_MEMBER_TUNNEL), "7");
  EXPECT_EQ(window_.GreenChannel(), (std::set<uint32_t>{20001u, 20002u}));
}

TEST_F(TransferWindowTest, ATunnelCountAboveFourIsTakenAndSavedAnythingElseIsPutBack) {
  OpenWindow();
  EXPECT_EQ(window_.ItemText(IDC_MAX_TUNNEL), "10");
  EXPECT_EQ(window_.ItemText(IDC_MEMBER_TUNNEL), "5");
  Leave(IDC_MAX_TUNNEL, "4");
  EXPECT_EQ(window_.ItemText(IDC_MAX_TUNNEL), "10");
  Leave(IDC_MAX_TUNNEL, "x1");
  EXPECT_EQ(window_.ItemText(IDC_MAX_TUNNEL), "10");
  Leave(IDC_MAX_TUNNEL, "");
  EXPECT_EQ(window_.ItemText(IDC_MAX_TUNNEL), "10");
  Leave(IDC_MAX_TUNNEL, "99999999999");
  EXPECT_EQ(window_.ItemText(IDC_MAX_TUNNEL), "10");
  Leave(IDC_MAX_TUNNEL, "12");
  EXPECT_EQ(window_.TunnelCount(TransferDocument::Tunnel::Max), 12);
  EXPECT_NE(Saved().find("<MaxTunnel num=\"12\">"), std::string::npos);
  Leave(IDC_MEMBER_TUNNEL, "6");
  EXPECT_NE(Saved().find("<VIPTunnel num=\"6\">"), std::string::npos);
}

TEST_F(TransferWindowTest, TheGreenChannelAddsAndRemovesNumbersWithoutSaving) {
  OpenWindow();
  TransferDocument& document = downloads_->Document();
  GreenChannelDialog dialog(document, window_.GreenChannel());
  ASSERT_TRUE(dialog.Open(nullptr));
  EXPECT_EQ(WindowText(dialog.Handle()), "绿色通道设置");
  EXPECT_NE(StaticTexts(dialog.Handle()).find("增加|"), std::string::npos);
  EXPECT_NE(StaticTexts(dialog.Handle()).find("删除|"), std::string::npos);
  EXPECT_NE(StaticTexts(dialog.Handle()).find("关闭|"), std::string::npos);
  HWND combo = dialog.Item(IDC_GREEN_LIST);
  for (const char* number : {"20001", "20001", "12a", "", "99999999999", "20002"}) {
    dialog.SetItemText(IDC_GREEN_NUMBER, number);
    Press(dialog.Handle(), IDC_GREEN_ADD);
  }
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(window_.GreenChannel(), (std::set<uint32_t>{20001u, 20002u}));
  EXPECT_EQ(document.GreenChannel(), (std::vector<uint32_t>{20001u, 20002u}));
  EXPECT_EQ(dialog.ItemText(IDC_GREEN_NUMBER), "");
  EXPECT_EQ(Saved().find("GreenTunnel"), std::string::npos) << "not saved by itself";
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  Press(dialog.Handle(), IDC_GREEN_REMOVE);
  Press(dialog.Handle(), IDC_GREEN_REMOVE);  // nothing selected any more
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(window_.GreenChannel(), std::set<uint32_t>{20002u});
  EXPECT_EQ(document.GreenChannel(), std::vector<uint32_t>{20002u});
  Press(dialog.Handle(), IDCANCEL);
  EXPECT_EQ(dialog.Handle(), nullptr);
  downloads_->SaveDocument();
  EXPECT_NE(Saved().find("<GreenTunnel>\r\n20002</GreenTunnel>"), std::string::npos);
}

TEST_F(TransferWindowTest, TrafficSettingsAskOnlyTheOutputForAnUploadPeer) {
  TrafficSettingsDialog dialog(TrafficSettingsDialog::Mode::OutputOnly);
  ASSERT_TRUE(dialog.Open(nullptr));
  EXPECT_EQ(WindowText(dialog.Handle()), "流量设置");
  EXPECT_NE(StaticTexts(dialog.Handle()).find("设置最大输出流量    （ KB/S ）|"), std::string::npos);
  EXPECT_NE(StaticTexts(dialog.Handle()).find("设置最大输入流量    （ KB/S ）|"), std::string::npos);
  EXPECT_EQ(dialog.ItemText(IDC_OUTPUT_LIMIT), "50");
  EXPECT_EQ(dialog.ItemText(IDC_INPUT_LIMIT), "10");
  EXPECT_FALSE(IsWindowEnabled(dialog.Item(IDC_INPUT_LIMIT)));
  EXPECT_FALSE(IsWindowEnabled(dialog.Item(IDC_INPUT_SPIN)));
  int low = 0, high = 0;
  SendMessageA(dialog.Item(IDC_OUTPUT_SPIN), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
               reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 10);
  EXPECT_EQ(high, 10000);
  dialog.SetItemText(IDC_OUTPUT_LIMIT, "200");
  Press(dialog.Handle(), IDOK);
  EXPECT_EQ(dialog.Handle(), nullptr);
  EXPECT_EQ(dialog.Result().output, 200);
  EXPECT_EQ(dialog.Result().input, 10);
}

TEST_F(TransferWindowTest, TrafficSettingsRefuseValuesOutsideTenToAThousand) {
  TrafficSettingsDialog dialog(TrafficSettingsDialog::Mode::Both);
  ASSERT_TRUE(dialog.Open(nullptr));
  EXPECT_EQ(dialog.ItemText(IDC_INPUT_LIMIT), "50");
  EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDC_INPUT_LIMIT)));
  std::string warning;
  for (const char* value : {"5000", "9", "abc"}) {
    dialog.SetItemText(IDC_OUTPUT_LIMIT, value);
    ModalDriver closeWarning([](HWND w) { return Titled(w, "拓瓦"); },
                             [&](HWND w) {
                               warning = StaticTexts(w);
                               PostMessageA(w, WM_COMMAND, IDOK, 0);
                             });
    Press(dialog.Handle(), IDOK);
    EXPECT_TRUE(closeWarning.Acted()) << value;
    EXPECT_NE(dialog.Handle(), nullptr) << "still open for " << value;
  }
  EXPECT_NE(warning.find(TrafficSettingsDialog::kRangeMessage), std::string::npos);
  dialog.SetItemText(IDC_OUTPUT_LIMIT, "1000");
  dialog.SetItemText(IDC_INPUT_LIMIT, "10");
  Press(dialog.Handle(), IDOK);
  EXPECT_EQ(dialog.Handle(), nullptr);
  EXPECT_EQ(dialog.Result().output, 1000);
  EXPECT_EQ(dialog.Result().input, 10);
}

// The text of the folder browser's selected tree item.
std::string SelectedFolderName(HWND dialog) {
  HWND tree = FindWindowExA(dialog, nullptr, "SysTreeView32", nullptr);
  char text[MAX_PATH] = "";
  TVITEMA item = {};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  item.pszText = text;
  item.cchTextMax = sizeof text;
  if (tree == nullptr || item.hItem == nullptr || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
    return std::string();
  return text;
}

// Wine's folder browser cannot select a folder below the user's profile (its
// shell items there are the profile's own, not plain folders), so the start
// folder of this test lies at the top of the system drive.
std::string SystemDriveRoot() {
  char windows[MAX_PATH] = "";
  GetSystemWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows, 3);
}

TEST_F(TransferWindowTest, TheFolderBrowserAddsTheAskBoxLeftOfOk) {
  TempFolder outside(SystemDriveRoot());
  std::string start = outside.File("downloads");
  ASSERT_TRUE(CreateDirectoryA(start.c_str(), nullptr));
  std::string folder;
  bool ask = true;
  RECT box = {}, ok = {};
  std::string title;
  bool wasChecked = false;
  // Wine's dialog may show its root for a moment before the start folder.
  ModalDriver driver([](HWND w) {
                       return GetDlgItem(w, FolderBrowser::kAskBoxId) != nullptr && SelectedFolderName(w) == "downloads";
                     },
                     [&](HWND w) {
                       HWND check = GetDlgItem(w, FolderBrowser::kAskBoxId);
                       GetWindowRect(check, &box);
                       GetWindowRect(GetDlgItem(w, IDOK), &ok);
                       title = StaticTexts(w);
                       wasChecked = SendMessageA(check, BM_GETCHECK, 0, 0) == BST_CHECKED;
                       SendMessageA(check, BM_SETCHECK, BST_UNCHECKED, 0);
                       Press(w, IDOK);
                     });
  bool chosen = FolderBrowser::Browse(parent_, start, folder, ask);
  ASSERT_TRUE(driver.Acted());
  EXPECT_TRUE(wasChecked);
  EXPECT_NE(title.find("请选择下载目录|"), std::string::npos);
  EXPECT_NE(title.find("每次提示|"), std::string::npos);
  EXPECT_EQ(box.left, ok.left - 120);
  EXPECT_EQ(box.right, ok.left - 10);
  EXPECT_EQ(box.bottom - box.top, 22);
  EXPECT_FALSE(ask);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(_stricmp(folder.c_str(), start.c_str()), 0) << folder;
}

TEST_F(TransferWindowTest, TheFolderBrowserCancelledKeepsTheBoxState) {
  std::string folder = "unchanged";
  bool ask = false;
  ModalDriver driver([](HWND w) { return GetDlgItem(w, FolderBrowser::kAskBoxId) != nullptr; },
                     [](HWND w) { Press(w, IDCANCEL); });
  EXPECT_FALSE(FolderBrowser::Browse(parent_, Folder(), folder, ask));
  EXPECT_TRUE(driver.Acted());
  EXPECT_TRUE(ask) << "the box starts checked";
  EXPECT_EQ(folder, "unchanged");
}

TEST_F(TransferWindowTest, TheCommentDialogTakesAtMost64Bytes) {
  std::string comment;
  ModalDriver driver([](HWND w) { return Titled(w, "增加注释"); },
                     [](HWND w) {
                       SetDlgItemTextA(w, IDC_COMMENT_TEXT, std::string(40, 'a').append(30, 'b').c_str());
                       Press(w, IDOK);
                     });
  ASSERT_TRUE(CommentDialog::Ask(parent_, comment));
  EXPECT_EQ(comment, std::string(40, 'a') + std::string(24, 'b'));
  ModalDriver cancel([](HWND w) { return Titled(w, "增加注释"); }, [](HWND w) { Press(w, IDCANCEL); });
  comment = "kept";
  EXPECT_FALSE(CommentDialog::Ask(parent_, comment));
  EXPECT_EQ(comment, "kept");
}

TEST_F(TransferWindowTest, TheWindowPromptsShowTheirTexts) {
  WindowPrompts prompts(parent_, &host_);
  std::string seen;
  {
    ModalDriver driver([](HWND w) { return Titled(w, "拓瓦"); },
                       [&](HWND w) {
                         seen = StaticTexts(w);
                         PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
                       });
    EXPECT_FALSE(prompts.Confirm("确定删除吗?"));
  }
  EXPECT_NE(seen.find("确定删除吗?|"), std::string::npos);
  {
    ModalDriver driver([](HWND w) { return Titled(w, "拓瓦"); }, [](HWND w) { PostMessageA(w, WM_COMMAND, IDOK, 0); });
    EXPECT_TRUE(prompts.Confirm("确定删除吗?"));
  }
  {
    ModalDriver driver([](HWND w) { return Titled(w, "拓瓦提示") && GetDlgItem(w, IDC_RESTRICTION_TEXT) != nullptr; },
                       [&](HWND w) {
                         seen = StaticTexts(w);
                         Press(w, IDOK);
                       });
    prompts.DownloadRestricted();
    EXPECT_TRUE(driver.Acted());
  }
  EXPECT_NE(seen.find(DownloadRestrictionPrompt::kText), std::string::npos);
  {
    ModalDriver driver([](HWND w) { return Titled(w, "拓瓦提示") && GetDlgItem(w, IDC_COINS_TEXT) != nullptr; },
                       [](HWND w) { Press(w, IDOK); });
    prompts.CoinsShort();
    EXPECT_TRUE(driver.Acted());
  }
}

}  // namespace
