// The transfer window and the dialogs of the transfer side. Modal dialogs
// are driven by a timer that runs inside their own message loop.
#include "transfer/TransferWindow.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "DownloadListFixture.h"
#include "ModalDriver.h"
#include "frame/ResourceIds.h"
#include "transfer/CommentDialog.h"
#include "transfer/DownloadRestrictionPrompt.h"
#include "transfer/GreenChannelDialog.h"
#include "transfer/TrafficSettingsDialog.h"
#include "transfer/FinishedDownloadList.h"
#include "transfer/FinishedUploadList.h"
#include "transfer/TemporaryChannelDialog.h"
#include "transfer/TemporaryChannelTable.h"
#include "transfer/UploadManager.h"

namespace {



class TransferWindowTest : public DownloadListTest {
 protected:
  void OpenWindow() {
    downloads_ = std::make_unique<DownloadList>(&host_, Bin());
    downloads_->SetPrompts(&prompts_);
    downloads_->SetDocumentPath(DocumentPath());
    uploads_ = std::make_unique<UploadManager>(&host_);
    window_.SetLists({downloads_.get(), uploads_.get(), nullptr, nullptr});
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
  std::unique_ptr<UploadManager> uploads_;
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
  EXPECT_EQ(window_.Item(IDC_UPLOAD_LIST), uploads_->Handle());
  EXPECT_EQ(window_.ItemText(IDC_MAX_TUNNEL_LABEL), "最大通道");
  EXPECT_EQ(window_.ItemText(IDC_MEMBER_TUNNEL_UNIT), "个");
  EXPECT_EQ(window_.ItemText(IDC_MAX_TUNNEL), "5") << "3 reads as 5";
  EXPECT_EQ(window_.ItemText(IDC_MEMBER_TUNNEL), "7");
  EXPECT_EQ(uploads_->GreenChannel().Numbers(), (std::set<uint32_t>{20001u, 20002u}));
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
  GreenChannelDialog dialog(document, uploads_->GreenChannel());
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
  EXPECT_EQ(uploads_->GreenChannel().Numbers(), (std::set<uint32_t>{20001u, 20002u}));
  EXPECT_EQ(document.GreenChannel(), (std::vector<uint32_t>{20001u, 20002u}));
  EXPECT_EQ(dialog.ItemText(IDC_GREEN_NUMBER), "");
  EXPECT_EQ(Saved().find("GreenTunnel"), std::string::npos) << "not saved by itself";
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  Press(dialog.Handle(), IDC_GREEN_REMOVE);
  Press(dialog.Handle(), IDC_GREEN_REMOVE);  // nothing selected any more
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(uploads_->GreenChannel().Numbers(), std::set<uint32_t>{20002u});
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

namespace {

class TransferWindowListsTest : public TransferWindowTest {
 protected:
  void OpenWithHistory() {
    downloads_ = std::make_unique<DownloadList>(&host_, Bin());
    downloads_->SetPrompts(&prompts_);
    downloads_->SetDocumentPath(DocumentPath());
    uploads_ = std::make_unique<UploadManager>(&host_);
    window_.SetLists({downloads_.get(), uploads_.get(), &finishedDownloads_, &finishedUploads_});
    ASSERT_TRUE(window_.Create(IDD_HOME, parent_));
    MoveWindow(window_.Handle(), 0, 0, 800, 400, FALSE);
  }
  bool Shown(int id) const { return IsWindowVisible(window_.Item(id)) != FALSE; }

  FinishedDownloadList finishedDownloads_;
  FinishedUploadList finishedUploads_;
};

TEST_F(TransferWindowListsTest, TheTabsOfTheLowerHalfShowOneListAtATime) {
  OpenWithHistory();
  ShowWindow(parent_, SW_SHOW);
  ShowWindow(window_.Handle(), SW_SHOW);
  HWND tabs = window_.Item(IDC_LOWER_TABS);
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
  char text[32] = "";
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tabs, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, "传出状态");
  EXPECT_EQ(window_.Item(IDC_FINISHED_DOWNLOADS), finishedDownloads_.Handle());
  EXPECT_EQ(window_.Item(IDC_FINISHED_UPLOADS), finishedUploads_.Handle());
  EXPECT_TRUE(Shown(IDC_UPLOAD_LIST));
  EXPECT_FALSE(Shown(IDC_FINISHED_DOWNLOADS));
  // The user clicks the third tab.
  SendMessageA(tabs, TCM_SETCURSEL, 2, 0);
  NMHDR change = {tabs, static_cast<UINT_PTR>(IDC_LOWER_TABS), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(window_.Handle(), WM_NOTIFY, IDC_LOWER_TABS, reinterpret_cast<LPARAM>(&change));
  EXPECT_EQ(window_.ShownLowerList(), TransferWindow::kFinishedUploads);
  EXPECT_TRUE(Shown(IDC_FINISHED_UPLOADS));
  EXPECT_FALSE(Shown(IDC_UPLOAD_LIST));
  // The lower lists fill the lower half below the tabs.
  RECT lower, upper;
  GetWindowRect(window_.Item(IDC_FINISHED_UPLOADS), &lower);
  GetWindowRect(window_.Item(IDC_DOWNLOAD_LIST), &upper);
  EXPECT_GE(lower.top, upper.bottom);
}

TEST_F(TransferWindowTest, TheTemporaryChannelDialogStoresAFilledPairFromItsOkArea) {
  OpenWindow();
  TemporaryChannelTable& table = uploads_->TemporaryChannels();
  TemporaryChannelDialog dialog(table);
  ASSERT_TRUE(dialog.Open(window_.Handle()));
  EXPECT_EQ(WindowText(dialog.Handle()), "临时通道设置");
  struct Case {
    const char* peer;
    const char* number;
    bool stored;
  };
  const Case cases[] = {{"", "3", false},          {"4242", "", false},        {"42x", "3", false},
                        {"12345678901", "3", false}, {"4294967296", "3", false}, {"4242", "123", false},
                        {"4242", "3", true},         {"4294967295", "99", true}};
  for (const Case& each : cases) {
    dialog.SetItemText(IDC_TEMPORARY_PEER, each.peer);
    dialog.SetItemText(IDC_TEMPORARY_NUMBER, each.number);
    EXPECT_EQ(dialog.Accept(), each.stored) << each.peer << " " << each.number;
  }
  EXPECT_EQ(table.Entries(), (std::map<uint32_t, int32_t>{{4242u, 3}, {4294967295u, 99}}));
  // Typing stops at ten and two digits.
  HWND peer = dialog.Item(IDC_TEMPORARY_PEER);
  SendMessageA(peer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  for (char c : std::string("123456789012")) SendMessageA(peer, WM_CHAR, c, 0);
  EXPECT_EQ(dialog.ItemText(IDC_TEMPORARY_PEER), "1234567890");
  dialog.Destroy();
  // The modal dialog: a click into the bitmap's OK area stores and closes.
  ModalDriver driver([](HWND window) { return Titled(window, "临时通道设置"); },
                     [](HWND window) {
                       SetDlgItemTextA(window, IDC_TEMPORARY_PEER, "777");
                       SetDlgItemTextA(window, IDC_TEMPORARY_NUMBER, "5");
                       const RECT& ok = TemporaryChannelDialog::kOkArea;
                       SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2));
                     });
  EXPECT_EQ(TemporaryChannelDialog(table).Show(window_.Handle()), IDOK);
  EXPECT_TRUE(driver.Acted());
  EXPECT_TRUE(table.Contains(777));
}

}  // namespace
