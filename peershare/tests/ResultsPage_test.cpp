// The results pages: what the host reports for a query, as the list shows
// it, filters it and sorts it.
#include "search/ResultsPage.h"

#include <gtest/gtest.h>

#include "SearchFixture.h"
#include "win/Handles.h"

namespace {

class ResultsPageTest : public SearchWindowTest {
 protected:
  // A search that runs on a page of its own and gets the results.
  ResultsPage& SearchAndReport(const std::string& keyword, int type = 3, const std::string& target = "全部") {
    Search(keyword, type, target);
    ReportResults();
    ResultsPage* page = Centre().PageOf(LastQueryId());
    EXPECT_NE(page, nullptr);
    return *page;
  }
  static std::vector<std::string> Column(ResultsPage& page, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < page.List().ItemCount(); ++row) cells.push_back(page.List().ItemText(row, column));
    return cells;
  }
  void ClickHeader(ResultsPage& page, int column) {
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = page.List().Handle();
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(page.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  }
};

TEST_F(ResultsPageTest, ColumnsHaveTheirHeadersWidthsAndAlignment) {
  Start();
  ListView& list = Centre().Page(0)->List();
  const char* headers[] = {"文件名", "类型", "点播", "大小", "拓瓦号", "昵称", "拓币", "连接类型", "带宽 kbps", "注释"};
  const int widths[] = {180, 38, 38, 80, 55, 50, 38, 70, 70, 150};
  ASSERT_EQ(list.ColumnCount(), 10);
  for (int column = 0; column < 10; ++column) {
    EXPECT_EQ(list.ColumnText(column), headers[column]);
    EXPECT_EQ(list.ColumnWidth(column), widths[column]) << column;
    bool right = column == 3 || column == 8;
    EXPECT_EQ(list.ColumnFormat(column) & LVCFMT_JUSTIFYMASK, right ? LVCFMT_RIGHT : LVCFMT_LEFT) << column;
  }
  EXPECT_TRUE(GetWindowLongA(list.Handle(), GWL_STYLE) & LVS_OWNERDATA);
}

TEST_F(ResultsPageTest, RowsShowThePeersDataAsTheHostGaveIt) {
  Start();
  LoggingHost::SearchResult outside = Result("功夫.rmvb", 20001, 3000000, 1);
  LoggingHost::SearchResult inside = Result("说明.txt", 20002, 100000, 2);
  inside.connectionKind = 4;
  inside.bandwidth = 0;
  inside.comment = "高清版";
  inside.category = 9;
  inside.nickname = "李四";
  host_.searchResults = {outside, inside};
  ResultsPage& page = SearchAndReport("功夫");
  ASSERT_EQ(page.List().ItemCount(), 2);
  EXPECT_EQ(Column(page, 0), (std::vector<std::string>{"功夫.rmvb", "说明.txt"}));
  EXPECT_EQ(Column(page, 1), (std::vector<std::string>{"视频", "未知"}));
  EXPECT_EQ(Column(page, 2), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(Column(page, 3), (std::vector<std::string>{"2, 929 KB", "97 KB"}));
  EXPECT_EQ(Column(page, 4), (std::vector<std::string>{"20001", "20002"}));
  EXPECT_EQ(Column(page, 5), (std::vector<std::string>{"小明", "李四"}));
  EXPECT_EQ(Column(page, 6), (std::vector<std::string>{"2", "0"}));
  EXPECT_EQ(Column(page, 7), (std::vector<std::string>{"外网", "内网"}));
  EXPECT_EQ(Column(page, 8), (std::vector<std::string>{"0.50", ""}));
  EXPECT_EQ(Column(page, 9), (std::vector<std::string>{"", "高清版"}));
  EXPECT_EQ(page.Row(0).extra, "x");
  EXPECT_EQ(page.Row(0).peerTag, 20002u);
  // The first column shows the system's icon for the name.
  LVITEMA item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = 0;
  ASSERT_TRUE(SendMessageA(page.List().Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_GE(item.iImage, 0);
  EXPECT_NE(SendMessageA(page.List().Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
}

TEST_F(ResultsPageTest, NetworkTextsLongerThanTheirFieldsAreCut) {
  Start();
  LoggingHost::SearchResult result = Result(std::string(300, 'n') + ".avi", 20001, 4294967295u);
  result.nickname = std::string(200, 'k');
  result.comment = std::string(100, 'c');
  host_.searchResults = {result};
  ResultsPage& page = SearchAndReport("nnn");
  ASSERT_EQ(page.RowCount(), 1u);
  EXPECT_EQ(page.List().ItemText(0, 0), std::string(262, 'n'));
  EXPECT_EQ(page.List().ItemText(0, 5), std::string(127, 'k'));
  EXPECT_EQ(page.List().ItemText(0, 9), std::string(67, 'c'));
  EXPECT_EQ(page.List().ItemText(0, 3), "4, 194, 303 KB");
  EXPECT_EQ(page.List().ItemText(0, 6), "4095");
}

TEST_F(ResultsPageTest, ResultsGoOnlyToThePageOfTheirQuery) {
  Start();
  host_.searchResults = {Result("a.mp3", 20001)};
  ResultsPage& first = SearchAndReport("月亮");
  uint32_t firstId = first.QueryId();
  host_.searchResults = {Result("b.mp3", 20001), Result("c.mp3", 20001)};
  ResultsPage& second = SearchAndReport("太阳");
  EXPECT_EQ(first.RowCount(), 1u);
  EXPECT_EQ(second.RowCount(), 2u);
  host_.ReportSearchResults(*window_, firstId);
  host_.ReportSearchResults(*window_, second.QueryId() + 1000);
  host_.ReportSearchResults(*window_, 0);
  Pump(0);
  EXPECT_EQ(first.RowCount(), 3u);
  EXPECT_EQ(second.RowCount(), 2u);
  EXPECT_EQ(first.List().ItemCount(), 3);
}

TEST_F(ResultsPageTest, NamesWithKeywordsAreDroppedByTheListThatFitsTheQuery) {
  WriteLists("赌博\r\n", "色情\r\n");
  Start();
  host_.searchResults = {Result("赌博技巧.avi", 20001), Result("色情.avi", 20001), Result("风景.avi", 20001)};
  ResultsPage& keywordPage = SearchAndReport("avi");
  EXPECT_EQ(Column(keywordPage, 0), (std::vector<std::string>{"赌博技巧.avi", "风景.avi"}));
  ResultsPage& emptyPage = SearchAndReport("", 0);
  EXPECT_EQ(Column(emptyPage, 0), (std::vector<std::string>{"色情.avi", "风景.avi"}));
  // A target search with no keyword is checked against the full list too.
  ResultsPage& targetPage = SearchAndReport("", 0, "20001");
  EXPECT_EQ(Column(targetPage, 0), (std::vector<std::string>{"色情.avi", "风景.avi"}));

  Centre().SetFilterOff(true);
  host_.ReportSearchResults(*window_, keywordPage.QueryId());
  Pump(0);
  EXPECT_EQ(keywordPage.RowCount(), 5u);
}

TEST_F(ResultsPageTest, HeaderClicksSortEachColumnTheOtherWayRound) {
  Start();
  auto result = [](const std::string& name, uint32_t peer, uint32_t size, int32_t bandwidth) {
    LoggingHost::SearchResult r = Result(name, peer, size);
    r.bandwidth = bandwidth;
    return r;
  };
  host_.searchResults = {result("b.avi", 30, 5000000, 10), result("影.avi", 10, 100, 3000),
                         result("a.avi", 20, 2000000, 0)};
  ResultsPage& page = SearchAndReport("avi");
  ClickHeader(page, ResultRecord::kName);
  EXPECT_EQ(Column(page, 0), (std::vector<std::string>{"a.avi", "b.avi", "影.avi"}));
  ClickHeader(page, ResultRecord::kName);
  EXPECT_EQ(Column(page, 0), (std::vector<std::string>{"影.avi", "b.avi", "a.avi"}));
  ClickHeader(page, ResultRecord::kCoins);
  EXPECT_EQ(Column(page, 4), (std::vector<std::string>{"10", "20", "30"})) << "coins sort by size";
  ClickHeader(page, ResultRecord::kPeer);
  EXPECT_EQ(Column(page, 4), (std::vector<std::string>{"10", "20", "30"}));
  ClickHeader(page, ResultRecord::kPeer);
  EXPECT_EQ(Column(page, 4), (std::vector<std::string>{"30", "20", "10"}));
  // The selection follows its row.
  page.List().SelectOnly({0});
  ClickHeader(page, ResultRecord::kBandwidth);
  EXPECT_EQ(Column(page, 8), (std::vector<std::string>{"", "0.01", "2"}));
  EXPECT_EQ(page.List().SelectedItems(), std::vector<int>{1});
  // The menu's sorts go through the same toggles.
  page.RunCommand(ID_SORT_BANDWIDTH);
  EXPECT_EQ(Column(page, 8), (std::vector<std::string>{"2", "0.01", ""}));
  page.RunCommand(ID_SORT_NAME);
  EXPECT_EQ(Column(page, 0), (std::vector<std::string>{"a.avi", "b.avi", "影.avi"}));
  page.RunCommand(ID_SORT_PEER);
  EXPECT_EQ(Column(page, 4), (std::vector<std::string>{"10", "20", "30"}));
}

TEST_F(ResultsPageTest, OneHundredThousandResultsStayUsable) {
  Start();
  host_.searchResults.clear();
  for (unsigned i = 0; i < 100000; ++i)
    host_.searchResults.push_back(Result("片子" + std::to_string(i) + ".avi", 20000 + i % 50, i * 97u, i + 1));
  ResultsPage& page = SearchAndReport("片子");
  ASSERT_EQ(page.RowCount(), 100000u);
  EXPECT_EQ(page.List().ItemCount(), 100000);
  EXPECT_EQ(page.List().ItemText(99999, 0), "片子99999.avi");
  UpdateWindow(page.List().Handle());
  ClickHeader(page, ResultRecord::kSize);
  ClickHeader(page, ResultRecord::kSize);
  EXPECT_EQ(page.List().ItemText(0, 0), "片子99999.avi");
  page.List().SelectOnly({99999});
  SendMessageA(page.List().Handle(), LVM_ENSUREVISIBLE, 99999, FALSE);
  UpdateWindow(page.List().Handle());
  EXPECT_EQ(page.List().TopIndex() + page.List().CountPerPage() >= 99999, true);
  page.RunCommand(ID_RESULT_DOWNLOAD);
  ASSERT_NE(window_->Downloads()->FindTaskByHash(HashOf(1)), nullptr);
  page.RunCommand(ID_RESULT_CLEAR);
  EXPECT_EQ(page.RowCount(), 0u);
  EXPECT_EQ(page.List().ItemCount(), 0);
}

TEST_F(ResultsPageTest, ClearDeletesEveryRowAndLaterResultsStillArrive) {
  Start();
  host_.searchResults = {Result("a.mp3", 20001), Result("b.mp3", 20002)};
  ResultsPage& page = SearchAndReport("mp3");
  page.List().SelectOnly({1});
  page.RunCommand(ID_RESULT_CLEAR);
  EXPECT_EQ(page.RowCount(), 0u);
  EXPECT_EQ(page.List().ItemCount(), 0);
  EXPECT_TRUE(page.List().SelectedItems().empty());
  host_.ReportSearchResults(*window_, page.QueryId());
  Pump(0);
  EXPECT_EQ(page.List().ItemCount(), 2);
}

}  // namespace
