// The main window driven as the client drives it: through its
// PluginInterface, with a real dialog under Wine and a logging host.
#include "frame/MainWindow.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>

#include "LoggingHost.h"
#include "SlotCall.h"
#include "TempFolder.h"
#include "win/Handles.h"
#include "controls/Dialog.h"
#include "frame/ResourceIds.h"

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : executableFolder_(temp_.File("client")) {
    CreateDirectoryA(executableFolder_.c_str(), nullptr);
    window_.SetHost(&host_);
  }
  ~MainWindowTest() override { window_.Stop(); }

  void WriteIni(const std::string& keys) {
    ASSERT_TRUE(WriteFileBytes(executableFolder_ + "\\custom.ini", "[tovak]\r\n" + keys));
  }
  HWND Control(int id) const { return GetDlgItem(window_.Handle(), id); }
  bool Visible(HWND window) const { return window != nullptr && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE); }
  int VisiblePanelCount() const {
    int count = 0;
    for (int panel = MainWindow::kHome; panel <= MainWindow::kFriends; ++panel)
      count += Visible(window_.PanelWindow(panel)) ? 1 : 0;
    return count;
  }
  bool TabChecked(int panel) const {
    return SendMessageA(Control(MainWindow::TabButton(panel)), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void ExpectOnlyPanel(int panel) const {
    EXPECT_EQ(VisiblePanelCount(), 1);
    EXPECT_EQ(window_.VisiblePanel(), panel);
    for (int other = MainWindow::kHome; other <= MainWindow::kFriends; ++other)
      EXPECT_EQ(TabChecked(other), other == panel) << "tab of panel " << other;
  }
  void Click(int id) {
    SendMessageA(window_.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
  }

  TempFolder temp_;
  std::string executableFolder_;
  LoggingHost host_;
  MainWindow window_{executableFolder_};
  PluginInterface& plugin_ = window_;
};

TEST_F(MainWindowTest, StartShowsTheMainWindowWithTheHomePanel) {
  ASSERT_EQ(plugin_.Start(10001, 30, 0), 1);
  ASSERT_NE(window_.Handle(), nullptr);
  EXPECT_EQ(WindowText(window_.Handle()), "拓瓦文件交换");
  RECT frame;
  GetWindowRect(window_.Handle(), &frame);
  EXPECT_EQ(frame.right - frame.left, 800);
  EXPECT_EQ(frame.bottom - frame.top, 560);
  EXPECT_EQ(GetParent(window_.Handle()), nullptr);  // a top-level window
  for (int panel = MainWindow::kHome; panel <= MainWindow::kFriends; ++panel)
    EXPECT_EQ(GetParent(window_.PanelWindow(panel)), window_.Handle());
  ExpectOnlyPanel(MainWindow::kHome);
  for (HWND painted : {window_.Handle(), window_.PanelWindow(MainWindow::kFriends)}) {
    HDC dc = GetDC(painted);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(painted, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(painted)));
    ReleaseDC(painted, dc);
    LOGBRUSH colour = {};
    ASSERT_EQ(GetObjectA(brush, sizeof colour, &colour), static_cast<int>(sizeof colour));
    EXPECT_EQ(colour.lbColor, RGB(0xCC, 0xDA, 0xED));
  }
  EXPECT_EQ(window_.CurrentState(), MainWindow::State::Running);
  EXPECT_EQ(window_.User(), 10001u);
}

TEST_F(MainWindowTest, ShowPanelSwitchesPanelsAndShowsTheWindow) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  for (int panel : {MainWindow::kSearch, MainWindow::kShare, MainWindow::kFriends, MainWindow::kHome}) {
    plugin_.ShowPanel(panel);
    ExpectOnlyPanel(panel);
  }
  EXPECT_TRUE(IsWindowVisible(window_.Handle()));
  plugin_.ShowPanel(0);
  plugin_.ShowPanel(5);
  ExpectOnlyPanel(MainWindow::kHome);
  Click(IDC_TAB_SHARE);
  ExpectOnlyPanel(MainWindow::kShare);
  plugin_.Hide();
  EXPECT_FALSE(IsWindowVisible(window_.Handle()));
}

