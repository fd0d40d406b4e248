// The daily flow counter against a real flowReport.dat, with the clock
// standing where each case needs it.
#include "transfer/DailyFlowCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "DownloadListFixture.h"
#include "LoggingHost.h"
#include "TempFolder.h"
#include "transfer/CoinAccount.h"

namespace {

class DailyFlowCounterTest : public ::testing::Test {
 protected:
  DailyFlowCounterTest() : counter_(temp_.File("flowReport.dat")) { StandAt(2026, 12, 8, 15, 0); }

  struct Counter {
    explicit Counter(const std::string& path) : flow(value, path) {}
    std::atomic<uint32_t> value{0};
    DailyFlowCounter flow;
  };

  void StandAt(int year, int month, int day, int hour, int minute) {
    now_ = LocalClock::At(year, month, day, hour, minute);
    ASSERT_GT(now_, 0);
  }
  void Prepare(int32_t appServer) {
    counter_.flow.SetHost(&host_);
    counter_.flow.SetAppServer(appServer);
    counter_.flow.SetClock([this] { return now_; });
  }
  void WriteRecord(int64_t stamp, int32_t count) {
    DailyFlowFile::Layout bytes = DailyFlowFile::Encode({static_cast<uint32_t>(stamp), count});
    ASSERT_TRUE(WriteFileBytes(Path(), std::string(reinterpret_cast<const char*>(&bytes), sizeof bytes)));
  }
  DailyFlowFile::Record ReadRecord() const {
    DailyFlowFile::Record record;
    EXPECT_TRUE(DailyFlowFile(Path()).Read(record));
    return record;
  }
  std::string Path() const { return temp_.File("flowReport.dat"); }
  std::vector<std::string> Reports() const { return host_.CallsOf("ReportTraffic"); }
  static std::string ReportLine(uint32_t amount, int64_t stamp) {
    return "ReportTraffic(" + std::to_string(amount) + ", " + std::to_string(static_cast<int32_t>(stamp)) + ", 1)";
  }

