// The rows of the download list: columns, sorting, expanding, the row menu
// and what the control draws.
#include "transfer/DownloadList.h"

#include <gtest/gtest.h>

#include "DownloadListFixture.h"
#include "frame/ResourceIds.h"
#include "win/Handles.h"

namespace {

class DownloadRowsTest : public DownloadListTest {
 protected:
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int row = 0; row < list_->Control().ItemCount(); ++row) names.push_back(Cell(row, DownloadList::kName));
    return names;
  }
  void ClickHeader(int position) {
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = list_->Control().Handle();
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = position;
    SendMessageA(list_->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  }
  void DoubleClick(int row) {
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = list_->Control().Handle();
    click.hdr.code = NM_DBLCLK;
    click.iItem = row;
    SendMessageA(list_->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  }
  // The state of a menu entry with the current selection.
  UINT Entry(int command) const {
    win::UniqueMenu menu = list_->LoadRowMenu();
    HMENU rows = GetSubMenu(menu.Get(), 0);
    list_->PrepareMenu(rows);
    return GetMenuState(rows, command, MF_BYCOMMAND);
  }
  bool Enabled(int command) const { return !(Entry(command) & (MF_GRAYED | MF_DISABLED)); }
  bool Checked(int command) const { return (Entry(command) & MF_CHECKED) != 0; }
  std::string Clipboard() const {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char* bytes = static_cast<const char*>(GlobalLock(data))) text = bytes;
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  }
};

TEST_F(DownloadRowsTest, TheColumnsAndTheOptionalOnes) {
  Open();
  const char* headers[] = {"文件名", "大小", "拓币", "状态", "下载速度", "完成度", "点播", "剩余时间"};
  const int widths[] = {135, 73, 38, 90, 80, 55, 38, 70};
  ASSERT_EQ(list_->Control().ColumnCount(), 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(list_->Control().ColumnText(i), headers[i]);
    EXPECT_EQ(list_->Control().ColumnWidth(i), widths[i]);
  }
  EXPECT_EQ(list_->Control().ColumnFormat(1) & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);

  DownloadList::Request request = Request(1, "a.avi", 5000);
  request.comment = "注释一";
  ASSERT_EQ(list_->Add(request), DownloadList::kAdded);
  list_->RunCommand(ID_SHOW_COMMENT);
  list_->RunCommand(ID_SHOW_UP_SPEED);
  list_->RunCommand(ID_SHOW_TIME_USED);
  ASSERT_EQ(list_->Control().ColumnCount(), 11);
  EXPECT_EQ(list_->Control().ColumnText(5), "上传速度");
  EXPECT_EQ(list_->Control().ColumnWidth(5), 80);
  EXPECT_EQ(list_->Control().ColumnText(8), "用时");
  EXPECT_EQ(list_->Control().ColumnWidth(8), 55);
  EXPECT_EQ(list_->Control().ColumnText(10), "注释");
  EXPECT_EQ(list_->Control().ColumnWidth(10), 88);
  EXPECT_EQ(Cell(0, DownloadList::kComment), "注释一");
  EXPECT_EQ(Cell(0, DownloadList::kTimeUsed), "0:00:00");
  EXPECT_NE(ReadFileBytes(DocumentPath()).find("<Comment>"), std::string::npos) << "saved at once";
  list_->RunCommand(ID_SHOW_UP_SPEED);
  EXPECT_EQ(list_->Control().ColumnCount(), 10);
  EXPECT_EQ(list_->Control().ColumnText(5), "完成度");
  EXPECT_EQ(ReadFileBytes(DocumentPath()).find("<UpSpeed>"), std::string::npos);

  // The next start shows the columns the document names.
  list_.reset();
  list_ = std::make_unique<DownloadList>(&host_, Bin());
  list_->SetPrompts(&prompts_);
  list_->SetDocumentPath(DocumentPath());
  RECT area = {0, 0, 800, 300};
  ASSERT_TRUE(list_->Create(parent_, 100, area));
  EXPECT_EQ(list_->ShownColumns(), (std::vector<int>{0, 1, 2, 3, 4, 6, 7, 8, 9, 12}));
}