TEST_F(MainWindowTest, StatusLineReadsBackAfterStartAndAccountChanges) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  EXPECT_EQ(WindowText(Control(IDC_STATUS_LINE)),
            "传入文件数  0/0| 传出文件数  0/0| 拓币 0| 拓瓦积分 0 | 拓瓦等级  1 | 当前在线 未知");
  host_.onlineCount = 4321;
  plugin_.SetAccount(57, 300, 141600);
  EXPECT_EQ(WindowText(Control(IDC_STATUS_LINE)),
            "传入文件数  0/0| 传出文件数  0/0| 拓币 57| 拓瓦积分 141900 | 拓瓦等级 40 | 当前在线 4321");
}

TEST_F(MainWindowTest, SearchBarStartsWithTheHintAndTheStopButtonDisabled) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  EXPECT_EQ(WindowText(Control(IDC_SEARCH_TEXT)), "请输入影片名");
  EXPECT_EQ(SendMessageA(Control(IDC_SEARCH_TYPE), CB_GETCOUNT, 0, 0), 9);
  EXPECT_EQ(SendMessageA(Control(IDC_SEARCH_TYPE), CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageA(Control(IDC_SEARCH_SCOPE), CB_GETCURSEL, 0, 0), 0);
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_SEARCH_STOP)));
  char className[64] = "";
  GetClassNameA(Control(IDC_SEARCH_ANIMATION), className, sizeof className);
  EXPECT_STREQ(className, ANIMATE_CLASSA);
  // The AVI resource opens in the control (the window shows its first frame).
  EXPECT_TRUE(SendMessageA(Control(IDC_SEARCH_ANIMATION), ACM_OPENA, reinterpret_cast<WPARAM>(GetModuleHandleA(nullptr)),
                           reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(IDR_SEARCH_ANIMATION))));

  plugin_.StartSearch(3, "abc");
  EXPECT_EQ(WindowText(Control(IDC_SEARCH_TEXT)), "abc");
  EXPECT_EQ(SendMessageA(Control(IDC_SEARCH_TYPE), CB_GETCURSEL, 0, 0), 3);
  ExpectOnlyPanel(MainWindow::kSearch);

  EnableWindow(Control(IDC_SEARCH_STOP), TRUE);
  EnableWindow(Control(IDC_SEARCH_START), FALSE);
  plugin_.SearchFinished(1);
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_SEARCH_STOP)));
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_SEARCH_START)));
}

TEST_F(MainWindowTest, HostButtonsCallTheHostAndTheExtraButtonsStartHidden) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  EXPECT_FALSE(Visible(Control(IDC_EXTRA_BUTTON1)));
  EXPECT_FALSE(Visible(Control(IDC_EXTRA_BUTTON2)));
  EXPECT_TRUE(Visible(Control(IDC_TAB_FRIENDS)));
  Click(IDC_MAIN_BUTTON);
  Click(IDC_MAIN_BUTTON2);
  Click(IDC_EXTRA_BUTTON1);
  Click(IDC_EXTRA_BUTTON2);
  EXPECT_EQ(host_.CallsOf("OnMainButton").size(), 2u);
  EXPECT_EQ(host_.CallsOf("OnExtraButton1").size(), 1u);
  EXPECT_EQ(host_.CallsOf("OnExtraButton2").size(), 1u);
}

TEST_F(MainWindowTest, RecommendationMailNamesTheUser) {
  ASSERT_EQ(plugin_.Start(77123, 0, 0), 1);
  std::string mail = window_.RecommendationMail();
  EXPECT_EQ(mail.rfind("mailto:?subject=好东西推荐&body=", 0), 0u);
  ASSERT_GT(mail.size(), 5u);
  EXPECT_EQ(mail.substr(mail.size() - 5), "77123");
  EXPECT_FALSE(isdigit(static_cast<unsigned char>(mail[mail.size() - 6])));
}

