// The row menu of the results pages and what its commands do: downloads
// into the download list with the member check, play with its highlight,
// the peer's operations through the host, links and the list itself.
#include "search/ResultsPage.h"

#include <gtest/gtest.h>

#include "SearchFixture.h"
#include "controls/Clipboard.h"
#include "search/MemberPrompt.h"
#include "win/Handles.h"

namespace {

void CALLBACK PressUpgrade(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowA("#32770", "拓瓦提示");
  DWORD process = 0;
  if (dialog != nullptr) GetWindowThreadProcessId(dialog, &process);
  // Another test program's prompt is not this test's to answer.
  if (dialog == nullptr || process != GetCurrentProcessId()) return;
  KillTimer(nullptr, timer);
  SendMessageA(GetDlgItem(dialog, IDC_MEMBER_UPGRADE), BM_CLICK, 0, 0);
}

class ResultsCommandsTest : public SearchWindowTest {
 protected:
  ResultsPage& SearchAndReport(const std::string& keyword, int type = 3, const std::string& target = "全部") {
    Search(keyword, type, target);
    ReportResults();
    return *Centre().PageOf(LastQueryId());
  }
  UINT Entry(ResultsPage& page, int command) const {
    win::UniqueMenu menu = page.LoadRowMenu();
    HMENU rows = GetSubMenu(menu.Get(), 0);
    page.PrepareMenu(rows);
    return GetMenuState(rows, command, MF_BYCOMMAND);
  }
  bool Enabled(ResultsPage& page, int command) const { return !(Entry(page, command) & (MF_GRAYED | MF_DISABLED)); }
  bool SortMenuEnabled(ResultsPage& page) const {
    win::UniqueMenu menu = page.LoadRowMenu();
    HMENU rows = GetSubMenu(menu.Get(), 0);
    page.PrepareMenu(rows);
    for (int position = 0; position < GetMenuItemCount(rows); ++position) {
      if (GetSubMenu(rows, position) == nullptr) continue;
      char text[32] = "";
      GetMenuStringA(rows, position, text, sizeof text, MF_BYPOSITION);
      EXPECT_STREQ(text, "排序");
      return !(GetMenuState(rows, position, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
    }
    ADD_FAILURE() << "no sort menu";
    return false;
  }
  std::vector<std::string> StartedDownloads() const { return host_.CallsOf("StartDownload"); }
  // The mode StartDownload got for a hash, or 0.
  int ModeOf(const std::string& hash) const {
    for (const std::string& call : StartedDownloads()) {
      if (call.find(hash) == std::string::npos) continue;
      size_t end = call.rfind(", ");
      size_t start = call.rfind(", ", end - 1);
      return std::stoi(call.substr(start + 2, end - start - 2));
    }
    return 0;
  }
  // A mouse click of the list at the middle of a cell.
  void ClickCell(ResultsPage& page, int row, int column, bool twice = false) {
    RECT cell;
    ASSERT_TRUE(page.List().SubItemRect(row, column, cell));
    LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    HWND list = page.List().Handle();
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(list, WM_LBUTTONUP, 0, at);
    if (twice) {
      SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      SendMessageA(list, WM_LBUTTONUP, 0, at);
    }
    Pump(0);
  }
};

TEST_F(ResultsCommandsTest, MenuEntriesFollowTheSelection) {
  Start();
  ResultsPage& empty = *Centre().Page(0);
  for (int command : {ID_RESULT_CLEAR, ID_RESULT_RECOMMEND, ID_RESULT_DOWNLOAD, ID_RESULT_SEQUENTIAL, ID_RESULT_PLAY,
                      ID_RESULT_ADD_FRIEND, ID_RESULT_REPORT, ID_RESULT_COPY_LINK, ID_SORT_NAME})
    EXPECT_FALSE(Enabled(empty, command)) << command;

  host_.searchResults = {Result("mine.avi", kUser, 1, 1), Result("a.avi", 20001, 1, 2), Result("b.txt", 20002, 1, 3),
                         Result("c.mp3", 20003, 1, 4)};
  ResultsPage& page = SearchAndReport("abc");
  EXPECT_TRUE(Enabled(page, ID_RESULT_CLEAR));
  EXPECT_FALSE(Enabled(page, ID_RESULT_RECOMMEND));
  EXPECT_FALSE(Enabled(page, ID_RESULT_DOWNLOAD));

  // The user's own row: it may be recommended, not downloaded.
  page.List().SelectOnly({0});
  EXPECT_TRUE(Enabled(page, ID_RESULT_RECOMMEND));
  for (int command : {ID_RESULT_DOWNLOAD, ID_RESULT_SEQUENTIAL, ID_RESULT_PLAY, ID_RESULT_ADD_FRIEND, ID_RESULT_REPORT})
    EXPECT_FALSE(Enabled(page, command)) << command;
  EXPECT_FALSE(SortMenuEnabled(page));

  // One row of another peer: everything, play for a playable name only.
  page.List().SelectOnly({1});
  for (int command : {ID_RESULT_DOWNLOAD, ID_RESULT_SEQUENTIAL, ID_RESULT_PLAY, ID_RESULT_ADD_FRIEND,
                      ID_RESULT_MESSAGE, ID_RESULT_DETAILS, ID_RESULT_COINS, ID_RESULT_REPORT, ID_RESULT_COPY_NUMBER,
                      ID_RESULT_COPY_LINK, ID_RESULT_PUSH_LINK, ID_RESULT_RECOMMEND, ID_RESULT_CLEAR, ID_SORT_NAME,
                      ID_SORT_PEER, ID_SORT_BANDWIDTH})
    EXPECT_TRUE(Enabled(page, command)) << command;
  EXPECT_TRUE(SortMenuEnabled(page));
  page.List().SelectOnly({2});
  EXPECT_FALSE(Enabled(page, ID_RESULT_PLAY));
  EXPECT_TRUE(Enabled(page, ID_RESULT_ADD_FRIEND));
  // The own row beside one other: the other is the one.
  page.List().SelectOnly({0, 3});
  EXPECT_TRUE(Enabled(page, ID_RESULT_PLAY));
  // Two rows of other peers: downloads only.
  page.List().SelectOnly({1, 3});
  EXPECT_TRUE(Enabled(page, ID_RESULT_DOWNLOAD));
  EXPECT_TRUE(Enabled(page, ID_RESULT_SEQUENTIAL));
  for (int command : {ID_RESULT_PLAY, ID_RESULT_ADD_FRIEND, ID_RESULT_REPORT, ID_RESULT_PUSH_LINK, ID_SORT_PEER})
    EXPECT_FALSE(Enabled(page, command)) << command;
  EXPECT_FALSE(SortMenuEnabled(page));
}

TEST_F(ResultsCommandsTest, DownloadsReachTheDownloadListWithThePeersSource) {
  Start();
  LoggingHost::SearchResult result = Result("功夫.rmvb", 20001, 3000000, 7);
  result.comment = "高清";
  host_.searchResults = {Result("mine.avi", kUser, 1, 1), result};
  ResultsPage& page = SearchAndReport("功夫", 3, "全部");
  page.List().SelectOnly({0, 1});
  page.RunCommand(ID_RESULT_DOWNLOAD);
  EXPECT_EQ(window_->Downloads()->FindTaskByHash(HashOf(1)), nullptr) << "own rows are not downloaded";
  DownloadTask* task = window_->Downloads()->FindTaskByHash(HashOf(7));
  ASSERT_NE(task, nullptr);
  EXPECT_EQ(task->item.fileName, "功夫.rmvb");
  EXPECT_EQ(task->item.fileSize, 3000000u);
  EXPECT_EQ(task->item.fileType, 3);
  EXPECT_EQ(task->item.comment, "高清");
  EXPECT_EQ(ModeOf(HashOf(7)), 1);
  ASSERT_EQ(task->Sources().size(), 1u);
  EXPECT_EQ(task->Sources()[0]->PeerId(), 20001u);
  EXPECT_EQ(task->Sources()[0]->Nickname(), "小明");
  EXPECT_TRUE(prompts_.messages.empty());
  // Again: the file is in the list already and the peer joins as a source.
  page.RunCommand(ID_RESULT_DOWNLOAD);
  EXPECT_EQ(StartedDownloads().size(), 1u);
}

TEST_F(ResultsCommandsTest, SequentialDownloadsUseMode2) {
  Start();
  host_.searchResults = {Result("a.avi", 20001, 1000, 1), Result("b.avi", 20002, 1000, 2)};
  ResultsPage& page = SearchAndReport("avi");
  page.List().SelectOnly({0, 1});
  page.RunCommand(ID_RESULT_SEQUENTIAL);
  EXPECT_EQ(ModeOf(HashOf(1)), 2);
  EXPECT_EQ(ModeOf(HashOf(2)), 2);
}

TEST_F(ResultsCommandsTest, KeywordDownloadsAreForMembersWhenTheOperatorSaysSo) {
  Start();
  SetSettings(1, 0);
  host_.searchResults = {Result("a.avi", 20001, 1000, 1)};
  ResultsPage& keywordPage = SearchAndReport("avi");
  keywordPage.List().SelectOnly({0});
  keywordPage.RunCommand(ID_RESULT_DOWNLOAD);
  EXPECT_TRUE(StartedDownloads().empty());
  auto prompts = DialogsCaptioned(L"拓瓦提示");
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0].text,
            L"      非会员只能下载空搜索（且不指定ID号）返回的文件,成为会员后才能下载按关键字搜索返回的文件");
  // A peer's list is a keyword search too.
  host_.searchResults = {Result("b.avi", 20001, 1000, 2)};
  ResultsPage& targetPage = SearchAndReport("", 0, "20001");
  targetPage.List().SelectOnly({0});
  targetPage.RunCommand(ID_RESULT_DOWNLOAD);
  EXPECT_EQ(DialogsCaptioned(L"拓瓦提示").size(), 2u);
  EXPECT_TRUE(StartedDownloads().empty());
  // Sequential downloads are not checked.
  keywordPage.RunCommand(ID_RESULT_SEQUENTIAL);
  EXPECT_EQ(ModeOf(HashOf(1)), 2);

