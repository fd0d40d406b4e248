// The search bar of the main window and the search centre's tabs, driven as
// the user drives them, with the host that logs every query.
#include "search/SearchCentre.h"

#include <gtest/gtest.h>

#include "SearchFixture.h"

namespace {

using SearchCentreTest = SearchWindowTest;

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

TEST_F(SearchCentreTest, TheFirstTabIsTheSearchCentreWithAnUnusedPage) {
  Start();
  ASSERT_EQ(Centre().TabCount(), 1);
  EXPECT_EQ(Centre().TabTitle(0), "搜索中心");
  EXPECT_FALSE(Centre().Page(0)->InUse());
  EXPECT_TRUE(IsWindowVisible(Centre().Page(0)->Handle()));
  EXPECT_EQ(Centre().Page(0)->List().ColumnCount(), ResultRecord::kColumnCount);
}

TEST_F(SearchCentreTest, ShortKeywordsAndKeywordsWithoutATypeAreRefused) {
  Start();
  Search("ab", 1);
  Search("abc", 0);
  Search("影", 2);
  EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"关键字(文件名)长度必须大于等于3个字符", L"关键字搜索必须指定类型",
                                                   L"关键字(文件名)长度必须大于等于3个字符"}));
  for (const auto& dialog : DialogsCaptioned(L"拓瓦")) EXPECT_EQ(dialog.owner, window_->Handle());
  EXPECT_TRUE(host_.Searches().empty());
  EXPECT_EQ(Centre().TabCount(), 1);
  EXPECT_EQ(Centre().TabTitle(0), "搜索中心");
  EXPECT_FALSE(Centre().Page(0)->InUse());
  EXPECT_TRUE(Enabled(IDC_SEARCH_START));
  EXPECT_FALSE(Enabled(IDC_SEARCH_STOP));
}

TEST_F(SearchCentreTest, TheEmptySearchRunsOnTheFirstPageUntilItIsFinished) {
  Start();
  window_->ShowPanel(MainWindow::kHome);
  WatchAnimation();
  ClickSearch();  // the bar still shows its hint
  ASSERT_EQ(host_.Searches().size(), 1u);
  const LoggingHost::SearchCall call = host_.Searches()[0];
  EXPECT_EQ(call.sequence, 1u);
  EXPECT_EQ(call.maxResults, 200);
  EXPECT_EQ(call.fileType, 0);
  EXPECT_EQ(call.targetPeer, 0u);
  EXPECT_EQ(call.scope, 0);
  EXPECT_EQ(call.keyword, "");
  EXPECT_EQ(Centre().TabCount(), 1);
  EXPECT_EQ(Centre().TabTitle(0), "空搜索 [正在搜索]");
  EXPECT_EQ(Centre().Page(0)->QueryId(), call.queryId);
  EXPECT_EQ(window_->VisiblePanel(), MainWindow::kSearch);
  EXPECT_TRUE(Enabled(IDC_SEARCH_STOP));
  EXPECT_FALSE(Enabled(IDC_SEARCH_START));
  EXPECT_TRUE(Messages().empty());
  // The search animation runs in an endless loop while the query runs.
  EXPECT_EQ(LastAnimationRequest(), (std::pair<UINT, WPARAM>{ACM_PLAY, static_cast<WPARAM>(-1)}));

  window_->SearchFinished(call.queryId);
  EXPECT_EQ(Centre().TabTitle(0), "空搜索");
  EXPECT_FALSE(Enabled(IDC_SEARCH_STOP));
  EXPECT_TRUE(Enabled(IDC_SEARCH_START));
  EXPECT_NE(LastAnimationRequest().second, static_cast<WPARAM>(-1)) << "the endless loop ended";
}