TEST_F(MainWindowTest, ResumeRestartsTheTrafficClock) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  const DWORD started = window_.TrafficClockStart();
  EXPECT_LE(GetTickCount() - started, 5000u);
  plugin_.Suspend();
  Sleep(50);
  plugin_.Resume(0, 0, 0);
  EXPECT_GE(window_.TrafficClockStart() - started, 40u);
  EXPECT_LE(GetTickCount() - window_.TrafficClockStart(), 5000u);
}

TEST_F(MainWindowTest, StopDestroysTheWindowAndLaterOperationsDoNothing) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  HWND window = window_.Handle();
  HWND friends = window_.PanelWindow(MainWindow::kFriends);
  plugin_.Stop();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IsWindow(friends));
  EXPECT_EQ(window_.Handle(), nullptr);
  EXPECT_EQ(window_.CurrentState(), MainWindow::State::NotStarted);
  plugin_.ShowPanel(2);
  plugin_.AddPeer(5, 0, "x");
  EXPECT_EQ(plugin_.ShowPeer(5), 0);
  // Values that need no window are still there.
  int32_t a = -7, b = -7;
  EXPECT_EQ(plugin_.GetMainValues(&a, &b), 1);
  EXPECT_EQ(a, 10001);
  EXPECT_EQ(plugin_.GetSyncDownloadLimit(), 3);
  EXPECT_EQ(window_.Handle(), nullptr);
  // A second start after a stop makes a new window.
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  EXPECT_NE(window_.Handle(), nullptr);
}

TEST_F(MainWindowTest, OperationsBeforeStartAnswerTheirFailureValues) {
  EXPECT_EQ(plugin_.ShowPeer(1), 0);
  EXPECT_EQ(plugin_.OpenFile(1, 0, 0, "C:\\windows\\win.ini"), 0);
  uint32_t flags = 99;
  EXPECT_EQ(plugin_.GetBusy(&flags), 0);
  EXPECT_EQ(flags, 99u);
  plugin_.ShowPanel(1);
  plugin_.Hide();
  plugin_.Suspend();
  plugin_.Resume(0, 0, 0);
  plugin_.SetAccount(1, 2, 3);
  plugin_.AddPeer(1, 0, "p");
  plugin_.StartSearch(1, "abc");
  plugin_.Stop();
  EXPECT_EQ(window_.Handle(), nullptr);
  EXPECT_EQ(window_.CurrentState(), MainWindow::State::NotStarted);
  EXPECT_TRUE(host_.Calls().empty());
}

TEST_F(MainWindowTest, OperationsOfLaterComponentsReportNoSuccess) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  EXPECT_EQ(plugin_.UploadPeerSetHas(5), 0);
  EXPECT_EQ(plugin_.UploadPeerMapHas(5), 0);
  EXPECT_EQ(plugin_.AddUpload("a", "C:\\a", 1, 10, 0), nullptr);
  EXPECT_EQ(plugin_.AddHostDownload("a", 0, "h", 10, ""), kDownloadNotReady);
  EXPECT_TRUE(host_.CallsOf("DownloadAdded").empty());
  EXPECT_EQ(plugin_.AddDownload("a", "h", 10, ""), kDownloadNotReady);
  EXPECT_EQ(plugin_.HashFile("C:\\a", 0), 0);
  uint32_t flags = 99;
  EXPECT_EQ(plugin_.GetBusy(&flags), 1);
  EXPECT_EQ(flags, 0u);
  int32_t a = 0, b = 0;
  EXPECT_EQ(plugin_.GetMainValues(&a, &b), 1);
  EXPECT_EQ(a, 10001);
}

