// The parts of a query that need no window: keyword cuts, target numbers,
// titles, sequence numbers and query ids.
#include "search/SearchQuery.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "search/QueryIds.h"
#include "search/SequenceNumbers.h"

namespace {

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(SearchQuery, KeywordsAreCutTo64BytesWithoutSplittingACharacter) {
  std::string exact = Repeat("影", 32);
  EXPECT_EQ(SearchQuery::CutKeyword(exact), exact);
  EXPECT_EQ(SearchQuery::CutKeyword(exact + "x"), exact);
  // A double-byte character that would end at byte 65 goes whole.
  std::string odd = "a" + Repeat("影", 32);
  EXPECT_EQ(SearchQuery::CutKeyword(odd), "a" + Repeat("影", 31));
  EXPECT_EQ(SearchQuery::CutKeyword(std::string(1000, 'k')), std::string(64, 'k'));
  // A lead byte without its second byte stays a byte of its own.
  EXPECT_EQ(SearchQuery::CutKeyword(std::string(63, 'k') + "\x81"), std::string(63, 'k') + "\x81");
}

TEST(SearchQuery, LeadingBlanksAreCutAndOnlyThem) {
  EXPECT_EQ(SearchQuery::WithoutLeadingBlanks("  \t功夫 片 "), "功夫 片 ");
  EXPECT_EQ(SearchQuery::WithoutLeadingBlanks("    "), "");
  EXPECT_EQ(SearchQuery::WithoutLeadingBlanks(""), "");
}

TEST(SearchQuery, TargetTextsAreAllANumberOrInvalid) {
  uint32_t number = 77;
  EXPECT_EQ(SearchQuery::ParseTarget("全部", number), SearchQuery::Target::All);
  EXPECT_EQ(SearchQuery::ParseTarget("x全部x", number), SearchQuery::Target::All);
  EXPECT_EQ(SearchQuery::ParseTarget("", number), SearchQuery::Target::All);
  EXPECT_EQ(number, 77u) << "only a number is written";
  EXPECT_EQ(SearchQuery::ParseTarget("12a", number), SearchQuery::Target::Invalid);
  EXPECT_EQ(SearchQuery::ParseTarget(" 12", number), SearchQuery::Target::Invalid);
  EXPECT_EQ(SearchQuery::ParseTarget("-1", number), SearchQuery::Target::Invalid);
  EXPECT_EQ(SearchQuery::ParseTarget("１２", number), SearchQuery::Target::Invalid) << "full-width digits";
  EXPECT_EQ(SearchQuery::ParseTarget("12345", number), SearchQuery::Target::Number);
  EXPECT_EQ(number, 12345u);
  EXPECT_EQ(SearchQuery::ParseTarget("4294967295", number), SearchQuery::Target::Number);
  EXPECT_EQ(number, 4294967295u);
  EXPECT_EQ(SearchQuery::ParseTarget("00000000012", number), SearchQuery::Target::Number);
  EXPECT_EQ(number, 12u);
  // No 32-bit number: refused, never wrapped round.
  EXPECT_EQ(SearchQuery::ParseTarget("4294967296", number), SearchQuery::Target::Invalid);
  EXPECT_EQ(SearchQuery::ParseTarget("99999999999", number), SearchQuery::Target::Invalid);
  EXPECT_EQ(SearchQuery::ParseTarget(std::string(5000, '9'), number), SearchQuery::Target::Invalid);
  EXPECT_EQ(number, 12u);
  EXPECT_EQ(SearchQuery::ParseTarget("000", number), SearchQuery::Target::All) << "peer 0 is no peer";
}

TEST(SearchQuery, TitlesNameTheKeywordOrTheEmptySearch) {
  SearchQuery query;
  EXPECT_EQ(query.Title(true), "空搜索 [正在搜索]");
  EXPECT_EQ(query.Title(false), "空搜索");
  query.keyword = "功夫";
  EXPECT_EQ(query.Title(true), "功夫 [正在搜索]");
  EXPECT_EQ(query.Title(false), "功夫");
}

TEST(SequenceNumbers, EachPairCountsFrom1To1001AndAgain) {
  SequenceNumbers numbers;
  for (uint32_t expected = 1; expected <= 1001; ++expected) ASSERT_EQ(numbers.Next(1, 0), expected);
  EXPECT_EQ(numbers.Next(1, 0), 1u);
  EXPECT_EQ(numbers.Next(1, 0), 2u);
  // The other pairs kept their own counters.
  EXPECT_EQ(numbers.Next(1, 1), 1u);
  EXPECT_EQ(numbers.Next(8, 1), 1u);
  EXPECT_EQ(numbers.Next(0, 0), 1u);
  // Out of range counts as the pair (0, 0).
  EXPECT_EQ(numbers.Next(9, 0), 2u);
  EXPECT_EQ(numbers.Next(-1, 5), 3u);
}

TEST(QueryIds, AreNeverRepeatedWithinTheProcess) {
  std::set<uint32_t> seen;
  uint32_t last = 0;
  for (int i = 0; i < 1000; ++i) {
    uint32_t id = QueryIds::Next();
    EXPECT_NE(id, 0u);
    EXPECT_GT(id, last);
    last = id;
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), 1000u);
}

}  // namespace