  TempFolder temp_;
  LoggingHost host_;
  Counter counter_;
  int64_t now_ = 0;
};

TEST(DailyFlowFileLayout, EightLittleEndianBytesInEveryBuild) {
  EXPECT_EQ(sizeof(DailyFlowFile::Layout), 8u);
  DailyFlowFile::Layout bytes = DailyFlowFile::Encode({0x11223344u, -2});
  const uint8_t expected[8] = {0x44, 0x33, 0x22, 0x11, 0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::memcmp(&bytes, expected, 8), 0);
  DailyFlowFile::Record back = DailyFlowFile::Decode(bytes);
  EXPECT_EQ(back.dayStamp, 0x11223344u);
  EXPECT_EQ(back.mebibytes, -2);
}

TEST_F(DailyFlowCounterTest, ACountOfTodayGoesOnAndTheTickWritesTheSum) {
  WriteRecord(LocalClock::At(2026, 12, 8, 9, 30), 37);
  Prepare(1);
  counter_.flow.Start();
  EXPECT_EQ(counter_.value.load(), 37u);
  EXPECT_TRUE(Reports().empty());
  counter_.value.fetch_add(5);
  StandAt(2026, 12, 8, 15, 30);
  counter_.flow.Tick();
  DailyFlowFile::Record record = ReadRecord();
  EXPECT_EQ(record.dayStamp, static_cast<uint32_t>(now_));
  EXPECT_EQ(record.mebibytes, 42);
  EXPECT_TRUE(Reports().empty());
}

TEST_F(DailyFlowCounterTest, ACountOfYesterdayIsReportedOnlyWithAnAppServerAndTheFileStartsAgain) {
  const int64_t yesterday = LocalClock::At(2026, 12, 7, 20, 0);
  for (int32_t appServer : {1, 0}) {
    host_.ClearCalls();
    counter_.value.store(0);
    WriteRecord(yesterday, 12);
    Prepare(appServer);
    counter_.flow.Start();
    EXPECT_EQ(counter_.value.load(), 0u);
    if (appServer != 0) {
      EXPECT_EQ(Reports(), std::vector<std::string>{ReportLine(12, yesterday)});
    } else {
      EXPECT_TRUE(Reports().empty());
    }
    DailyFlowFile::Record record = ReadRecord();
    EXPECT_EQ(record.dayStamp, static_cast<uint32_t>(now_));
    EXPECT_EQ(record.mebibytes, 0);
  }
}

TEST_F(DailyFlowCounterTest, AShortOrMissingFileLeavesCounterAndFileAlone) {
  Prepare(1);
  counter_.flow.Start();
  EXPECT_EQ(GetFileAttributesA(Path().c_str()), INVALID_FILE_ATTRIBUTES) << "start never creates the file";
  for (size_t size : {0u, 4u, 7u}) {
    std::string bytes(size, '\x07');
    ASSERT_TRUE(WriteFileBytes(Path(), bytes));
    counter_.flow.Start();
    EXPECT_EQ(counter_.value.load(), 0u) << size;
    EXPECT_EQ(ReadFileBytes(Path()), bytes) << size;
  }
  EXPECT_TRUE(Reports().empty());
  // The first tick makes the file.
  DeleteFileA(Path().c_str());
  counter_.value.store(3);
  counter_.flow.Tick();
  EXPECT_EQ(ReadRecord().mebibytes, 3);
}

TEST_F(DailyFlowCounterTest, ANineByteFileIsReadByItsFirstEightAndANegativeCountIsNone) {
  DailyFlowFile::Layout bytes = DailyFlowFile::Encode({static_cast<uint32_t>(now_ - 60), 9});
  ASSERT_TRUE(WriteFileBytes(Path(), std::string(reinterpret_cast<const char*>(&bytes), 8) + "x"));
  Prepare(1);
  counter_.flow.Start();
  EXPECT_EQ(counter_.value.load(), 9u);
  counter_.value.store(0);
  WriteRecord(now_ - 60, -5);
  counter_.flow.Start();
  EXPECT_EQ(counter_.value.load(), 0u);
  EXPECT_TRUE(Reports().empty());
}

// A stamp of a later day (a clock that was set back) is no count of today.
TEST_F(DailyFlowCounterTest, AStampInTheFutureDoesNotRunIntoToday) {
  WriteRecord(LocalClock::At(2027, 3, 1, 12, 0), 8);
  Prepare(0);
  counter_.flow.Start();
  EXPECT_EQ(counter_.value.load(), 0u);
  DailyFlowFile::Record record = ReadRecord();
  EXPECT_EQ(record.dayStamp, static_cast<uint32_t>(now_));
  EXPECT_EQ(record.mebibytes, 0);
}

TEST_F(DailyFlowCounterTest, TheTickAfterMidnightReportsTheDayAnHourEarlierAndStartsAtZero) {
  StandAt(2026, 12, 7, 23, 40);
  Prepare(1);
  counter_.flow.Start();
  counter_.value.store(21);
  counter_.flow.Tick();
  EXPECT_TRUE(Reports().empty());
  StandAt(2026, 12, 8, 0, 10);
  counter_.flow.Tick();
  EXPECT_EQ(Reports(), std::vector<std::string>{ReportLine(21, now_ - DailyFlowCounter::kHour)});
  EXPECT_EQ(counter_.value.load(), 0u);
  DailyFlowFile::Record record = ReadRecord();
  EXPECT_EQ(record.dayStamp, static_cast<uint32_t>(now_));
  EXPECT_EQ(record.mebibytes, 0);
  // The next half hour of the same night reports nothing again.
  counter_.value.store(2);
  StandAt(2026, 12, 8, 0, 25);
  counter_.flow.Tick();
  EXPECT_EQ(Reports().size(), 1u);
  EXPECT_EQ(ReadRecord().mebibytes, 2);
}

// A machine that slept over the half hour after midnight still reports the
// day that ended, with a moment of that day.
TEST_F(DailyFlowCounterTest, ALateTickStillReportsTheDayThatEnded) {
  StandAt(2026, 12, 7, 22, 0);
  Prepare(1);
  counter_.flow.Start();
  counter_.value.store(6);
  StandAt(2026, 12, 8, 9, 0);
  counter_.flow.Tick();
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_EQ(Reports()[0], ReportLine(6, LocalClock::At(2026, 12, 7, 22, 0)));
}

}  // namespace

namespace {

// The download list reads the file when it loads its document and writes it
// from its 30-minute timer; the coin accounting's MiB are what it counts.
TEST_F(DownloadListTest, TheListStartsTheDailyFlowAndItsTimerWritesTheCount) {
  std::string config = Bin() + "\\config";
  CreateDirectoryA(config.c_str(), nullptr);
  DailyFlowFile file(DailyFlowFile::PathIn(Bin()));
  const int64_t yesterday = LocalClock::At(2026, 12, 7, 21, 0);
  ASSERT_TRUE(file.Replace({static_cast<uint32_t>(yesterday), 12}));
  int64_t now = LocalClock::At(2026, 12, 8, 15, 0);
  list_ = std::make_unique<DownloadList>(&host_, Bin());
  list_->SetPrompts(&prompts_);
  list_->SetDocumentPath(DocumentPath());
  list_->SetAppServer(1);
  list_->SetClock([&now] { return now; });
  RECT area = {0, 0, 880, 380};
  ASSERT_TRUE(list_->Create(parent_, 100, area));
  EXPECT_EQ(host_.CallsOf("ReportTraffic"),
            std::vector<std::string>{"ReportTraffic(12, " + std::to_string(static_cast<int32_t>(yesterday)) + ", 1)"});
  const uint32_t before = CoinAccount::DayUploadMiB().load();
  CoinAccount::DayUploadMiB().fetch_add(3);
  now += 1800;
  SendMessageA(list_->Handle(), WM_TIMER, DownloadList::kDailyFlowTimer, 0);
  DailyFlowFile::Record record;
  ASSERT_TRUE(file.Read(record));
  EXPECT_EQ(record.dayStamp, static_cast<uint32_t>(now));
  EXPECT_EQ(static_cast<uint32_t>(record.mebibytes), before + 3);
}

}  // namespace