// Only a path the shell could open counts as opened.
TEST_F(MainWindowTest, OpenFileReportsWhetherTheShellOpenedThePath) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  EXPECT_EQ(plugin_.OpenFile(1, 0, 0, temp_.File("missing.txt").c_str()), 0);
  EXPECT_EQ(plugin_.OpenFile(2, 0, 0, temp_.Path().c_str()), 0);
  EXPECT_EQ(plugin_.OpenFile(1, 0, 0, nullptr), 0);
}

// A client may ask for these at load time, before there is a window.
TEST_F(MainWindowTest, ValuesThatNeedNoWindowAnswerBeforeStart) {
  int32_t a = -7, b = -7;
  EXPECT_EQ(plugin_.GetMainValues(&a, &b), 1);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(plugin_.GetMainValues(nullptr, &b), 0);
  EXPECT_EQ(plugin_.GetSyncDownloadLimit(), 3);
  WriteIni("SyncDownloadLimit=7\r\n");
  EXPECT_EQ(plugin_.GetSyncDownloadLimit(), 7);
  EXPECT_EQ(window_.Handle(), nullptr);
}

TEST_F(MainWindowTest, CustomIniKeysAndTheirDefaults) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  EXPECT_EQ(plugin_.GetSyncDownloadLimit(), 3);
  EXPECT_TRUE(window_.Config().ShowFriend());
  EXPECT_TRUE(window_.Config().ShowIE());
  EXPECT_EQ(window_.Config().AppServer(), 0);
  plugin_.Stop();
  WriteIni("SyncDownloadLimit=7\r\nshowIE=0\r\nappServer=2\r\n");
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  EXPECT_EQ(plugin_.GetSyncDownloadLimit(), 7);
  EXPECT_FALSE(window_.Config().ShowIE());
  EXPECT_EQ(window_.Config().AppServer(), 2);
  EXPECT_EQ(window_.Config().ExecutableFolder(), executableFolder_);
  EXPECT_EQ(window_.Config().DataFolder(), temp_.Path());
}

TEST_F(MainWindowTest, WithoutShowFriendTheButtonIsHiddenAndShowPeerDoesNothing) {
  WriteIni("showFriend=0\r\n");
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  plugin_.AddPeer(500, 0, "peer");
  EXPECT_FALSE(Visible(Control(IDC_TAB_FRIENDS)));
  EXPECT_EQ(plugin_.ShowPeer(500), 0);
  EXPECT_TRUE(host_.CallsOf("OpenPeerShares").empty());
  EXPECT_FALSE(IsWindowVisible(window_.Handle()));
  ExpectOnlyPanel(MainWindow::kHome);
  plugin_.ShowPanel(MainWindow::kFriends);
  ExpectOnlyPanel(MainWindow::kFriends);
}

TEST_F(MainWindowTest, ShowPeerOpensTheSharesOfAKnownPeerAndShowsTheFriendPanel) {
  host_.AddFriendRecord(600, "老王", "王哥");
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  plugin_.Suspend();
  plugin_.Resume(0, 0, 0);  // fills the tree from the friend list
  plugin_.AddPeer(500, 0, "peer");
  EXPECT_EQ(plugin_.ShowPeer(600), 1);
  EXPECT_EQ(plugin_.ShowPeer(500), 1);
  EXPECT_EQ(plugin_.ShowPeer(999), 1);
  auto opened = host_.CallsOf("OpenPeerShares");
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0], "OpenPeerShares(600, \"王哥\")");
  EXPECT_EQ(opened[1], "OpenPeerShares(500, null)");
  EXPECT_TRUE(IsWindowVisible(window_.Handle()));
  ExpectOnlyPanel(MainWindow::kFriends);
}

