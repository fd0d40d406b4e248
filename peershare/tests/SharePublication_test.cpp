// The window thread's side of the share library: the publication queue,
// the saves after runs of publications, the timers and the tree window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ShareSession.h"
#include "share/FileBytes.h"
#include "share/PublicationQueue.h"

namespace {

Publication Record(int number, int code = 1) {
  Publication record;
  record.code = code;
  record.path = "D:\\共享\\文件" + std::to_string(number) + ".mp3";
  record.hash = std::to_string(number);
  record.size = static_cast<uint32_t>(number);
  record.categoryPath = "/1";
  return record;
}

TEST(PublicationQueue, KeepsOneWakeUpPendingHoweverManyRecordsWait) {
  PublicationQueue queue;
  EXPECT_TRUE(queue.Append(Record(1)));
  int wakeUps = 0;
  for (int i = 2; i <= 100000; ++i) wakeUps += queue.Append(Record(i)) ? 1 : 0;
  EXPECT_EQ(wakeUps, 0);
  EXPECT_EQ(queue.Size(), 100000u);
  Publication record;
  bool more = false;
  ASSERT_TRUE(queue.Take(record, more));
  EXPECT_EQ(record.hash, "1");
  EXPECT_TRUE(more);
  // A wake-up that could not be posted is asked for again.
  EXPECT_FALSE(queue.Rewake());
  queue.WakeUpLost();
  EXPECT_TRUE(queue.Rewake());
  EXPECT_FALSE(queue.Rewake());
  queue.Clear();
  EXPECT_FALSE(queue.Take(record, more));
  EXPECT_FALSE(more);
  EXPECT_TRUE(queue.Append(Record(7)));
}

class SharePublicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.WriteDocument({}));
    ASSERT_TRUE(session_.Start(0));
    ASSERT_TRUE(session_.WaitForPasses(1));
    Host().ClearCalls();
  }
  ShareLibrary& Library() { return session_.Library(); }
  LoggingHost& Host() { return session_.Host(); }
  bool Drained() {
    return ShareSession::PumpUntil([&] { return Library().QueuedPublications() == 0; }, 60000);
  }

  ShareSession session_;
};

TEST_F(SharePublicationTest, AHundredThousandRecordsFromAnotherThreadAllReachTheHostInOrder) {
  constexpr int kRecords = 100000;
  std::thread worker([&] {
    for (int i = 1; i <= kRecords; ++i) Library().QueuePublication(Record(i));
  });
  worker.join();
  ASSERT_TRUE(Drained());
  std::vector<std::string> published = Host().CallsOf("PublishFile");
  ASSERT_EQ(published.size(), static_cast<size_t>(kRecords));
  EXPECT_EQ(published.front(), "PublishFile(\"1\", \"文件1.mp3\", 1, 1, \"/1\", \"\")");
  EXPECT_EQ(published.back(), "PublishFile(\"100000\", \"文件100000.mp3\", 100000, 1, \"/1\", \"\")");
  // A save with its notice after every thousand.
  EXPECT_EQ(Host().CallsOf("NotifyShareChanged").size(), 100u);
}

TEST_F(SharePublicationTest, TheThousandthPublicationSavesTheDocumentAtOnce) {
  ASSERT_TRUE(DeleteFileA(session_.DocumentPath().c_str()));
  for (int i = 1; i < 1000; ++i) Library().QueuePublication(Record(i));
  // The collection's records and withdrawals are not counted.
  Library().QueuePublication(Record(5000, 8));
  Publication withdrawal = Record(5001);
  withdrawal.publish = false;
  Library().QueuePublication(withdrawal);
  ASSERT_TRUE(Drained());
  EXPECT_EQ(Library().Publishing().Counted(), 999);
  EXPECT_FALSE(FileBytes::Exists(session_.DocumentPath()));
  EXPECT_TRUE(Host().CallsOf("NotifyShareChanged").empty());
  EXPECT_EQ(Host().CallsOf("UnpublishFile"), (std::vector<std::string>{"UnpublishFile(1, \"5001\", \"/1\")"}));

  Library().QueuePublication(Record(1000));
  ASSERT_TRUE(Drained());
  EXPECT_TRUE(FileBytes::Exists(session_.DocumentPath()));
  EXPECT_EQ(Host().Calls().back(), "NotifyShareChanged()");
  EXPECT_EQ(Library().Publishing().Counted(), 0);
}

