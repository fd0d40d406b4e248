// How downloads end, through the list window and the client host's transfer
// doubles: finished and handed over, ended, deleted while running, shut down;
// the sources the client reports; the player's requests.
#include "transfer/DownloadList.h"

#include <gtest/gtest.h>

#include <cstring>

#include "DownloadListFixture.h"
#include "transfer/PlayerLink.h"

namespace {

TEST_F(DownloadListTest, AFinishedDownloadGoesToTheHistoryAndIsFreedWhenTheTransferEnds) {
  Open();
  std::vector<std::string> handed;
  list_->addFinishedFile = [&](const std::string& path, const std::string& hash, uint32_t size, int32_t category) {
    handed.push_back(path + "|" + hash + "|" + std::to_string(size) + "|" + std::to_string(category));
  };
  ASSERT_EQ(Add(1, "a.mp3", 3000), DownloadList::kAdded);
  DownloadList::Request other = Request(2, "b.avi", 3000);
  other.comment = "好片";
  ASSERT_EQ(list_->Add(other), DownloadList::kAdded);
  TransferDouble& transfer = *Transfer(2);
  transfer.ReportProgress(3000, 0, 0, 100, 0, 1.0);
  transfer.ReportComplete();
  transfer.ReportHandedOver();
  ASSERT_TRUE(PumpUntil([&] { return Task(2) == nullptr; }));
  EXPECT_EQ(list_->TaskCount(), 1u);
  EXPECT_EQ(list_->Control().ItemCount(), 1);
  EXPECT_EQ(list_->RetiringCount(), 1u) << "kept until the client's last call";
  ASSERT_EQ(handed.size(), 1u);
  EXPECT_EQ(handed[0], Folder() + "/b.avi|" + HashOf(2) + "|3000|3");
  std::string saved = ReadFileBytes(DocumentPath());
  EXPECT_NE(saved.find("<HasDownload fileType=\"3\" fileSize=\"3000\" fileName=\"" + Folder() + "/b.avi\" comment=\"好片\" time=\""),
            std::string::npos);
  EXPECT_EQ(saved.find("MD5=\"" + HashOf(2)), std::string::npos) << "no longer pending";

  transfer.End();
  ASSERT_TRUE(PumpUntil([&] { return list_->RetiringCount() == 0; }));
  EXPECT_TRUE(transfer.Released());
  EXPECT_EQ(handed.size(), 1u) << "the history step runs once";
  saved = ReadFileBytes(DocumentPath());
  EXPECT_EQ(saved.find("<HasDownload"), saved.rfind("<HasDownload"));
}

TEST_F(DownloadListTest, ATransferThatEndsIncompleteLeavesNoHistory) {
  Open();
  bool handed = false;
  list_->addFinishedFile = [&](const std::string&, const std::string&, uint32_t, int32_t) { handed = true; };
  ASSERT_EQ(Add(1, "a.avi", 3000), DownloadList::kAdded);
  Transfer(1)->End();
  ASSERT_TRUE(PumpUntil([&] { return Task(1) == nullptr; }));
  EXPECT_TRUE(Transfer(1)->Released());
  EXPECT_FALSE(handed);
  EXPECT_EQ(ReadFileBytes(DocumentPath()).find("<HasDownload"), std::string::npos);
  // A complete transfer that simply ends goes to the history.
  ASSERT_EQ(Add(2, "b.avi", 3000), DownloadList::kAdded);
  Transfer(2)->ReportComplete();
  Transfer(2)->End();
  ASSERT_TRUE(PumpUntil([&] { return Task(2) == nullptr; }));
  EXPECT_TRUE(handed);
}

TEST_F(DownloadListTest, ATaskDeletedWhileItsTransferRunsLivesUntilTheClientEndsIt) {
  Open();
  ASSERT_EQ(Add(1, "a.avi", 100 * kMiB), DownloadList::kAdded);
  ASSERT_EQ(Add(2, "b.avi", 100 * kMiB), DownloadList::kAdded);
  TransferDouble& transfer = *Transfer(1);
  // The client keeps reporting from a thread of its own until it ends.
  std::atomic<bool> reporting{true};
  std::atomic<int> reports{0};
  std::thread client([&] {
    for (uint64_t bytes = 0; reporting.load(); bytes += 4096) {
      if (!transfer.ReportProgress(bytes, 0, 0, 4096, 0, 0.01)) break;
      transfer.ReportStatus("正在下载");
      ++reports;
    }
  });
  ASSERT_TRUE(PumpUntil([&] { return reports.load() > 100; }));
  list_->Delete(*Task(1));
  EXPECT_EQ(list_->TaskCount(), 1u);
  EXPECT_EQ(list_->Control().ItemCount(), 1);
  EXPECT_EQ(CallsContaining("transfer " + HashOf(1) + " Stop(1, 0)"), 1);
  ASSERT_TRUE(PumpUntil([&] { return transfer.Ended() && list_->RetiringCount() == 0; }));
  reporting = false;
  client.join();
  EXPECT_TRUE(transfer.Released());
  EXPECT_EQ(ReadFileBytes(DocumentPath()).find(HashOf(1)), std::string::npos);
  EXPECT_NE(ReadFileBytes(DocumentPath()).find(HashOf(2)), std::string::npos);
}

TEST_F(DownloadListTest, SourcesTheClientReportsAppearBelowAnExpandedTask) {
  Open();
  ASSERT_EQ(Add(1, "a.avi", kMiB), DownloadList::kAdded);
  ASSERT_EQ(Add(2, "b.avi", kMiB), DownloadList::kAdded);
  TaskSource* first = Transfer(1)->ReportSource(30001, "王五");
  TaskSource* second = Transfer(1)->ReportSource(30002, "赵六");
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Task(1)->Sources().size() == 2; }));
  EXPECT_EQ(list_->Control().ItemCount(), 2) << "collapsed";
  list_->ToggleExpanded(*Task(1));
  ASSERT_EQ(list_->Control().ItemCount(), 4);
  EXPECT_EQ(Cell(1, DownloadList::kName), "a.avi");
  EXPECT_EQ(Cell(2, DownloadList::kName), "王五(30001)");
  EXPECT_EQ(Cell(3, DownloadList::kName), "赵六(30002)");
  second->Progress(64, 2048, 0, 0);
  second->SetStatusText("传输中");
  Pump(20);
  EXPECT_EQ(Cell(3, DownloadList::kStatus), "传输中");
  EXPECT_EQ(Cell(3, DownloadList::kSpeed), "2 KB/S");
  EXPECT_EQ(Cell(3, DownloadList::kPercent), "") << "the other's completion is off";
  list_->SetOtherPercent(true);
  EXPECT_EQ(Cell(3, DownloadList::kPercent), "64%");
  first->Removed();
  ASSERT_TRUE(PumpUntil([&] { return Task(1)->Sources().size() == 1; }));
  EXPECT_EQ(list_->Control().ItemCount(), 3);
  EXPECT_EQ(Cell(2, DownloadList::kName), "赵六(30002)");
  list_->ToggleExpanded(*Task(1));
  EXPECT_EQ(list_->Control().ItemCount(), 2);
  EXPECT_EQ(list_->SourceCount(), 1);
}