TEST_F(DownloadRowsTest, EachSortableColumnSortsAndEachClickReverses) {
  host_.member = 1;
  Open(100000);
  ASSERT_EQ(Add(1, "b.avi", 3 * kMiB), DownloadList::kAdded);
  ASSERT_EQ(Add(2, "a.txt", 9 * kMiB), DownloadList::kAdded);
  ASSERT_EQ(Add(3, "c.mp3", 1 * kMiB), DownloadList::kAdded);
  Transfer(1)->ReportProgress(0, 0, 0, 300, 0, 0.2);
  Transfer(1)->ReportStatus("乙");
  Transfer(2)->ReportProgress(0, 0, 0, 100, 0, 0.9);
  Transfer(2)->ReportStatus("甲");
  Transfer(3)->ReportProgress(0, 0, 0, 200, 0, 0.5);
  Transfer(3)->ReportStatus("丙");
  list_->Refresh();
  using Order = std::vector<std::string>;
  const Order byName = {"a.txt", "b.avi", "c.mp3"};
  // Each column's order one way and the other; equal keys keep their order.
  struct Case {
    int column;
    Order one, other;
  } cases[] = {
      {DownloadList::kName, byName, {"c.mp3", "b.avi", "a.txt"}},
      {DownloadList::kSize, {"c.mp3", "b.avi", "a.txt"}, byName},
      {DownloadList::kCost, {"c.mp3", "b.avi", "a.txt"}, byName},
      // 丙 B1FB, 甲 BCD7, 乙 D2D2 byte-wise
      {DownloadList::kStatus, {"c.mp3", "a.txt", "b.avi"}, {"b.avi", "a.txt", "c.mp3"}},
      {DownloadList::kSpeed, {"a.txt", "c.mp3", "b.avi"}, {"b.avi", "c.mp3", "a.txt"}},
      {DownloadList::kPercent, {"b.avi", "c.mp3", "a.txt"}, {"a.txt", "c.mp3", "b.avi"}},
      {DownloadList::kPlay, {"a.txt", "b.avi", "c.mp3"}, {"b.avi", "c.mp3", "a.txt"}},
  };
  for (const Case& sort : cases) {
    list_->SortBy(DownloadList::kName);
    if (Names() != byName) list_->SortBy(DownloadList::kName);
    ASSERT_EQ(Names(), byName);
    list_->SortBy(sort.column);
    Order first = Names();
    if (sort.column != DownloadList::kName) {
      list_->SortBy(DownloadList::kName);
      if (Names() != byName) list_->SortBy(DownloadList::kName);
    }
    list_->SortBy(sort.column);
    Order second = Names();
    EXPECT_TRUE((first == sort.one && second == sort.other) || (first == sort.other && second == sort.one))
        << "column " << sort.column;
  }
  EXPECT_EQ(Cell(0, DownloadList::kStatus).empty(), false);
  // Remaining time sorts as its text.
  list_->SortBy(DownloadList::kRemaining);
  Order text = Names();
  std::vector<std::string> remaining;
  for (int row = 0; row < 3; ++row) remaining.push_back(Cell(row, DownloadList::kRemaining));
  EXPECT_TRUE(std::is_sorted(remaining.begin(), remaining.end()) ||
              std::is_sorted(remaining.rbegin(), remaining.rend()));
  // The columns that do not sort leave the order alone.
  for (int column : {DownloadList::kUpSpeed, DownloadList::kTimeUsed, DownloadList::kDownloaded,
                     DownloadList::kUploaded, DownloadList::kComment}) {
    list_->SortBy(column);
    EXPECT_EQ(Names(), text);
  }
  // A click on a header sorts by the column shown there.
  ClickHeader(0);
  Order clicked = Names();
  ClickHeader(0);
  EXPECT_EQ(Order(clicked.rbegin(), clicked.rend()), Names());
}