TEST_F(MainWindowTest, PeerTreeAddsRemovesAndUpdatesPeers) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  FriendPanel& friends = window_.Friends();
  HWND tree = GetDlgItem(friends.Handle(), IDC_PEER_TREE);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)),
            host_.GetImageList(2));
  plugin_.AddPeer(10001, 0, "me");  // the user himself
  plugin_.AddPeer(501, 1, "甲");
  plugin_.AddPeer(501, 2, "again");
  plugin_.AddPeer(502, 0, "乙");
  EXPECT_EQ(friends.PeerCount(), 2);
  EXPECT_EQ(friends.PeerText(501), "甲");
  plugin_.UpdatePeer(501, 3, "甲(离线)");
  EXPECT_EQ(friends.PeerText(501), "甲(离线)");
  EXPECT_EQ(friends.PeerImage(501), 3);
  plugin_.UpdatePeer(999, 3, "nobody");
  plugin_.RemovePeer(501);
  plugin_.RemovePeer(999);
  EXPECT_EQ(friends.PeerCount(), 1);
  EXPECT_FALSE(friends.HasPeer(501));
  plugin_.RemovePeer(502);
  EXPECT_EQ(friends.PeerCount(), 0);
  EXPECT_EQ(friends.FileCount(), 0);
}

TEST_F(MainWindowTest, StartWhileSuspendedOnlyResumes) {
  host_.AddFriendRecord(600, "a");
  host_.AddFriendRecord(601, "b");
  host_.AddFriendRecord(10001, "the user");
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  HWND window = window_.Handle();
  plugin_.AddPeer(700, 0, "c");
  plugin_.Suspend();
  EXPECT_EQ(window_.CurrentState(), MainWindow::State::Suspended);
  EXPECT_EQ(window_.Friends().PeerCount(), 0);
  EXPECT_EQ(plugin_.Start(20002, 5, 1), 1);
  EXPECT_EQ(window_.CurrentState(), MainWindow::State::Running);
  EXPECT_EQ(window_.Handle(), window);
  EXPECT_EQ(window_.User(), 10001u);
  EXPECT_EQ(window_.Friends().PeerCount(), 2);
  EXPECT_EQ(host_.CallsOf("GetFriendList").size(), 1u);
  EXPECT_EQ(host_.CallsOf("GetImageList").front(), "GetImageList(2)");
}

TEST_F(MainWindowTest, AFailingFriendListOrNoImageListLeavesAnEmptyOrPlainTree) {
  host_.AddFriendRecord(600, "a");
  host_.friendListFails = true;
  host_.noImageList = true;
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  plugin_.Suspend();
  plugin_.Resume(0, 0, 0);
  EXPECT_EQ(window_.Friends().PeerCount(), 0);
  host_.friendListFails = false;
  plugin_.Suspend();
  plugin_.Resume(0, 0, 0);
  EXPECT_EQ(window_.Friends().PeerCount(), 1);
}

// Unfiltered mode reads HKEY_CLASSES_ROOT\Tovak.Document; the test restores
// the key as it found it.
class FilterFlagsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    win::UniqueRegKey key;
    existed_ = RegOpenKeyExA(HKEY_CLASSES_ROOT, "Tovak.Document", 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
    if (existed_) GTEST_SKIP() << "Tovak.Document exists in this prefix";
  }
  void TearDown() override {
    if (!existed_) RegDeleteKeyA(HKEY_CLASSES_ROOT, "Tovak.Document");
  }
  void SetFlags(DWORD value) {
    win::UniqueRegKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "Tovak.Document", 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(),
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key.Get(), "FilterFlags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  bool existed_ = false;
};

TEST_F(FilterFlagsTest, OnlyTheValue0x10000TurnsUnfilteredModeOn) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  EXPECT_FALSE(window_.Unfiltered());
  plugin_.Stop();
  SetFlags(0x10000);
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  EXPECT_TRUE(window_.Unfiltered());
  plugin_.Stop();
  SetFlags(0x10001);
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  EXPECT_FALSE(window_.Unfiltered());
}

