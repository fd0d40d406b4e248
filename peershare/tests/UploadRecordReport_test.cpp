// The upload record report against the web server double: the request it
// sends, the answers that take records out of the log and those that keep
// them, and logs the report must not trust.
#include "transfer/UploadRecordReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "TempFolder.h"
#include "WebServerDouble.h"
#include "transfer/LocalClock.h"

namespace {

constexpr uint32_t kUser = 10001;
constexpr const char* kEndpoint = "/flow/report.asp";

class UploadRecordReportTest : public ::testing::Test {
 protected:
  UploadRecordReportTest() {
    now_ = LocalClock::At(2026, 12, 8, 15, 0);
    yesterday_ = LocalClock::At(2026, 12, 7, 10, 0);
    FlowReportPost::Timeouts quick;
    quick.connect = quick.send = quick.receive = 1500;
    report_.SetTimeouts(quick);
  }

  static std::string Record(int64_t timestamp, const std::string& friendId, const std::string& ip,
                            const std::string& amount) {
    return "<HasUpload timestamp=\"" + std::to_string(timestamp) + "\" friendid=\"" + friendId + "\" realIP=\"" + ip +
           "\" uploadnum=\"" + amount + "\"/>\r\n";
  }
  void WriteLog(const std::string& records) {
    ASSERT_TRUE(WriteFileBytes(LogPath(), "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<Transmit>\r\n" + records +
                                              "</Transmit>\r\n"));
  }
  // Three records of yesterday and one of today.
  void WriteMixedLog() {
    WriteLog(Record(yesterday_, "11", "10.0.0.1", "512") + Record(yesterday_ + 60, "12", "10.0.0.2", "512") +
             Record(now_ - 3600, "14", "10.0.0.4", "4096") + Record(yesterday_ + 120, "13", "10.0.0.3", "1024"));
  }
  void Answer(const std::string& rule) { ASSERT_TRUE(server_.SetRules(std::string(kEndpoint) + " " + rule + "\n")); }
  UploadRecordReport::Outcome Run(const std::string& url) {
    UploadRecordReport::Inputs inputs;
    inputs.uploadRecord = 1;
    inputs.uploadUrl = url;
    inputs.user = kUser;
    inputs.logPath = LogPath();
    inputs.now = now_;
    return report_.Run(inputs);
  }
  UploadRecordReport::Outcome Run() { return Run(server_.Address() + kEndpoint); }
  std::string LogPath() const { return temp_.File("transmitout10001.xml"); }
  std::string LogText() const { return ReadFileBytes(LogPath()); }
  size_t Posts() const {
    std::string log = server_.Log();
    size_t count = 0;
    for (size_t at = log.find("POST "); at != std::string::npos; at = log.find("POST ", at + 1)) ++count;
    return count;
  }