TEST_F(DownloadRowsTest, ExpandedTasksKeepTheirSourcesBelowThemWhenSorted) {
  Open();
  ASSERT_EQ(Add(1, "a.avi", kMiB), DownloadList::kAdded);
  ASSERT_EQ(Add(2, "b.avi", kMiB), DownloadList::kAdded);
  Transfer(1)->ReportSource(30001, "甲");
  Transfer(1)->ReportSource(30002, "乙");
  ASSERT_TRUE(PumpUntil([&] { return Task(1)->Sources().size() == 2; }));
  DoubleClick(list_->RowOf(Task(1)));
  ASSERT_EQ(list_->Control().ItemCount(), 4);
  list_->SortBy(DownloadList::kName);
  std::vector<std::string> names = Names();
  std::vector<std::string> expected = {"a.avi", "甲(30001)", "乙(30002)", "b.avi"};
  std::vector<std::string> reversed = {"b.avi", "a.avi", "甲(30001)", "乙(30002)"};
  EXPECT_TRUE(names == expected || names == reversed);
  list_->SortBy(DownloadList::kName);
  EXPECT_TRUE(Names() == expected || Names() == reversed);
  EXPECT_NE(Names(), names);
  DoubleClick(list_->RowOf(Task(1)));
  EXPECT_EQ(list_->Control().ItemCount(), 2);
  DoubleClick(-1);
  EXPECT_EQ(list_->Control().ItemCount(), 2);
}

TEST_F(DownloadRowsTest, TheSelectionFollowsItsRows) {
  Open();
  ASSERT_EQ(Add(1, "a.avi", kMiB), DownloadList::kAdded);
  SelectRows({0});
  ASSERT_EQ(Add(2, "b.avi", kMiB), DownloadList::kAdded);
  EXPECT_EQ(list_->Control().SelectedItems(), std::vector<int>{1}) << "a.avi moved down";
  list_->SortBy(DownloadList::kName);
  EXPECT_EQ(Cell(list_->Control().SelectedItems().at(0), DownloadList::kName), "a.avi");
}

TEST_F(DownloadRowsTest, MenuEntriesFollowTheSelection) {
  Open();
  EXPECT_FALSE(Enabled(ID_DOWNLOAD_DELETE_ALL));
  for (int command : {ID_SHOW_UP_SPEED, ID_SHOW_TIME_USED, ID_SHOW_DOWNLOADED, ID_SHOW_UPLOADED, ID_SHOW_COMMENT,
                      ID_SHOW_OTHER_PERCENT})
    EXPECT_TRUE(Enabled(command)) << command;
  ASSERT_EQ(Add(1, "a.avi", kMiB), DownloadList::kAdded);
  ASSERT_EQ(Add(2, "b.avi", kMiB), DownloadList::kAdded);
  EXPECT_TRUE(Enabled(ID_DOWNLOAD_DELETE_ALL));
  for (int command : {ID_DOWNLOAD_START, ID_DOWNLOAD_PAUSE, ID_DOWNLOAD_DELETE, ID_DOWNLOAD_COMMENT, ID_PEER_COINS,
                      ID_DOWNLOAD_BLOCK_MAP, ID_MODE_RANDOM, ID_DOWNLOAD_COPY_LINK, ID_DOWNLOAD_REFRESH_SOURCES})
    EXPECT_FALSE(Enabled(command)) << "nothing selected: " << command;

  SelectRows({0});
  EXPECT_TRUE(Enabled(ID_DOWNLOAD_PAUSE));
  EXPECT_FALSE(Enabled(ID_DOWNLOAD_START));
  for (int command : {ID_DOWNLOAD_DELETE, ID_DOWNLOAD_COMMENT, ID_DOWNLOAD_BLOCK_MAP, ID_MODE_RANDOM,
                      ID_MODE_SEQUENTIAL, ID_DOWNLOAD_COPY_LINK, ID_DOWNLOAD_PUSH_LINK})
    EXPECT_TRUE(Enabled(command)) << command;
  for (int command : {ID_MODE_PLAY, ID_DOWNLOAD_TRAFFIC, ID_DOWNLOAD_REFRESH_SOURCES, ID_PEER_COINS,
                      ID_PEER_COPY_NUMBER})
    EXPECT_FALSE(Enabled(command)) << command;
  EXPECT_TRUE(Checked(ID_MODE_RANDOM));
  Transfer(2)->SetMode(kModeSequential, 0);
  EXPECT_TRUE(Checked(ID_MODE_SEQUENTIAL));
  EXPECT_FALSE(Checked(ID_MODE_RANDOM));
  host_.member = 1;
  EXPECT_TRUE(Enabled(ID_DOWNLOAD_REFRESH_SOURCES));

  list_->Pause(*Task(2));
  SelectRows({0, 1});
  EXPECT_TRUE(Enabled(ID_DOWNLOAD_START));
  EXPECT_TRUE(Enabled(ID_DOWNLOAD_PAUSE));
  EXPECT_FALSE(Enabled(ID_DOWNLOAD_BLOCK_MAP)) << "two tasks";

  Transfer(1)->ReportSource(30001, "甲");
  ASSERT_TRUE(PumpUntil([&] { return Task(1)->Sources().size() == 1; }));
  list_->ToggleExpanded(*Task(1));
  SelectRows({2});
  for (int command : {ID_PEER_COINS, ID_PEER_DETAILS, ID_PEER_MESSAGE, ID_PEER_FRIEND, ID_PEER_BLACKLIST,
                      ID_PEER_COPY_NUMBER, ID_DOWNLOAD_DELETE})
    EXPECT_TRUE(Enabled(command)) << command;
  EXPECT_FALSE(Enabled(ID_DOWNLOAD_BLOCK_MAP));
  EXPECT_FALSE(Enabled(ID_DOWNLOAD_PAUSE));
  list_->RunCommand(ID_SHOW_COMMENT);
  list_->RunCommand(ID_SHOW_OTHER_PERCENT);
  EXPECT_TRUE(Checked(ID_SHOW_COMMENT));
  EXPECT_TRUE(Checked(ID_SHOW_OTHER_PERCENT));
  EXPECT_FALSE(Checked(ID_SHOW_UP_SPEED));
}