TEST_F(SearchCentreTest, BlanksAndTheHintCountAsAnEmptyKeyword) {
  Start();
  SetSettings(0, 1);
  ClickSearch();
  Search("    ", 0);
  EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"请输入关键字(文件名)", L"请输入关键字(文件名)"}));
  EXPECT_TRUE(host_.Searches().empty());
  SetSettings(0, 0);
  Search("  \t ", 0);
  ASSERT_EQ(host_.Searches().size(), 1u);
  EXPECT_EQ(host_.Searches()[0].keyword, "");
  EXPECT_EQ(Centre().TabTitle(0), "空搜索 [正在搜索]");
}

TEST_F(SearchCentreTest, LeadingBlanksAreCutBeforeTheLengthCheckAndTheQuery) {
  Start();
  Search("   ab", 1);
  EXPECT_EQ(Messages(), std::vector<std::wstring>{L"关键字(文件名)长度必须大于等于3个字符"});
  Search("  功夫片 ", 1);
  ASSERT_EQ(host_.Searches().size(), 1u);
  EXPECT_EQ(host_.Searches()[0].keyword, "功夫片 ");
  EXPECT_EQ(Centre().TabTitle(0), "功夫片  [正在搜索]");
}

TEST_F(SearchCentreTest, TheSameKeywordAndTargetReuseTheirPageWithTheNextSequenceNumber) {
  Start();
  host_.searchResults = {Result("功夫.rmvb", 20001)};
  Search("功夫", 3);
  uint32_t first = LastQueryId();
  ReportResults();
  Search("功夫", 3);
  ASSERT_EQ(host_.Searches().size(), 2u);
  EXPECT_EQ(host_.Searches()[1].queryId, first);
  EXPECT_EQ(host_.Searches()[1].sequence, 2u);
  EXPECT_EQ(Centre().TabCount(), 1);
  ReportResults();
  EXPECT_EQ(Centre().Page(0)->RowCount(), 2u) << "the second answer goes below the first";

  // Another type with the same keyword: the same page, the type's own counter.
  Search("功夫", 2);
  EXPECT_EQ(host_.Searches()[2].queryId, first);
  EXPECT_EQ(host_.Searches()[2].sequence, 1u);
  window_->SearchFinished(first);
  // Another keyword, or the same keyword for a peer: new pages, new ids.
  Search("少林", 3, "全部", 1);
  EXPECT_EQ(Centre().TabCount(), 2);
  EXPECT_EQ(Centre().CurrentTab(), 1);
  EXPECT_EQ(host_.Searches()[3].sequence, 1u) << "type 3 outside";
  EXPECT_GT(host_.Searches()[3].queryId, first);
  EXPECT_EQ(host_.Searches()[3].scope, 1);
  window_->SearchFinished(LastQueryId());
  Search("功夫", 3, "20001");
  EXPECT_EQ(Centre().TabCount(), 3);
  EXPECT_EQ(host_.Searches()[4].targetPeer, 20001u);
  EXPECT_EQ(host_.Searches()[4].sequence, 3u);
  EXPECT_EQ(Centre().TabTitle(0), "功夫");
  EXPECT_EQ(Centre().TabTitle(1), "少林");
  EXPECT_EQ(Centre().TabTitle(2), "功夫 [正在搜索]");
  // Only the current tab's page is shown.
  EXPECT_FALSE(IsWindowVisible(Centre().Page(0)->Handle()));
  EXPECT_FALSE(IsWindowVisible(Centre().Page(1)->Handle()));
  EXPECT_TRUE(IsWindowVisible(Centre().Page(2)->Handle()));
  window_->SearchFinished(LastQueryId());
  Search("功夫", 3);
  EXPECT_EQ(Centre().CurrentTab(), 0);
  EXPECT_TRUE(IsWindowVisible(Centre().Page(0)->Handle()));
  EXPECT_FALSE(IsWindowVisible(Centre().Page(2)->Handle()));
}

TEST_F(SearchCentreTest, SequenceNumbersOfAPairWrapAfter1001) {
  Start();
  for (uint32_t round = 1; round <= 1003; ++round) {
    Search("功夫", 3);
    window_->SearchFinished(LastQueryId());
  }
  auto searches = host_.Searches();
  ASSERT_EQ(searches.size(), 1003u);
  EXPECT_EQ(searches[999].sequence, 1000u);
  EXPECT_EQ(searches[1000].sequence, 1001u);
  EXPECT_EQ(searches[1001].sequence, 1u);
  EXPECT_EQ(searches[1002].sequence, 2u);
  EXPECT_EQ(Centre().TabCount(), 1);
}