  TempFolder temp_;
  WebServerDouble server_;
  UploadRecordReport report_;
  int64_t now_ = 0, yesterday_ = 0;
};

TEST(FlowReportPostAddress, HostPortAndPathAreSplitAsTheSettingGivesThem) {
  FlowReportPost::Address address;
  ASSERT_TRUE(FlowReportPost::Split("flow.example.net/report/up.asp?from=tv", address));
  EXPECT_EQ(address.host, "flow.example.net");
  EXPECT_EQ(address.port, 80);
  EXPECT_EQ(address.path, "/report/up.asp?from=tv");
  ASSERT_TRUE(FlowReportPost::Split("flow.example.net:8080/up.asp", address));
  EXPECT_EQ(address.host, "flow.example.net");
  EXPECT_EQ(address.port, 8080);
  EXPECT_EQ(address.path, "/up.asp");
  for (const char* bad : {"flow.example.net", "flow.example.net:8080", "flow.example.net:80x/up", "/up.asp",
                          "flow.example.net:99999/up", "a b/up"}) {
    EXPECT_FALSE(FlowReportPost::Split(bad, address)) << bad;
    EXPECT_EQ(FlowReportPost::Post(bad, {"ClientID=1"}, {}), FlowReportPost::kFailed) << bad;
  }
}

TEST(FlowReportPostAnswer, TheNumberAtTheStartOfTheLastBlock) {
  EXPECT_EQ(FlowReportPost::ReadAnswer("2"), 2);
  EXPECT_EQ(FlowReportPost::ReadAnswer("0\r\n<html>"), 0);
  EXPECT_EQ(FlowReportPost::ReadAnswer(" -1"), -1);
  EXPECT_EQ(FlowReportPost::ReadAnswer("ok"), FlowReportPost::kFailed);
  EXPECT_EQ(FlowReportPost::ReadAnswer(""), FlowReportPost::kFailed);
  EXPECT_EQ(FlowReportPost::ReadAnswer("99999999999"), FlowReportPost::kFailed);
}

TEST_F(UploadRecordReportTest, YesterdaysRecordsAreSentAsOneRequestAndTakenOutOnAnswerTwo) {
  ASSERT_TRUE(server_.Ok());
  WriteMixedLog();
  Answer("answer 2");
  UploadRecordReport::Outcome outcome = Run();
  EXPECT_EQ(outcome.step, UploadRecordReport::Step::Sent);
  EXPECT_EQ(outcome.answer, 2);
  EXPECT_EQ(outcome.removed, 3u);
  std::string log = server_.Log();
  EXPECT_EQ(log.find("POST /flow/report.asp&ClientID=10001&Timestamp=20261208&Flow=2.00&"
                     "Connectors=11@10.0.0.1,12@10.0.0.2,13@10.0.0.3 HTTP/1.1\r\n"),
            0u)
      << log;
  for (const char* header : {"\r\nAccept: text/*\r\n", "\r\nUser-Agent: HttpCall\r\n", "\r\nAccept-Language: en-us\r\n",
                             "\r\nHost: " })
    EXPECT_NE(log.find(header), std::string::npos) << header;
  EXPECT_EQ(log.find("Content-Length: 1"), std::string::npos) << "no body";
  std::string kept = LogText();
  EXPECT_EQ(kept.find("friendid=\"11\""), std::string::npos);
  EXPECT_EQ(kept.find("friendid=\"13\""), std::string::npos);
  EXPECT_NE(kept.find("friendid=\"14\""), std::string::npos) << "today's record waits";
}

TEST_F(UploadRecordReportTest, OnlyAnswersZeroAndTwoTakeRecordsOut) {
  ASSERT_TRUE(server_.Ok());
  struct Case {
    const char* rule;
    int32_t answer;
    bool removed;
  };
  const Case cases[] = {{"answer 0", 0, true},    {"answer 1", 1, false},  {"answer -1", -1, false},
                        {"answer ok", -1, false}, {"status 500", -1, false}, {"drop", -1, false}};
  for (const Case& each : cases) {
    WriteMixedLog();
    Answer(each.rule);
    UploadRecordReport::Outcome outcome = Run();
    EXPECT_EQ(outcome.answer, each.answer) << each.rule;
    std::string kept = LogText();
    EXPECT_EQ(kept.find("friendid=\"12\"") == std::string::npos, each.removed) << each.rule;
    EXPECT_NE(kept.find("friendid=\"14\""), std::string::npos) << each.rule;
  }
}

TEST_F(UploadRecordReportTest, ASilentServerOrNoServerKeepsTheRecordsAndFreesTheReport) {
  ASSERT_TRUE(server_.Ok());
  WriteMixedLog();
  Answer("delay 6000");
  DWORD start = GetTickCount();
  UploadRecordReport::Outcome outcome = Run();
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_EQ(outcome.answer, FlowReportPost::kFailed);
  EXPECT_NE(LogText().find("friendid=\"11\""), std::string::npos);
  outcome = Run(WebServerDouble::RefusingAddress() + kEndpoint);
  EXPECT_EQ(outcome.answer, FlowReportPost::kFailed);
  EXPECT_NE(LogText().find("friendid=\"11\""), std::string::npos);
  // A setting without a path fails before anything is sent.
  outcome = Run(server_.Address());
  EXPECT_EQ(outcome.answer, FlowReportPost::kFailed);
  EXPECT_NE(LogText().find("friendid=\"11\""), std::string::npos);
  // The mutex was let go each time.
  EXPECT_EQ(WaitForSingleObject(report_.Mutex(), 0), WAIT_OBJECT_0);
  ReleaseMutex(report_.Mutex());
}

TEST_F(UploadRecordReportTest, NothingIsSentWithoutSettingOrWithZeroTotals) {
  ASSERT_TRUE(server_.Ok());
  Answer("answer 0");
  WriteLog(Record(yesterday_, "11", "10.0.0.1", "0") + Record(yesterday_, "12", "10.0.0.2", "0") +
           Record(now_, "13", "10.0.0.3", "800"));
  UploadRecordReport::Outcome outcome = Run();
  EXPECT_EQ(outcome.step, UploadRecordReport::Step::NothingToSend);
  EXPECT_NE(LogText().find("friendid=\"11\""), std::string::npos);
  UploadRecordReport::Inputs off;
  off.uploadRecord = 0;
  off.uploadUrl = server_.Address() + kEndpoint;
  off.logPath = LogPath();
  off.now = now_;
  EXPECT_EQ(report_.Run(off).step, UploadRecordReport::Step::Disabled);
  off.uploadRecord = 1;
  off.uploadUrl.clear();
  EXPECT_EQ(report_.Run(off).step, UploadRecordReport::Step::Disabled);
  EXPECT_EQ(Posts(), 0u);
}

TEST_F(UploadRecordReportTest, RecordsWithoutNumbersAreSkippedAndKept) {
  ASSERT_TRUE(server_.Ok());
  Answer("answer 0");
  WriteLog(Record(yesterday_, "11", "10.0.0.1", "2048") + Record(yesterday_, "x12", "10.0.0.2", "10") +
           Record(yesterday_, "13", "10.0.0.3", "ten") +
           "<HasUpload timestamp=\"yesterday\" friendid=\"15\" realIP=\"10.0.0.5\" uploadnum=\"10\"/>\r\n");
  UploadRecordReport::Outcome outcome = Run();
  EXPECT_EQ(outcome.skipped, 3u);
  EXPECT_NE(server_.Log().find("&Flow=2.00&Connectors=11@10.0.0.1 HTTP/1.1"), std::string::npos) << server_.Log();
  std::string kept = LogText();
  EXPECT_EQ(kept.find("friendid=\"11\""), std::string::npos);
  for (const char* id : {"friendid=\"x12\"", "friendid=\"13\"", "friendid=\"15\""})
    EXPECT_NE(kept.find(id), std::string::npos) << id;
}

// Escaping keeps every value one entry of the list and the target one
// request line; an ordinary address and the path's query pass byte for byte.
TEST(FlowReportPostEscaping, ValuesAndPathsStayInTheirPlace) {
  EXPECT_EQ(FlowReportPost::EscapeValue("192.168.10.21"), "192.168.10.21");
  EXPECT_EQ(FlowReportPost::EscapeValue("fe80::1"), "fe80::1");
  EXPECT_EQ(FlowReportPost::EscapeValue("1.2.3.4\r\n&x y,z@w%#"), "1.2.3.4%0D%0A%26x%20y%2Cz%40w%25%23");
  EXPECT_EQ(FlowReportPost::Target("/up.asp?a=1&b=2", {"ClientID=5", "Flow=1.00"}),
            "/up.asp?a=1&b=2&ClientID=5&Flow=1.00");
  EXPECT_EQ(FlowReportPost::Target("/up load\r\n.asp", {}), "/up%20load%0D%0A.asp");
}

TEST_F(UploadRecordReportTest, AnAddressWithBlanksAndSeparatorsStaysOneEntryOfOneLine) {
  ASSERT_TRUE(server_.Ok());
  Answer("answer 0");
  WriteLog(Record(yesterday_, "11", "a b,c@d", "1024") + Record(yesterday_, "12", "fe80::1", "1024"));
  UploadRecordReport::Outcome outcome = Run();
  EXPECT_EQ(outcome.answer, 0);
  std::string log = server_.Log();
  std::string line = log.substr(0, log.find("\r\n"));
  EXPECT_NE(line.find("&Connectors=11@a%20b%2Cc%40d,12@fe80::1 HTTP/1.1"), std::string::npos) << line;
  EXPECT_EQ(std::count(line.begin(), line.end(), ' '), 2) << line;
}

TEST_F(UploadRecordReportTest, TotalsAboveThirtyTwoBitsAreSummedWhole) {
  ASSERT_TRUE(server_.Ok());
  Answer("answer 0");
  WriteLog(Record(yesterday_, "11", "10.0.0.1", "4294967295") + Record(yesterday_, "12", "10.0.0.2", "4294967295"));
  Run();
  EXPECT_NE(server_.Log().find("&Flow=8388608.00&"), std::string::npos) << server_.Log();
}

TEST_F(UploadRecordReportTest, AnUnreadableLogIsLeftAsItIs) {
  ASSERT_TRUE(server_.Ok());
  ASSERT_TRUE(WriteFileBytes(LogPath(), "not xml at all <"));
  EXPECT_EQ(Run().step, UploadRecordReport::Step::Unreadable);
  EXPECT_EQ(LogText(), "not xml at all <");
  EXPECT_EQ(Posts(), 0u);
}

TEST_F(UploadRecordReportTest, ASecondRunWaitsAtMostThreeSecondsForTheMutex) {
  ASSERT_TRUE(server_.Ok());
  WriteMixedLog();
  HANDLE mutex = report_.Mutex();
  HANDLE held = CreateEvent(nullptr, TRUE, FALSE, nullptr), done = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    WaitForSingleObject(mutex, INFINITE);
    SetEvent(held);
    WaitForSingleObject(done, INFINITE);
    ReleaseMutex(mutex);
  });
  WaitForSingleObject(held, INFINITE);
  DWORD start = GetTickCount();
  EXPECT_EQ(Run().step, UploadRecordReport::Step::Busy);
  DWORD waited = GetTickCount() - start;
  EXPECT_GE(waited, 2900u);
  EXPECT_LT(waited, 4500u);
  SetEvent(done);
  holder.join();
  CloseHandle(held);
  CloseHandle(done);
  EXPECT_EQ(Posts(), 0u);
}