TEST_F(DownloadRowsTest, CommandsOnTasksAndPeers) {
  Open();
  ASSERT_EQ(Add(1, "电影.rmvb", 5000000), DownloadList::kAdded);
  SelectRows({0});
  list_->RunCommand(ID_DOWNLOAD_PAUSE);
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kPaused);
  list_->RunCommand(ID_DOWNLOAD_START);
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kDownloading);
  list_->RunCommand(ID_DOWNLOAD_BLOCK_MAP);
  list_->RunCommand(ID_MODE_SEQUENTIAL);
  list_->RunCommand(ID_DOWNLOAD_REFRESH_SOURCES);  // not a member: nothing
  list_->RunCommand(ID_MODE_PLAY);                 // disabled entry: nothing
  EXPECT_EQ(CallsContaining("ShowBlockMap()"), 1);
  EXPECT_EQ(CallsContaining("SetMode(2, 0)"), 1);
  EXPECT_EQ(CallsContaining("RefreshSources()"), 0);
  EXPECT_EQ(CallsContaining("SetMode(3, 0)"), 0);

  std::string link = "tovak://cmd=download|hashid=" + HashOf(1) + "|name=电影.rmvb|size=5000000|type=3|";
  list_->RunCommand(ID_DOWNLOAD_COPY_LINK);
  EXPECT_EQ(Clipboard(), link);
  list_->RunCommand(ID_DOWNLOAD_PUSH_LINK);
  EXPECT_EQ(host_.CallsOf("PushLinkToFriend"), std::vector<std::string>{"PushLinkToFriend(\"" + link + "\")"});

  prompts_.commentAnswer = "一段超过六十四字节的注释一段超过六十四字节的注释一段超过六十四字节的注释一段超过";
  list_->RunCommand(ID_DOWNLOAD_COMMENT);
  EXPECT_EQ(Task(1)->item.comment.size(), 64u);

  DownloadList::Request withPeer = Request(1, "电影.rmvb", 5000000);
  withPeer.peerId = 20001;
  withPeer.peerTag = 99;
  withPeer.nickname = "张三";
  withPeer.ip = 0x0A000001;
  ASSERT_EQ(list_->Add(withPeer), DownloadList::kInList);
  list_->ToggleExpanded(*Task(1));
  SelectRows({1});
  for (int command : {ID_PEER_COINS, ID_PEER_DETAILS, ID_PEER_MESSAGE, ID_PEER_FRIEND, ID_PEER_BLACKLIST,
                      ID_PEER_COPY_NUMBER})
    list_->RunCommand(command);
  for (const char* call : {"QueryPeerCoins(20001, 99, \"张三\")", "ShowPeerDetails(20001, 99)",
                           "SendMessageToPeer(20001, 99, \"张三\")", "AddFriend(20001, 99)", "AddToBlacklist(20001, 99)"})
    EXPECT_EQ(CallsContaining(call), 1) << call;
  EXPECT_EQ(Clipboard(), "20001");
}

