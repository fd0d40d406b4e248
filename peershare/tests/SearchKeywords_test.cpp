// The search centre's reading of the keyword lists: the full list first,
// each file split at every CR and LF.
#include "share/KeywordLists.h"

#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"

namespace {

using Which = KeywordLists::Which;

class SearchKeywordsTest : public ::testing::Test {
 protected:
  SearchKeywordsTest() {
    CreateDirectoryA(folder_.Path().c_str(), nullptr);
    CreateDirectoryA(folder_.File("config").c_str(), nullptr);
  }
  void WriteList(Which which, const std::string& content) {
    ASSERT_TRUE(WriteFileBytes(lists_.FilePath(which), content));
  }
  KeywordLists::List Read(Which which) const { return *lists_.Keywords(which); }

  TempFolder folder_;
  KeywordLists lists_{folder_.Path()};
};

TEST_F(SearchKeywordsTest, EveryCrAndLfEndsAKeyword) {
  WriteList(Which::Full, "色情\r\n反动\r\r\n\n赌博\r毒品\n\n枪支");
  WriteList(Which::Short, "短\n");
  lists_.LoadFullListFirst();
  EXPECT_EQ(Read(Which::Full), (KeywordLists::List{"色情", "反动", "赌博", "毒品", "枪支"}));
  EXPECT_EQ(Read(Which::Short), KeywordLists::List{"短"});
}

TEST_F(SearchKeywordsTest, WithoutAFullListNothingIsRead) {
  WriteList(Which::Short, "短\n");
  lists_.LoadFullListFirst();
  EXPECT_TRUE(Read(Which::Full).empty());
  EXPECT_TRUE(Read(Which::Short).empty());
  EXPECT_FALSE(lists_.FiltersSearchResult("短片", true, false));
}

TEST_F(SearchKeywordsTest, AFullListWithoutKeywordsLeavesTheShortListUnread) {
  for (const std::string& empty : {std::string(), std::string("\r\n\r\n\n")}) {
    KeywordLists lists(folder_.Path());
    WriteList(Which::Full, empty);
    WriteList(Which::Short, "短\n");
    lists.LoadFullListFirst();
    EXPECT_TRUE(lists.Keywords(Which::Full)->empty());
    EXPECT_TRUE(lists.Keywords(Which::Short)->empty());
  }
}

// 10 MiB of 100,000-byte keywords: read whole; one byte more is refused.
TEST_F(SearchKeywordsTest, ListsUpToTenMebibytesAreRead) {
  std::string line(99998, 'k');
  std::string content;
  while (content.size() + line.size() + 2 <= KeywordLists::kMaxFileBytes) content += line + "\r\n";
  content.resize(KeywordLists::kMaxFileBytes, 'z');
  WriteList(Which::Full, content);
  WriteList(Which::Short, std::string(100000, 's'));
  lists_.LoadFullListFirst();
  KeywordLists::List full = Read(Which::Full);
  ASSERT_EQ(full.size(), KeywordLists::kMaxFileBytes / 100000 + 1);
  EXPECT_EQ(full.front(), line);
  EXPECT_EQ(full.back(), std::string(KeywordLists::kMaxFileBytes % 100000, 'z'));
  EXPECT_EQ(Read(Which::Short), KeywordLists::List{std::string(100000, 's')}) << "a list without a final line end";
  EXPECT_FALSE(lists_.FiltersSearchResult(std::string(262, 'k'), false, false)) << "keywords longer than the name";

  KeywordLists tooLarge(folder_.Path());
  WriteList(Which::Full, content + "x");
  tooLarge.LoadFullListFirst();
  EXPECT_TRUE(tooLarge.Keywords(Which::Full)->empty());
  EXPECT_TRUE(tooLarge.Keywords(Which::Short)->empty());
}

}  // namespace
