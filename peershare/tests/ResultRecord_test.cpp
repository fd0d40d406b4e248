// A search result as the host hands it in: the fields cut to their limits and
// the cells the results page shows.
#include "search/ResultRecord.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ResultRecord Make(const std::string& name, uint32_t size, int32_t kind = 3, int32_t bandwidth = 512,
                  const char* comment = "注释", const char* nickname = "小明") {
  return ResultRecord::FromHost("0123456789abcdef0123456789abcdef", name.c_str(), size, 3, comment, 20001, nickname,
                                kind, 0x0A000001, 4662, bandwidth, 77, "extra");
}

TEST(ResultRecord, ConnectionKindsUpTo3AreOutsideNetworks) {
  EXPECT_EQ(Make("a", 1, 3).CellText(ResultRecord::kConnection), "外网");
  EXPECT_EQ(Make("a", 1, -5).CellText(ResultRecord::kConnection), "外网");
  EXPECT_EQ(Make("a", 1, 4).CellText(ResultRecord::kConnection), "内网");
}

TEST(ResultRecord, BandwidthCellIsEmptyForNoneAndHasNoUnit) {
  EXPECT_EQ(Make("a", 1, 3, 0).CellText(ResultRecord::kBandwidth), "");
  EXPECT_EQ(Make("a", 1, 3, -20).CellText(ResultRecord::kBandwidth), "");
  EXPECT_EQ(Make("a", 1, 3, 512).CellText(ResultRecord::kBandwidth), "0.50");
  EXPECT_EQ(Make("a", 1, 3, 2048).CellText(ResultRecord::kBandwidth), "2");
  EXPECT_EQ(Make("a", 1, 3, 1264000).CellText(ResultRecord::kBandwidth), "1, 234");
}

TEST(ResultRecord, NullLineMeansNoComment) {
  EXPECT_EQ(Make("a", 1, 3, 0, "null\n").comment, "");
  EXPECT_EQ(Make("a", 1, 3, 0, "null").comment, "null");
  EXPECT_EQ(Make("a", 1, 3, 0, nullptr).comment, "");
  EXPECT_EQ(Make("a", 1, 3, 0, "好片").CellText(ResultRecord::kComment), "好片");
}

TEST(ResultRecord, CoinsAreWholeMebibytes) {
  EXPECT_EQ(Make("a", 3000000).CellText(ResultRecord::kCoins), "2");
  EXPECT_EQ(Make("a", 100000).CellText(ResultRecord::kCoins), "0");
  EXPECT_EQ(Make("a", 1048576).CellText(ResultRecord::kCoins), "1");
  EXPECT_EQ(Make("a", 4294967295u).CellText(ResultRecord::kCoins), "4095");
  EXPECT_EQ(Make("a", 4294967295u).CellText(ResultRecord::kSize), "4, 194, 303 KB");
  EXPECT_EQ(Make("a", 512).CellText(ResultRecord::kSize), "0.50KB");
}

TEST(ResultRecord, TypesPeersAndNames) {
  ResultRecord record = Make("月亮.mp3", 1);
  EXPECT_EQ(record.CellText(ResultRecord::kName), "月亮.mp3");
  EXPECT_EQ(record.CellText(ResultRecord::kType), "视频");
  EXPECT_EQ(record.CellText(ResultRecord::kPeer), "20001");
  EXPECT_EQ(record.CellText(ResultRecord::kNickname), "小明");
  EXPECT_EQ(record.CellText(ResultRecord::kPlay), "");
  EXPECT_TRUE(record.Playable());
  EXPECT_FALSE(Make("说明.txt", 1).Playable());
  const char* types[] = {"未知", "音乐", "图片", "视频", "图书", "资料", "软件", "游戏", "未知", "未知"};
  for (int32_t category = 0; category <= 9; ++category) {
    record.category = category;
    EXPECT_EQ(record.CellText(ResultRecord::kType), types[category]) << category;
  }
  record.category = -1;
  EXPECT_EQ(record.CellText(ResultRecord::kType), "未知");
  EXPECT_EQ(record.CellText(99), "");
}

TEST(ResultRecord, NetworkTextsAreCutToTheirFields) {
  ResultRecord record = Make(std::string(300, 'n'), 1, 3, 0, std::string(100, 'c').c_str(),
                             std::string(200, 'k').c_str());
  EXPECT_EQ(record.fileName, std::string(262, 'n'));
  EXPECT_EQ(record.comment, std::string(67, 'c'));
  EXPECT_EQ(record.nickname, std::string(127, 'k'));
  // A character across the limit goes whole.
  std::string name = std::string(261, 'n') + "影片";
  EXPECT_EQ(Make(name, 1).fileName, std::string(261, 'n'));
  std::string nickname = std::string(126, 'k') + "影";
  EXPECT_EQ(Make("a", 1, 3, 0, "", nickname.c_str()).nickname, std::string(126, 'k'));
  ResultRecord nulls = ResultRecord::FromHost(nullptr, nullptr, 0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, nullptr);
  EXPECT_EQ(nulls.hash, "");
  EXPECT_EQ(nulls.fileName, "");
  EXPECT_EQ(nulls.extra, "");
  EXPECT_EQ(ResultRecord::FromHost(std::string(40, 'f').c_str(), "a", 0, 0, "", 0, "", 0, 0, 0, 0, 0,
                                   std::string(5000, 'x').c_str())
                .hash,
            std::string(32, 'f'));
}

TEST(ResultRecord, TheHostsValuesAreKept) {
  ResultRecord record = Make("a", 1);
  EXPECT_EQ(record.ip, 0x0A000001u);
  EXPECT_EQ(record.port, 4662);
  EXPECT_EQ(record.peerTag, 77u);
  EXPECT_EQ(record.extra, "extra");
}

TEST(ResultRecord, NamesCompareByteWiseAndTheRestByNumber) {
  ResultRecord a = Make("b", 3000000, 3, 100), b = Make("影", 100000, 4, 2000);
  EXPECT_LT(ResultRecord::Compare(a, b, ResultRecord::kName), 0) << "bytes above 0x7F sort after ASCII";
  EXPECT_GT(ResultRecord::Compare(a, b, ResultRecord::kCoins), 0);
  EXPECT_GT(ResultRecord::Compare(a, b, ResultRecord::kSize), 0);
  EXPECT_LT(ResultRecord::Compare(a, b, ResultRecord::kBandwidth), 0);
  EXPECT_LT(ResultRecord::Compare(a, b, ResultRecord::kConnection), 0);
  b.peerId = 9;
  EXPECT_GT(ResultRecord::Compare(a, b, ResultRecord::kPeer), 0);
  EXPECT_EQ(ResultRecord::Compare(a, a, ResultRecord::kComment), 0);
}

}  // namespace