TEST_F(DownloadRowsTest, SpeedLimitsGoToTheFirstSelectedTaskWithATransfer) {
  Open();
  EXPECT_FALSE(list_->LimitSelectedTransfer(20, 30)) << "nothing selected";
  ASSERT_EQ(Add(1, "a.avi", kMiB), DownloadList::kAdded);
  host_.noTransfers = true;
  ASSERT_EQ(Add(2, "b.avi", kMiB), DownloadList::kAdded);
  SelectRows({0, 1});
  EXPECT_TRUE(list_->LimitSelectedTransfer(20, 30));
  EXPECT_EQ(CallsContaining("transfer " + HashOf(1) + " SetSpeedLimits(20, 30)"), 1);
  EXPECT_FALSE(Enabled(ID_DOWNLOAD_TRAFFIC));
}

TEST_F(DownloadRowsTest, DeletingAsksFirst) {
  Open();
  ASSERT_EQ(Add(1, "a.avi", kMiB), DownloadList::kAdded);
  ASSERT_EQ(Add(2, "b.avi", kMiB), DownloadList::kAdded);
  Transfer(1)->ReportSource(30001, "甲");
  ASSERT_TRUE(PumpUntil([&] { return Task(1)->Sources().size() == 1; }));
  list_->ToggleExpanded(*Task(1));
  prompts_.confirmAnswer = false;
  SelectRows({0});
  list_->RunCommand(ID_DOWNLOAD_DELETE);
  EXPECT_EQ(prompts_.messages.back(), "确定删除吗?");
  EXPECT_EQ(list_->TaskCount(), 2u);
  prompts_.confirmAnswer = true;
  SelectRows({2});  // the source row
  list_->RunCommand(ID_DOWNLOAD_DELETE);
  EXPECT_TRUE(Task(1)->Sources().empty());
  EXPECT_EQ(list_->Control().ItemCount(), 2);
  SelectRows({0});
  list_->RunCommand(ID_DOWNLOAD_DELETE);
  EXPECT_EQ(list_->TaskCount(), 1u);
  EXPECT_EQ(CallsContaining("transfer " + HashOf(2) + " Stop(1, 0)"), 1);
  list_->RunCommand(ID_DOWNLOAD_DELETE_ALL);
  EXPECT_EQ(list_->TaskCount(), 0u);
  EXPECT_EQ(prompts_.confirms, 4);
  ASSERT_TRUE(PumpUntil([&] { return list_->RetiringCount() == 0; }));
}

// The progress bar and the play image are drawn over their cells.
TEST_F(DownloadRowsTest, TheListDrawsProgressBarsAndPlayImages) {
  Open();
  ShowWindow(parent_, SW_SHOW);
  ASSERT_EQ(Add(1, "a.mp3", kMiB), DownloadList::kAdded);
  Transfer(1)->ReportProgress(kMiB, 0, 0, 10, 0, 1.0);
  list_->Refresh();
  UpdateWindow(list_->Control().Handle());
  Pump(100);
  RECT percent, play;
  ASSERT_TRUE(list_->Control().SubItemRect(0, 5, percent));
  ASSERT_TRUE(list_->Control().SubItemRect(0, 6, play));
  HDC dc = GetDC(list_->Control().Handle());
  COLORREF bar = GetPixel(dc, percent.left + 4, (percent.top + percent.bottom) / 2);
  COLORREF image = GetPixel(dc, (play.left + play.right) / 2 - 2, (play.top + play.bottom) / 2);
  ReleaseDC(list_->Control().Handle(), dc);
  EXPECT_EQ(bar, RGB(0x3A, 0x7B, 0xD5));
  EXPECT_EQ(image, RGB(0x2E, 0xA0, 0x30));
  ShowWindow(parent_, SW_HIDE);
}

}  // namespace