TEST_F(DownloadListTest, AWindowMadeAgainShowsTheSameTasksWithoutReadingTheDocumentAgain) {
  WriteDocument("<DownloadItem fileName=\"r.avi\" MD5=\"" + HashOf(9) +
                "\" fileSize=\"1000\" localFileName=\"d:\\r.avi\"></DownloadItem>\r\n");
  Open();
  ASSERT_EQ(Add(1, "a.avi", kMiB), DownloadList::kAdded);
  DestroyWindow(list_->Handle());
  EXPECT_EQ(list_->Handle(), nullptr);
  EXPECT_EQ(Add(2, "b.avi", kMiB), DownloadList::kRefused) << "no window, no requests";
  RECT area = {0, 0, 600, 300};
  ASSERT_TRUE(list_->Create(parent_, 100, area));
  EXPECT_EQ(list_->TaskCount(), 2u);
  EXPECT_EQ(list_->Control().ItemCount(), 2);
  EXPECT_EQ(host_.CallsOf("GetDownloadPercent").size(), 1u);
  // The client's messages reach the new window.
  Transfer(1)->End();
  ASSERT_TRUE(PumpUntil([&] { return Task(1) == nullptr; }));
  EXPECT_EQ(Add(2, "b.avi", kMiB), DownloadList::kAdded);
}