TEST_F(SearchCentreTest, TargetsMustBe32BitPeerNumbers) {
  Start();
  HWND targets = Bar(IDC_SEARCH_TARGET);
  Search("abc", 0, "12a");
  Search("abc", 0, "4294967296");
  Search("abc", 0, "99999999999");
  EXPECT_EQ(Messages(), (std::vector<std::wstring>(3, L"输入了无效字符(对方拓瓦号)")));
  EXPECT_TRUE(host_.Searches().empty());
  EXPECT_EQ(SendMessageA(targets, CB_GETCOUNT, 0, 0), 1);
  EXPECT_TRUE(Enabled(IDC_SEARCH_START));

  // A number names the peer: no type is needed, and it joins the list once.
  Search("abc", 0, "4294967295");
  window_->SearchFinished(LastQueryId());
  Search("abc", 0, "4294967295");
  window_->SearchFinished(LastQueryId());
  Search("abc", 0, "00000000012");
  ASSERT_EQ(host_.Searches().size(), 3u);
  EXPECT_EQ(host_.Searches()[0].targetPeer, 4294967295u);
  EXPECT_EQ(host_.Searches()[2].targetPeer, 12u);
  EXPECT_EQ(SendMessageA(targets, CB_GETCOUNT, 0, 0), 3);
  EXPECT_NE(SendMessageA(targets, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("12")),
            CB_ERR);
  // The list's own "全部" names no peer.
  window_->SearchFinished(LastQueryId());
  Search("abc", 0, "全部");
  EXPECT_EQ(Messages().back(), L"关键字搜索必须指定类型");
}

TEST_F(SearchCentreTest, LongKeywordsAreCutTo64BytesWithWholeCharacters) {
  Start();
  Search("a" + Repeat("影", 40), 3);
  window_->SearchFinished(LastQueryId());
  Search(Repeat("片", 32), 3);
  ASSERT_EQ(host_.Searches().size(), 2u);
  EXPECT_EQ(host_.Searches()[0].keyword, "a" + Repeat("影", 31));
  EXPECT_EQ(host_.Searches()[1].keyword, Repeat("片", 32));
}

// The client's text goes through the search box, which keeps characters of
// the code page only; whatever it gives back is cut whole.
TEST_F(SearchCentreTest, KeywordsWithBytesOutsideTheCodePageAreSentWhole) {
  Start();
  window_->StartSearch(3, "\x81\x20\xFF abc\xFE");
  ASSERT_EQ(host_.Searches().size(), 1u);
  std::string sent = host_.Searches()[0].keyword;
  EXPECT_LE(sent.size(), 64u);
  EXPECT_EQ(SearchQuery::CutKeyword(sent), sent);
  EXPECT_NE(sent.find("abc"), std::string::npos) << sent;
  window_->SearchFinished(LastQueryId());
  window_->StartSearch(3, std::string(70, '\x81').c_str());
  EXPECT_TRUE(host_.Searches().size() == 2 || Messages().size() == 1);
  if (host_.Searches().size() == 2) {
    EXPECT_LE(host_.Searches()[1].keyword.size(), 64u);
  }
}

TEST_F(SearchCentreTest, TheClientsSearchFillsTheBarAndShowsTheSearchPanel) {
  Start();
  window_->ShowPanel(MainWindow::kShare);
  window_->StartSearch(1, "月亮代表我的心");
  ASSERT_EQ(host_.Searches().size(), 1u);
  EXPECT_EQ(host_.Searches()[0].fileType, 1);
  EXPECT_EQ(host_.Searches()[0].keyword, "月亮代表我的心");
  EXPECT_EQ(window_->VisiblePanel(), MainWindow::kSearch);
  EXPECT_EQ(Centre().TabTitle(0), "月亮代表我的心 [正在搜索]");
}

