#include "transfer/CoinAccount.h"

#include <gtest/gtest.h>

#include "LoggingHost.h"

namespace {

constexpr int64_t kMiB = 1048576;

class CoinAccountTest : public ::testing::Test {
 protected:
  std::atomic<int64_t> billable_{0};
  CoinAccount account_{billable_};
  LoggingHost host_;
};

TEST_F(CoinAccountTest, WholeMebibytesAreChargedAndTheRestWaits) {
  account_.SetBalance(100);
  billable_ = 3 * kMiB + 5;
  account_.Settle(&host_, false);
  EXPECT_EQ(account_.Balance(), 97);
  EXPECT_EQ(billable_.load(), 5);
  EXPECT_TRUE(host_.CallsOf("AddTraffic").empty()) << "3 coins are below the reporting step";
}

TEST_F(CoinAccountTest, TheHostHearsOnceTheBalanceMovedFiftyCoins) {
  account_.SetBalance(200);
  billable_ = 49 * kMiB;
  account_.Settle(&host_, false);
  EXPECT_TRUE(host_.CallsOf("AddTraffic").empty());
  billable_ += kMiB;
  account_.Settle(&host_, false);
  EXPECT_EQ(host_.CallsOf("AddTraffic"), std::vector<std::string>{"AddTraffic(50, 0)"});
  EXPECT_EQ(account_.LastReported(), 150);
}

TEST_F(CoinAccountTest, UploadsEarnCoinsAndCountForTheDay) {
  account_.SetBalance(10);
  uint32_t dayBefore = CoinAccount::DayUploadMiB().load();
  account_.AddUploadedBytes(60 * kMiB + 1);
  billable_ = 2 * kMiB;
  account_.Settle(&host_, false);
  EXPECT_EQ(account_.Balance(), 68);
  EXPECT_EQ(account_.UploadedBytes(), 1);
  EXPECT_EQ(CoinAccount::DayUploadMiB().load() - dayBefore, 60u);
  EXPECT_EQ(host_.CallsOf("AddTraffic"), std::vector<std::string>{"AddTraffic(2, 60)"});
  EXPECT_EQ(account_.EarnedSinceReport(), 0);
}

TEST_F(CoinAccountTest, ClosingReportsWhateverMoved) {
  account_.SetBalance(10);
  billable_ = kMiB;
  account_.Settle(&host_, true);
  EXPECT_EQ(host_.CallsOf("AddTraffic"), std::vector<std::string>{"AddTraffic(1, 0)"});
  account_.Settle(&host_, true);
  EXPECT_EQ(host_.CallsOf("AddTraffic").size(), 1u) << "nothing spent or earned since";
}

TEST_F(CoinAccountTest, CoversComparesWithFractions) {
  // 5,000,000 bytes need 4.77 coins plus the two in reserve.
  double need = 5000000.0 / kMiB + 2;
  account_.SetBalance(6);
  EXPECT_FALSE(account_.Covers(need));
  account_.SetBalance(7);
  EXPECT_TRUE(account_.Covers(need));
  account_.SetBalance(80);
  EXPECT_TRUE(account_.Covers(need));
  // The largest file: 4 GiB - 1 byte needs 4096 coins less a trifle.
  double largest = 4294967295.0 / kMiB + 2;
  account_.SetBalance(4098);
  EXPECT_TRUE(account_.Covers(largest));
  account_.SetBalance(4097);
  EXPECT_FALSE(account_.Covers(largest));
}

TEST_F(CoinAccountTest, HugeAccumulatorsNeitherOverflowNorWrap) {
  account_.SetBalance(0);
  billable_ = int64_t(40) * 4294967295LL;  // forty files of 4 GB - 1
  account_.Settle(&host_, true);
  EXPECT_EQ(account_.ExactBalance(), -(int64_t(40) * 4294967295LL / kMiB));
  EXPECT_LT(billable_.load(), kMiB);
}

}  // namespace