TEST_F(SharePublicationTest, TheSaveTimerWritesTheDocumentOnceTheQuietPeriodPassed) {
  HWND tree = Library().Window();
  ASSERT_TRUE(DeleteFileA(session_.DocumentPath().c_str()));
  // Nothing published since the last save: nothing to write.
  SendMessageA(tree, WM_TIMER, ShareLibrary::kSaveTimer, 0);
  EXPECT_FALSE(FileBytes::Exists(session_.DocumentPath()));

  for (int i = 1; i <= 5; ++i) Library().QueuePublication(Record(i));
  ASSERT_TRUE(Drained());
  Sleep(20);  // the quiet period is 0 ms here
  SendMessageA(tree, WM_TIMER, ShareLibrary::kSaveTimer, 0);
  EXPECT_TRUE(FileBytes::Exists(session_.DocumentPath()));
  EXPECT_EQ(Host().Calls().back(), "NotifyShareChanged()");
  EXPECT_EQ(Library().Publishing().Counted(), 0);
}

TEST_F(SharePublicationTest, TheHandOutTimerRefreshesTheCopyPeersGet) {
  const std::string handOut = session_.Client().ConfigFile("temp1share10001.xml");
  ASSERT_TRUE(FileBytes::Exists(handOut));
  ASSERT_TRUE(DeleteFileA(handOut.c_str()));
  SendMessageA(Library().Window(), WM_TIMER, ShareLibrary::kHandOutTimer, 0);
  EXPECT_EQ(ReadFileBytes(handOut), ReadFileBytes(session_.Client().ConfigFile("temp0share10001.xml")));
}

TEST_F(SharePublicationTest, TheTreeHasItsBackgroundAndHidesWithoutAParent) {
  HWND tree = Library().Window();
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageA(tree, TVM_GETBKCOLOR, 0, 0)), ShareLibrary::kTreeBackground);
  EXPECT_FALSE(IsWindowVisible(tree));
  // Destroying the tree ends the library as Stop does.
  DestroyWindow(tree);
  EXPECT_FALSE(Library().Running());
  EXPECT_FALSE(Library().Worker().Running());
}

// A host that runs a message loop inside its calls, as a client showing a
// window would, and asks the plug-in back.
class PumpingHost : public LoggingHost {
 public:
  ShareLibrary* library = nullptr;
  void PublishFile(const char* hash, const char* displayName, uint32_t size, int32_t category,
                   const char* categoryPath, const char* comment) override {
    LoggingHost::PublishFile(hash, displayName, size, category, categoryPath, comment);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    library->FindByMd5(hash);
  }
};

TEST(SharePublicationReentered, AHostPumpingMessagesGetsEveryRecordOnceInOrder) {
  ClientFolder client;
  client.WriteCustomIni("operatorServer=127.0.0.1:1\r\n");
  ShareLibrary library(client.Bin(), client.Data());
  library.SetTiming(ShareSession::ShortTiming());
  PumpingHost host;
  host.library = &library;
  ASSERT_TRUE(library.Start(&host, ShareSession::kUser, false, 0));
  std::thread worker([&] {
    for (int i = 1; i <= 2000; ++i) library.QueuePublication(Record(i));
  });
  worker.join();
  ASSERT_TRUE(ShareSession::PumpUntil([&] { return library.QueuedPublications() == 0; }));
  ShareSession::Pump(50);
  std::vector<std::string> published = host.CallsOf("PublishFile");
  ASSERT_EQ(published.size(), 2000u);
  for (int i = 1; i <= 2000; ++i) {
    const std::string n = std::to_string(i);
    ASSERT_EQ(published[i - 1], "PublishFile(\"" + n + "\", \"文件" + n + ".mp3\", " + n + ", 1, \"/1\", \"\")");
  }
  library.Stop();
}

TEST(SharePublicationWithoutHost, RecordsAreConsumedWithoutCalls) {
  ShareSession session;
  ASSERT_TRUE(session.WriteDocument({}));
  ASSERT_TRUE(session.Library().Start(nullptr, ShareSession::kUser, false, 1));
  for (int i = 1; i <= 1000; ++i) session.Library().QueuePublication(Record(i));
  ASSERT_TRUE(ShareSession::PumpUntil([&] { return session.Library().QueuedPublications() == 0; }));
  EXPECT_TRUE(session.Host().Calls().empty());
}

}  // namespace
