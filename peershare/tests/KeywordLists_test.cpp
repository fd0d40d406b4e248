// The keyword lists and the filter rules the share page and the search
// centre apply with them; the top-ten list and its file.
#include "share/KeywordLists.h"

#include <gtest/gtest.h>

#include "ClientFolder.h"
#include "share/TopTenList.h"

namespace {

using Which = KeywordLists::Which;

TEST(KeywordLists, LinesWithAnyEndAreKeywords) {
  EXPECT_EQ(KeywordLists::SplitLines("a\r\nb\n\nc\rd"), (KeywordLists::List{"a", "b", "c", "d"}));
  EXPECT_EQ(KeywordLists::SplitLines("only one line without end"), (KeywordLists::List{"only one line without end"}));
  EXPECT_TRUE(KeywordLists::SplitLines("\r\n\r\n").empty());
}

TEST(KeywordLists, FilesAreReadAtStartAndListsReplacedWhole) {
  ClientFolder client;
  KeywordLists lists(client.Data());
  EXPECT_EQ(lists.FilePath(Which::Full), client.Data() + "/config/filter.txt");
  EXPECT_EQ(lists.FilePath(Which::Short), client.Data() + "/config/litefilter.txt");
  ASSERT_TRUE(WriteFileBytes(lists.FilePath(Which::Full), "色情\r\n反动\r\n"));
  lists.LoadFiles();  // the short list's file is missing: its list stays empty
  EXPECT_EQ(*lists.Keywords(Which::Full), (KeywordLists::List{"色情", "反动"}));
  EXPECT_TRUE(lists.Keywords(Which::Short)->empty());

  std::shared_ptr<const KeywordLists::List> before = lists.Keywords(Which::Full);
  lists.Replace(Which::Full, "新词");
  EXPECT_EQ(*lists.Keywords(Which::Full), (KeywordLists::List{"新词"}));
  EXPECT_EQ(before->size(), 2u);  // a reader keeps the list it holds

  // A file above 10 MB is not read.
  ASSERT_TRUE(WriteFileBytes(lists.FilePath(Which::Short), std::string(KeywordLists::kMaxFileBytes + 1, 'x')));
  lists.LoadFiles();
  EXPECT_TRUE(lists.Keywords(Which::Short)->empty());
}

TEST(KeywordLists, FriendFilesAndSearchResultsAreFilteredBySubstring) {
  ClientFolder client;
  KeywordLists lists(client.Data());
  lists.Replace(Which::Full, "色情\r\nbad\r\n");
  lists.Replace(Which::Short, "短词\r\n");
  ServerSettings::Values settings;
  const char* hashed = "0123456789abcdef0123456789abcdef";

  EXPECT_TRUE(lists.HidesFriendFile("D:\\色情片.avi", hashed, false, settings, false));
  EXPECT_FALSE(lists.HidesFriendFile("D:\\good.avi", hashed, false, settings, false));
  settings.filterFriend = 0;
  EXPECT_FALSE(lists.HidesFriendFile("D:\\色情片.avi", hashed, false, settings, false));
  EXPECT_TRUE(lists.HidesFriendFile("D:\\bad.avi", hashed, true, settings, false));  // 珍藏 has its own switch
  settings.filterZhenCang = 0;
  EXPECT_FALSE(lists.HidesFriendFile("D:\\bad.avi", hashed, true, settings, false));
  settings.filterFriend = 1;
  EXPECT_FALSE(lists.HidesFriendFile("D:\\bad.avi", hashed, false, settings, true));  // unfiltered mode
  // A file never hashed is never shown.
  EXPECT_TRUE(lists.HidesFriendFile("D:\\good.avi", "00000000000000000000000000000000", false, settings, true));

  EXPECT_TRUE(lists.FiltersSearchResult("一个短词", true, false));
  EXPECT_FALSE(lists.FiltersSearchResult("一个短词", false, false));
  EXPECT_TRUE(lists.FiltersSearchResult("bad movie", false, false));
  EXPECT_FALSE(lists.FiltersSearchResult("bad movie", true, false));
  EXPECT_FALSE(lists.FiltersSearchResult("bad movie", false, true));
}

TEST(TopTenList, EntriesKeepPositionOrderAndSavedOnesComeBackOnReload) {
  ClientFolder client;
  TopTenList list(client.Bin());
  EXPECT_EQ(list.FilePath(), client.Bin() + "/config/topten.ini");
  SYSTEMTIME today = {2026, 12, 2, 8, 10, 0, 0, 0};
  EXPECT_EQ(TopTenList::DayNumber(today), 2026 * 360 + 12 * 30 + 8);

  list.AddTopTenEntry({3, 0, "cccccccccccccccccccccccccccccccc", "第三.avi", 300, 3, ""}, false, today);
  list.AddTopTenEntry({1, 0, "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "first.mp3", 100, 1, ""}, true, today);
  list.AddTopTenEntry({3, 0, "dddddddddddddddddddddddddddddddd", "新第三.avi", 301, 3, ""}, true, today);
  list.AddTopTenEntry({11, 0, "x", "out of range", 1, 1, ""}, true, today);
  list.AddTopTenEntry({0, 0, "x", "out of range", 1, 1, ""}, true, today);
  ASSERT_EQ(list.Rows().size(), 2u);
  EXPECT_EQ(TopTenList::RowText(list.Rows()[0]), "1. first.mp3");
  EXPECT_EQ(TopTenList::RowText(list.Rows()[1]), "3. 新第三.avi");
  EXPECT_EQ(list.FileDate(), TopTenList::DayNumber(today));

  // Entries with size 0 stay out of the list.
  std::string file = ReadFileBytes(list.FilePath());
  ASSERT_TRUE(WriteFileBytes(list.FilePath(), file + "[no5]\r\nsize=0\r\nfilename=empty\r\n"));
  list.Reload();
  ASSERT_EQ(list.Rows().size(), 2u);
  EXPECT_EQ(list.Rows()[1].fileName, "新第三.avi");
  EXPECT_EQ(list.Rows()[1].hash, "dddddddddddddddddddddddddddddddd");
  EXPECT_EQ(list.Rows()[1].size, 301u);
  EXPECT_EQ(list.Rows()[1].fileType, 3);
}

}  // namespace