TEST_F(DownloadListTest, MessagesForTasksThatAreGoneAreIgnored) {
  Open();
  ASSERT_EQ(Add(1, "a.avi", kMiB), DownloadList::kAdded);
  HWND window = list_->Handle();
  for (UINT message : {kTaskRowMessage, kSourceAddedMessage, kHandedOverMessage, kTaskEndedMessage,
                       kSourceRemovedMessage, kSourceChangedMessage})
    PostMessageA(window, message, 999999, 12345);
  // A source record that is not the task's is never touched.
  PostMessageA(window, kSourceAddedMessage, Task(1)->Id(), 12345);
  PostMessageA(window, kSourceRemovedMessage, Task(1)->Id(), 12345);
  Pump(50);
  EXPECT_EQ(list_->TaskCount(), 1u);
  EXPECT_EQ(list_->Control().ItemCount(), 1);
}

TEST_F(DownloadListTest, ShutdownStopsEveryTransferSettlesTheCoinsAndSaves) {
  Open(500);
  ASSERT_EQ(Add(1, "a.avi", 100 * kMiB), DownloadList::kAdded);
  ASSERT_EQ(Add(2, "b.avi", 100 * kMiB), DownloadList::kAdded);
  Transfer(1)->ReportProgress(3 * kMiB, 0, 0, 100, 0, 0.03);
  list_->Delete(*Task(2));  // the client has not ended it yet
  list_->Stop();
  EXPECT_EQ(CallsContaining("transfer " + HashOf(1) + " Stop(0, 1)"), 1);
  EXPECT_EQ(CallsContaining("transfer " + HashOf(2) + " Stop(0, 1)"), 1);
  EXPECT_EQ(host_.CallsOf("AddTraffic"), std::vector<std::string>{"AddTraffic(3, 0)"});
  EXPECT_EQ(list_->TaskCount(), 0u);
  EXPECT_EQ(list_->RetiringCount(), 0u);
  EXPECT_EQ(list_->Control().ItemCount(), 0);
  std::string saved = ReadFileBytes(DocumentPath());
  EXPECT_NE(saved.find(HashOf(1)), std::string::npos);
  EXPECT_EQ(saved.find(HashOf(2)), std::string::npos);
  // Whatever the client still posts finds nothing.
  Transfer(1)->End();
  Pump(20);
}

// A player window of the test's own sends the list its records.
TEST_F(DownloadListTest, ThePlayerAsksForTheClientAndForFilesByHash) {
  Open();
  ASSERT_EQ(Add(1, "a.rmvb", kMiB), DownloadList::kAdded);
  auto send = [&](int32_t command, const std::string& text) {
    PlayerLink::Record record = {};
    record.command = command;
    std::memcpy(record.text, text.c_str(), std::min(text.size(), sizeof record.text - 1));
    record.size = sizeof record;
    COPYDATASTRUCT copy = {PlayerLink::kTag, sizeof record, &record};
    return SendMessageA(list_->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
  };
  EXPECT_EQ(send(PlayerLink::kPlay, HashOf(1)), TRUE);
  EXPECT_EQ(CallsContaining("transfer " + HashOf(1) + " SetMode(3, 0)"), 1);
  EXPECT_EQ(CallsContaining("transfer " + HashOf(1) + " PlayerStream()"), 1);
  // Unknown hashes and other records change nothing.
  EXPECT_EQ(send(PlayerLink::kPlay, HashOf(9)), TRUE);
  EXPECT_EQ(send(PlayerLink::kPlay, "no hash"), TRUE);
  EXPECT_EQ(send(PlayerLink::kClientInfo, ""), TRUE);
  EXPECT_EQ(send(77, ""), TRUE);
  COPYDATASTRUCT empty = {PlayerLink::kTag, 0, nullptr};
  SendMessageA(list_->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&empty));
  EXPECT_EQ(CallsContaining("PlayerStream()"), 1);
}

TEST_F(DownloadListTest, PlayModeSwitchesTheTransferAndAClickOnThePlayCellPlays) {
  Open();
  DownloadList::Request play = Request(1, "a.mp3", kMiB);
  play.mode = kModePlay;
  ASSERT_EQ(list_->Add(play), DownloadList::kAdded);
  EXPECT_NE(host_.CallsOf("StartDownload")[0].find(", 1048576, 3, 3, "), std::string::npos) << "started in play mode";
  EXPECT_EQ(CallsContaining("SetMode(3, 0)"), 1);
  ASSERT_EQ(Add(2, "b.txt", kMiB), DownloadList::kAdded);
  list_->OnCellClick(0, DownloadList::kPlay);  // b.txt: nothing to play
  EXPECT_EQ(CallsContaining("PlayerStream()"), 1);
  list_->OnCellClick(1, DownloadList::kPlay);
  list_->OnCellClick(1, DownloadList::kName);
  EXPECT_EQ(CallsContaining("PlayerStream()"), 2);
}

}  // namespace