TEST_F(UploadRecordReportTest, AHundredThousandRecordsAreSentInBoundedRequests) {
  ASSERT_TRUE(server_.Ok());
  std::string records;
  records.reserve(100000 * 90);
  for (int i = 0; i < 100000; ++i) records += Record(yesterday_ + i % 3600, std::to_string(i + 1), "10.1.2.3", "1");
  WriteLog(records);
  Answer("answer 1");
  UploadRecordReport::Outcome outcome = Run();
  EXPECT_EQ(outcome.answer, 1);
  EXPECT_EQ(outcome.posts, 1u) << "the first refused post ends the run";
  EXPECT_EQ(outcome.removed, 0u);
  std::string log = server_.Log();
  std::string line = log.substr(0, log.find("\r\n"));
  EXPECT_LE(line.size(), UploadRecordReport::kMaxTarget + 20);
  EXPECT_NE(LogText().find("friendid=\"100000\""), std::string::npos);
}

// A report thread outlives a manager that stops while it waits.
TEST_F(UploadRecordReportTest, AThreadedRunHoldsTheReportUntilItEnds) {
  ASSERT_TRUE(server_.Ok());
  WriteMixedLog();
  Answer("answer 0");
  auto report = std::make_shared<UploadRecordReport>();
  UploadRecordReport::Inputs inputs;
  inputs.uploadRecord = 1;
  inputs.uploadUrl = server_.Address() + kEndpoint;
  inputs.user = kUser;
  inputs.logPath = LogPath();
  inputs.now = now_;
  win::UniqueThread thread = UploadRecordReport::StartThread(report, inputs);
  ASSERT_TRUE(thread);
  report.reset();
  EXPECT_EQ(WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(LogText().find("friendid=\"12\""), std::string::npos);
}

}  // namespace