// The client calls the interface by slot, with the convention of its
// compiler (thiscall on i686): a few operations reached through the raw table
// must be the ones of their slots.
TEST_F(MainWindowTest, PluginInterfaceOperationsSitAtTheirSlots) {
  using slot_call::ThisCall;
  PluginInterface* plugin = &plugin_;
  ASSERT_EQ(ThisCall<int32_t>(plugin, 17, 4242u, 0, 0), 1);  // Start
  EXPECT_EQ(window_.User(), 4242u);
  ThisCall<void>(plugin, 19, 3);  // ShowPanel
  ExpectOnlyPanel(MainWindow::kShare);
  ThisCall<void>(plugin, 12, 9, 1, 2);  // SetAccount
  EXPECT_NE(WindowText(Control(IDC_STATUS_LINE)).find("拓币 9| 拓瓦积分 3 |"), std::string::npos);
  EXPECT_EQ(ThisCall<int32_t>(plugin, 3), 3);  // GetSyncDownloadLimit
  EXPECT_EQ(ThisCall<int32_t>(plugin, 8, 0, 0, 0), 1);
  uint32_t flags = 5;
  EXPECT_EQ(ThisCall<int32_t>(plugin, 30, &flags), 1);  // GetBusy
  EXPECT_EQ(ThisCall<int32_t>(plugin, 34, "x", 0), 0);  // HashFile
  ThisCall<void>(plugin, 18);  // Stop
  EXPECT_EQ(window_.Handle(), nullptr);
}

// The client removes nothing from the stack after a call: each operation must
// pop exactly the arguments it was given.
TEST_F(MainWindowTest, PluginInterfaceOperationsPopTheArgumentsTheClientPushed) {
#if defined(__i386__)
  using slot_call::ThisCallDrift;
  using slot_call::Word;
  PluginInterface* plugin = &plugin_;
  EXPECT_EQ(ThisCallDrift(plugin, 17, {4242, 0, 0}), 0);  // Start
  EXPECT_EQ(window_.User(), 4242u);
  EXPECT_EQ(ThisCallDrift(plugin, 19, {3}), 0);  // ShowPanel
  ExpectOnlyPanel(MainWindow::kShare);
  EXPECT_EQ(ThisCallDrift(plugin, 12, {9, 1, 2}), 0);  // SetAccount
  EXPECT_NE(WindowText(Control(IDC_STATUS_LINE)).find("拓币 9| 拓瓦积分 3 |"), std::string::npos);
  EXPECT_EQ(ThisCallDrift(plugin, 13, {1, 0, Word("h"), Word("f"), 1, 1, Word("t"), 0}), 0);  // AddTopTenEntry
  EXPECT_EQ(ThisCallDrift(plugin, 23, {1, Word("h"), Word("f"), 1, 1, Word(""), 2, Word("n"), 0, 0, 0, 0, 0,
                                       Word("")}),
            0);  // AddSearchResult: fourteen arguments, the most of any slot
  EXPECT_EQ(ThisCallDrift(plugin, 18, {}), 0);  // Stop
  EXPECT_EQ(window_.Handle(), nullptr);
#else
  GTEST_SKIP() << "x86_64 has one calling convention; the caller always pops";
#endif
}

}  // namespace

namespace {

// Where the browser control can be hosted the notice page sits in child
// 59748; where it cannot, the child is absent and the window works without it.
TEST_F(MainWindowTest, NoticeViewIsAVisibleChildOrAbsent) {
  ASSERT_EQ(plugin_.Start(10001, 0, 0), 1);
  HWND notice = window_.NoticeView();
  if (notice == nullptr) {
    EXPECT_EQ(Control(IDC_HTML_VIEW), nullptr);
  } else {
    EXPECT_EQ(Control(IDC_HTML_VIEW), notice);
    EXPECT_TRUE(Visible(notice));
  }
  plugin_.ShowPanel(MainWindow::kShare);
  ExpectOnlyPanel(MainWindow::kShare);
  plugin_.Stop();
  EXPECT_FALSE(IsWindow(notice));
}

}  // namespace