TEST_F(SearchCentreTest, SensitiveKeywordsAreRefusedUnlessTheFilterIsOff) {
  WriteLists("全部词\r\n", "色情\r\n反动");
  Start();
  Search("反动派电影", 3);
  EXPECT_EQ(Messages(), std::vector<std::wstring>{L"请不要尝试搜索非法或敏感信息"});
  EXPECT_TRUE(Enabled(IDC_SEARCH_START));
  EXPECT_FALSE(Enabled(IDC_SEARCH_STOP));
  Search("全部词", 3);  // the full list does not refuse queries
  window_->SearchFinished(LastQueryId());
  ASSERT_EQ(host_.Searches().size(), 1u);

  Centre().SetFilterOff(true);
  Search("反动派电影", 3);
  ASSERT_EQ(host_.Searches().size(), 2u);
  EXPECT_EQ(host_.Searches()[1].keyword, "反动派电影");
  EXPECT_EQ(Messages().size(), 1u);
}

// The check runs before the blanks are cut, on the whole keyword.
TEST_F(SearchCentreTest, TheLightListSeesTheKeywordBeforeItsBlanksAreCut) {
  WriteLists("x\r\n", "  a");
  Start();
  Search("  abc", 3);
  EXPECT_EQ(Messages(), std::vector<std::wstring>{L"请不要尝试搜索非法或敏感信息"});
  Search("abc", 3);
  EXPECT_EQ(host_.Searches().size(), 1u);
}

TEST_F(SearchCentreTest, KeywordListsAreReadOnceWhenThePanelIsMade) {
  WriteLists("全\r\n", "坏词\n");
  Start();
  WriteLists("全\r\n", "好词\n");
  window_->Stop();
  ASSERT_EQ(window_->Start(kUser, 1000, 0), 1);
  Search("好词好词", 3);
  EXPECT_EQ(host_.Searches().size(), 1u);
  window_->SearchFinished(LastQueryId());
  Search("坏词坏词", 3);
  EXPECT_EQ(Messages(), std::vector<std::wstring>{L"请不要尝试搜索非法或敏感信息"});
}

TEST_F(SearchCentreTest, WithoutAFullListNoKeywordIsRefused) {
  WriteLists(nullptr, "坏词\n");
  Start();
  Search("坏词坏词", 3);
  EXPECT_EQ(host_.Searches().size(), 1u);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SearchCentreTest, StopEndsTheSearchingStateOfEveryPage) {
  Start();
  Search("功夫", 3);
  EXPECT_EQ(Centre().TabTitle(0), "功夫 [正在搜索]");
  SendMessageA(Bar(IDC_SEARCH_STOP), BM_CLICK, 0, 0);
  EXPECT_EQ(Centre().TabTitle(0), "功夫");
  EXPECT_TRUE(Enabled(IDC_SEARCH_START));
  EXPECT_FALSE(Enabled(IDC_SEARCH_STOP));
  // A late end of that query changes nothing.
  window_->SearchFinished(LastQueryId());
  EXPECT_EQ(Centre().TabTitle(0), "功夫");
}

TEST_F(SearchCentreTest, NoSearchBeforeStartUpHasFinished) {
  Start();
  window_->Suspend();
  SendMessageA(Bar(IDC_SEARCH_START), BM_CLICK, 0, 0);
  EXPECT_TRUE(host_.Searches().empty());
  window_->Resume(0, 0, 0);
  window_->Stop();
  EXPECT_EQ(window_->Search().TabCount(), 0) << "the pages went with the window";
  window_->AddSearchResult(1, HashOf(1).c_str(), "a", 1, 1, "", 2, "", 0, 0, 0, 0, 0, "");
  window_->SearchFinished(1);
  ASSERT_EQ(window_->Start(kUser, 1000, 0), 1);
  EXPECT_EQ(Centre().TabCount(), 1);
  EXPECT_EQ(Centre().TabTitle(0), "搜索中心");
}

}  // namespace