  // The empty search without a target is free; members download anything.
  host_.searchResults = {Result("c.avi", 20001, 1000, 3)};
  ResultsPage& emptyPage = SearchAndReport("", 0);
  emptyPage.List().SelectOnly({0});
  emptyPage.RunCommand(ID_RESULT_DOWNLOAD);
  EXPECT_EQ(ModeOf(HashOf(3)), 1);
  host_.member = 1;
  targetPage.RunCommand(ID_RESULT_DOWNLOAD);
  EXPECT_EQ(ModeOf(HashOf(2)), 1);
  EXPECT_EQ(DialogsCaptioned(L"拓瓦提示").size(), 2u);
}

TEST_F(ResultsCommandsTest, WithoutTheOperatorsSwitchKeywordDownloadsAreFree) {
  Start();
  SetSettings(0, 0);
  host_.searchResults = {Result("d.avi", 20001, 1000, 4)};
  ResultsPage& freePage = SearchAndReport("avi 2");
  freePage.List().SelectOnly({0});
  freePage.RunCommand(ID_RESULT_DOWNLOAD);
  EXPECT_EQ(ModeOf(HashOf(4)), 1);
}

// No watcher answers for the user here: the timer presses the button.
TEST(MemberPrompt, TheUpgradeButtonAsksTheHostAndCloses) {
  LoggingHost host;
  MemberPrompt prompt(&host);
  ASSERT_NE(SetTimer(nullptr, 0, 50, &PressUpgrade), 0u);
  EXPECT_EQ(prompt.Show(nullptr), IDC_MEMBER_UPGRADE);
  EXPECT_EQ(host.CallsOf("UpgradeMembership").size(), 1u);
}

TEST_F(ResultsCommandsTest, ADoubleClickDownloadsTheRowOfAnotherPeer) {
  Start();
  host_.searchResults = {Result("mine.avi", kUser, 1000, 1), Result("a.avi", 20001, 1000, 2)};
  ResultsPage& page = SearchAndReport("avi");
  ClickCell(page, 0, ResultRecord::kName, true);
  EXPECT_TRUE(StartedDownloads().empty());
  ClickCell(page, 1, ResultRecord::kName, true);
  EXPECT_EQ(ModeOf(HashOf(2)), 1);
}

TEST_F(ResultsCommandsTest, APlayCellClickPlaysAndLightsTheCellForSixSeconds) {
  Start();
  host_.searchResults = {Result("a.txt", 20001, 1000, 1), Result("b.mp3", 20001, 1000, 2),
                         Result("c.avi", kUser, 1000, 3)};
  ResultsPage& page = SearchAndReport("abc");
  ClickCell(page, 0, ResultRecord::kPlay);
  ClickCell(page, 2, ResultRecord::kPlay);
  ClickCell(page, 1, ResultRecord::kName);
  EXPECT_TRUE(StartedDownloads().empty());
  EXPECT_EQ(page.HighlightedRow(), -1);
  ClickCell(page, 1, ResultRecord::kPlay);
  EXPECT_EQ(ModeOf(HashOf(2)), 3);
  EXPECT_EQ(page.HighlightedRow(), 1);
  EXPECT_EQ(page.HighlightSecondsLeft(), 6);
  // The highlight follows its row when the rows are sorted.
  page.SortBy(ResultRecord::kName);
  page.SortBy(ResultRecord::kName);
  EXPECT_EQ(page.HighlightedRow(), 1);
  page.SortBy(ResultRecord::kPeer);
  page.SortBy(ResultRecord::kPeer);
  EXPECT_EQ(page.HighlightedRow(), 0);
  // The one-second timer counts down and then puts the light out.
  for (int left = 5; left >= 1; --left) {
    SendMessageA(page.Handle(), WM_TIMER, ResultsPage::kHighlightTimer, 0);
    EXPECT_EQ(page.HighlightSecondsLeft(), left);
  }
  SendMessageA(page.Handle(), WM_TIMER, ResultsPage::kHighlightTimer, 0);
  EXPECT_EQ(page.HighlightedRow(), -1);
  EXPECT_EQ(page.HighlightSecondsLeft(), 0);
}

TEST_F(ResultsCommandsTest, PeerOperationsGoToTheHostWithThePeersTag) {
  Start();
  LoggingHost::SearchResult result = Result("a.mp3", 20001, 1000, 1);
  result.nickname = "张三";
  host_.searchResults = {result};
  ResultsPage& page = SearchAndReport("mp3");
  page.List().SelectOnly({0});
  host_.ClearCalls();
  for (int command : {ID_RESULT_ADD_FRIEND, ID_RESULT_MESSAGE, ID_RESULT_DETAILS, ID_RESULT_COINS, ID_RESULT_PUSH_LINK})
    page.RunCommand(command);
  std::string link = "tovak://cmd=download|hashid=" + HashOf(1) + "|name=a.mp3|size=1000|type=3|";
  EXPECT_EQ(host_.Calls(), (std::vector<std::string>{"AddFriend(20001, 20002)",
                                                     "SendMessageToPeer(20001, 20002, \"张三\")",
                                                     "ShowPeerDetails(20001, 20002)",
                                                     "QueryPeerCoins(20001, 20002, \"张三\")",
                                                     "PushLinkToFriend(\"" + link + "\")"}));
  page.RunCommand(ID_RESULT_COPY_NUMBER);
  EXPECT_EQ(ClipboardText(nullptr), "20001");
  page.RunCommand(ID_RESULT_COPY_LINK);
  EXPECT_EQ(ClipboardText(nullptr), link);
  // Without exactly one row of another peer the commands do nothing.
  page.List().Select(-1, false);
  host_.ClearCalls();
  page.RunCommand(ID_RESULT_ADD_FRIEND);
  page.RunCommand(ID_RESULT_PLAY);
  EXPECT_TRUE(host_.Calls().empty());
}

}  // namespace
