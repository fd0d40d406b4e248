// Download requests through the real list window and the client host's
// transfer doubles: the ten steps, the limits, the coins and the queue.
#include "transfer/DownloadList.h"

#include <gtest/gtest.h>

#include "DownloadListFixture.h"
#include "frame/AmountFormat.h"

namespace {

TEST_F(DownloadListTest, ANonMemberRunsTwoDownloadsAndIsRefusedTheThirdWithoutQueueing) {
  Open();
  EXPECT_EQ(Add(1, "a.avi", 10 * kMiB), DownloadList::kAdded);
  EXPECT_EQ(Add(2, "b.avi", 10 * kMiB), DownloadList::kAdded);
  EXPECT_EQ(Task(2)->CurrentState(), DownloadTask::kDownloading);
  EXPECT_EQ(Add(3, "c.avi", 10 * kMiB), DownloadList::kRefused);
  EXPECT_EQ(prompts_.restricted, 1);
  EXPECT_EQ(Task(3), nullptr);
  EXPECT_EQ(list_->TaskCount(), 2u);
  ASSERT_EQ(host_.CallsOf("StartDownload").size(), 2u);
  std::string expected = "StartDownload(\"" + Folder() + "/a.avi\", \"" + HashOf(1) + "\", 10485760, 3, 1, ";
  EXPECT_EQ(host_.CallsOf("StartDownload")[0].substr(0, expected.size()), expected);
  // The newest row is at the top.
  EXPECT_EQ(Cell(0, DownloadList::kName), "b.avi");
  EXPECT_EQ(Cell(1, DownloadList::kName), "a.avi");
}

TEST_F(DownloadListTest, AMemberWithTenRunningQueuesTheNextUntilOneEnds) {
  host_.member = 1;
  Open(10000);
  for (unsigned i = 1; i <= 10; ++i) ASSERT_EQ(Add(i, "f" + std::to_string(i) + ".avi", kMiB), DownloadList::kAdded);
  EXPECT_EQ(list_->RunningCount(), 10);
  ASSERT_EQ(Add(11, "next.avi", kMiB), DownloadList::kAdded);
  EXPECT_EQ(Task(11)->CurrentState(), DownloadTask::kQueued);
  EXPECT_EQ(Cell(0, DownloadList::kStatus), "本地排队");
  EXPECT_EQ(prompts_.restricted, 0);
  EXPECT_EQ(Transfer(11), nullptr);

  list_->Refresh();
  EXPECT_EQ(Task(11)->CurrentState(), DownloadTask::kQueued) << "ten still run";
  Transfer(4)->End();
  ASSERT_TRUE(PumpUntil([&] { return Task(4) == nullptr; }));
  list_->Refresh();
  EXPECT_EQ(Task(11)->CurrentState(), DownloadTask::kDownloading);
  EXPECT_NE(Transfer(11), nullptr);
}

TEST_F(DownloadListTest, CoinsAreComparedWithFractions) {
  // 5,000,000 bytes need 4.77 coins and two in reserve.
  Open(80);
  EXPECT_EQ(Add(1, "a.avi", 5000000), DownloadList::kAdded);
  Open(6);
  EXPECT_EQ(Add(1, "a.avi", 5000000), DownloadList::kNoCoins);
  EXPECT_EQ(prompts_.coinsShort, 1);
  EXPECT_EQ(list_->TaskCount(), 0u);
  DownloadList::Request quiet = Request(1, "a.avi", 5000000);
  quiet.quiet = true;
  EXPECT_EQ(list_->Add(quiet), DownloadList::kNoCoins);
  EXPECT_EQ(prompts_.coinsShort, 1) << "a quiet request shows no prompt";
  Open(7);
  EXPECT_EQ(Add(1, "a.avi", 5000000), DownloadList::kAdded);
}

TEST_F(DownloadListTest, RunningDownloadsReserveWhatTheyStillNeed) {
  Open(10);
  ASSERT_EQ(Add(1, "a.avi", 5 * kMiB), DownloadList::kAdded);
  EXPECT_EQ(Add(2, "b.avi", 4 * kMiB), DownloadList::kNoCoins) << "5 + 4 + 2 coins";
  Transfer(1)->ReportProgress(3 * kMiB, 0, 0, 1000, 0, 0.6);
  EXPECT_DOUBLE_EQ(list_->RunningNeed(), 2.0);
  EXPECT_EQ(Add(2, "b.avi", 4 * kMiB), DownloadList::kAdded) << "2 + 4 + 2 coins";
}

TEST_F(DownloadListTest, TheLargestFileCostsWithoutOverflow) {
  Open(4098);
  EXPECT_EQ(Add(1, "big.iso", 4294967295u), DownloadList::kAdded);
  EXPECT_NEAR(list_->RunningNeed(), 4096.0, 0.001);
  EXPECT_EQ(Cell(0, DownloadList::kCost), "-4095");
  EXPECT_EQ(Cell(0, DownloadList::kSize), "4, 194, 303 KB");
  Open(4097);
  EXPECT_EQ(Add(1, "big.iso", 4294967295u), DownloadList::kNoCoins);
}

TEST_F(DownloadListTest, ANameTakenOnDiskOrInTheListGetsACounter) {
  Open();
  ASSERT_TRUE(WriteFileBytes(Folder() + "/a.mp3", "x"));
  ASSERT_EQ(Add(1, "a.mp3", 1000), DownloadList::kAdded);
  EXPECT_EQ(Task(1)->item.localFileName, Folder() + "/a1.mp3");
  ASSERT_TRUE(WriteFileBytes(Folder() + "/a1.mp3", "x"));  // the client writes it
  ASSERT_EQ(Add(2, "a.mp3", 1000), DownloadList::kAdded);
  EXPECT_EQ(Task(2)->item.localFileName, Folder() + "/a2.mp3");
  // Two downloads of one name before either file exists.
  host_.member = 1;
  ASSERT_EQ(Add(3, "b", 1000), DownloadList::kAdded);
  ASSERT_EQ(Add(4, "b", 1000), DownloadList::kAdded);
  EXPECT_EQ(Task(3)->item.localFileName, Folder() + "/b");
  EXPECT_EQ(Task(4)->item.localFileName, Folder() + "/b1");
}

TEST_F(DownloadListTest, APeersFileNameStaysInsideTheFolderAndFitsItsField) {
  Open();
  ASSERT_EQ(Add(1, "..\\..\\windows\\evil.exe", 1000), DownloadList::kAdded);
  EXPECT_EQ(Task(1)->item.localFileName, Folder() + "/.._.._windows_evil.exe");
  EXPECT_EQ(Task(1)->item.fileName, "..\\..\\windows\\evil.exe") << "the name as published";
  std::string longName;
  for (int i = 0; i < 150; ++i) longName += "字";
  ASSERT_EQ(Add(2, longName + ".rmvb", 1000), DownloadList::kAdded);
  const std::string& path = Task(2)->item.localFileName;
  EXPECT_LE(path.size(), TransferDocument::kNameMax);
  EXPECT_EQ(path.substr(path.size() - 5), ".rmvb");
  EXPECT_EQ((path.size() - Folder().size() - 1 - 5) % 2, 0u) << "no half character";
  EXPECT_EQ(Task(2)->item.fileName.size(), 258u);
}

TEST_F(DownloadListTest, AFileInTheListAgainTakesASourceOrSaysItIsDownloading) {
  Open();
  ASSERT_EQ(Add(1, "a.avi", kMiB), DownloadList::kAdded);
  EXPECT_EQ(Add(1, "a.avi", kMiB), DownloadList::kInList);
  EXPECT_EQ(prompts_.messages, std::vector<std::string>{"已经在下载了"});

  DownloadList::Request withPeer = Request(1, "a.avi", kMiB);
  withPeer.peerId = 20001;
  withPeer.peerTag = 77;
  withPeer.nickname = "张三";
  withPeer.connectionKind = 2;
  withPeer.ip = 0x0A000001;
  withPeer.port = 4662;
  EXPECT_EQ(list_->Add(withPeer), DownloadList::kInList);
  ASSERT_EQ(Task(1)->Sources().size(), 1u);
  EXPECT_EQ(Task(1)->Sources()[0]->RowName(), "张三(20001)");
  EXPECT_EQ(CallsContaining("AddSource("), 1);
  EXPECT_EQ(CallsContaining(", 20001, 77, 2, 0x0A000001, 4662, 0, 0)"), 1);

  withPeer.ip = DownloadList::kLoopback;
  EXPECT_EQ(list_->Add(withPeer), DownloadList::kInList);
  EXPECT_EQ(prompts_.messages.size(), 2u) << "a source on this machine is no source";
  withPeer.quiet = true;
  withPeer.ip = 0x0A000002;
  EXPECT_EQ(list_->Add(withPeer), DownloadList::kInList);
  EXPECT_EQ(Task(1)->Sources().size(), 1u) << "a quiet request adds no source";

  // A refused source is freed again and the answer stays 1.
  host_.pacesByHash[HashOf(2)].refuseSources = true;
  ASSERT_EQ(Add(2, "b.avi", kMiB), DownloadList::kAdded);
  withPeer = Request(2, "b.avi", kMiB);
  withPeer.peerId = 20002;
  withPeer.ip = 0x0A000001;
  EXPECT_EQ(list_->Add(withPeer), DownloadList::kInList);
  EXPECT_TRUE(Task(2)->Sources().empty());
}

TEST_F(DownloadListTest, APausedFileRequestedAgainResumes) {
  Open();
  ASSERT_EQ(Add(1, "a.avi", kMiB), DownloadList::kAdded);
  list_->Pause(*Task(1));
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kPaused);
  EXPECT_EQ(Cell(0, DownloadList::kStatus), "暂停");
  EXPECT_TRUE(Transfer(1)->Paused());
  DownloadList::Request again = Request(1, "a.avi", kMiB);
  again.quiet = true;
  EXPECT_EQ(list_->Add(again), DownloadList::kInList);
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kDownloading);
  EXPECT_FALSE(Transfer(1)->Paused());
  EXPECT_EQ(host_.CallsOf("StartDownload").size(), 1u) << "the transfer resumed";
}

TEST_F(DownloadListTest, AResumeBeyondTheLimitQueuesTheTaskFirst) {
  Open();
  ASSERT_EQ(Add(1, "a.avi", kMiB), DownloadList::kAdded);
  ASSERT_EQ(Add(2, "b.avi", kMiB), DownloadList::kAdded);
  list_->Pause(*Task(1));
  ASSERT_EQ(Add(3, "c.avi", kMiB), DownloadList::kAdded);
  list_->Resume(*Task(1));
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kQueued);
  EXPECT_EQ(Task(1)->StatusText(), "本地排队");
  EXPECT_EQ(Task(1)->priority, 60);
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0],
            "同时只能下载2个文件,为优先下载本文件,您可以先将正在下载的文件暂停下载,然后再来下载本文件");
  // A request for it again is refused while it cannot start.
  EXPECT_EQ(Add(1, "a.avi", kMiB), DownloadList::kRefused);
}

TEST_F(DownloadListTest, AResumeWithoutCoinsPausesForCoins) {
  Open(10);
  ASSERT_EQ(Add(1, "a.avi", 7 * kMiB), DownloadList::kAdded);
  list_->Pause(*Task(1));
  list_->Coins().SetBalance(8);
  list_->Resume(*Task(1));
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kPausedForCoins);
  EXPECT_EQ(Cell(0, DownloadList::kStatus), "暂停(拓币不够)");
  list_->Coins().SetBalance(9);
  list_->Resume(*Task(1));
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kDownloading);
}

TEST_F(DownloadListTest, AFileOfTheShareLibraryIsNotDownloaded) {
  Open();
  list_->findSharedFile = [](const std::string& hash, std::string& path) {
    path = "D:\\共享\\a.mp3";
    return hash == HashOf(1);
  };
  EXPECT_EQ(Add(1, "a.mp3", kMiB), DownloadList::kInShareLibrary);
  EXPECT_EQ(prompts_.messages, std::vector<std::string>{"a.mp3本地已经有了,(D:\\共享\\a.mp3)"});
  DownloadList::Request quiet = Request(1, "a.mp3", kMiB);
  quiet.quiet = true;
  EXPECT_EQ(list_->Add(quiet), DownloadList::kInShareLibrary);
  quiet.quiet = false;
  quiet.mode = kModePlay;  // plays the local file; no player here, so nothing is said
  EXPECT_EQ(list_->Add(quiet), DownloadList::kInShareLibrary);
  EXPECT_EQ(prompts_.messages.size(), 1u);
  EXPECT_TRUE(host_.CallsOf("StartDownload").empty());
  // The hash in upper case is the same file.
  DownloadList::Request upper = Request(1, "a.mp3", kMiB);
  for (char& c : upper.hash) c = static_cast<char>(toupper(c));
  EXPECT_EQ(list_->Add(upper), DownloadList::kInShareLibrary);
}

TEST_F(DownloadListTest, RequestsBeforeStartAfterClosingOrWithoutAHashAreRefused) {
  list_ = std::make_unique<DownloadList>(&host_, Bin());
  list_->SetPrompts(&prompts_);
  EXPECT_EQ(list_->Add(Request(1, "a.avi", 1)), DownloadList::kRefused);
  Open();
  DownloadList::Request bad = Request(1, "a.avi", 1);
  bad.hash = "not a hash";
  EXPECT_EQ(list_->Add(bad), DownloadList::kRefused);
  bad = Request(1, "", 1);
  EXPECT_EQ(list_->Add(bad), DownloadList::kRefused);
  list_->Stop();
  EXPECT_EQ(Add(1, "a.avi", 1), DownloadList::kRefused);
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_TRUE(host_.CallsOf("StartDownload").empty());
}

TEST_F(DownloadListTest, TheFolderIsAskedForWhenTheUserWantsIt) {
  Open();
  list_->Document().SetAskForFolder(true);
  std::string chosen = temp_.File("chosen");
  CreateDirectoryA(chosen.c_str(), nullptr);
  prompts_.folderAnswer = chosen;
  ASSERT_EQ(Add(1, "a.avi", 1000), DownloadList::kAdded);
  EXPECT_EQ(prompts_.folderStart, Folder());
  EXPECT_EQ(Task(1)->item.localFileName, chosen + "/a.avi");
  ASSERT_EQ(Add(2, "b.avi", 1000), DownloadList::kAdded);
  EXPECT_EQ(prompts_.folderStart, chosen) << "the folder chosen last";

  DownloadList::Request mobile = Request(3, "c.avi", 1000);
  mobile.fromMobile = 1;
  host_.member = 1;
  ASSERT_EQ(list_->Add(mobile), DownloadList::kAdded);
  EXPECT_EQ(prompts_.folderQuestions, 2);
  EXPECT_EQ(Task(3)->item.localFileName, Folder() + "/c.avi");
  EXPECT_EQ(Task(3)->item.fromMobile, 1);

  prompts_.folderAnswer.clear();
  prompts_.askEveryTimeAnswer = false;
  EXPECT_EQ(Add(4, "d.avi", 1000), DownloadList::kRefused) << "cancelled";
  EXPECT_FALSE(list_->AskForFolder()) << "the box was unchecked";
  ASSERT_EQ(Add(5, "e.avi", 1000), DownloadList::kAdded);
  EXPECT_EQ(prompts_.folderQuestions, 3);
}

TEST_F(DownloadListTest, RestoredDownloadsComeBackQueuedWithTheClientsPercent) {
  WriteDocument(
      "<DownloadItem fileName=\"r1.avi\" fromMobile=\"0\" MD5=\"" + HashOf(1) +
      "\" fileType=\"3\" fileSize=\"2000000\" comment=\"c\" localFileName=\"d:\\r1.avi\"></DownloadItem>\r\n"
      "<DownloadItem fileName=\"r2.avi\" MD5=\"" + HashOf(2) +
      "\" fileType=\"3\" fileSize=\"3000000\" localFileName=\"d:\\r2.avi\" finished=\"1\"></DownloadItem>\r\n");
  host_.downloadPercents["d:\\r1.avi"] = 42;
  host_.downloadPercents["d:\\r2.avi"] = 250;
  Open();
  ASSERT_EQ(list_->TaskCount(), 2u);
  EXPECT_EQ(Cell(0, DownloadList::kName), "r1.avi");
  EXPECT_EQ(Cell(0, DownloadList::kStatus), "本地排队");
  EXPECT_EQ(Cell(0, DownloadList::kPercent), "42%");
  EXPECT_EQ(Task(2)->Percent(), 100) << "kept within 0 to 100";
  EXPECT_EQ(Task(2)->CurrentState(), DownloadTask::kQueued);
  EXPECT_EQ(host_.CallsOf("GetDownloadPercent").size(), 2u);
  list_->Refresh();
  EXPECT_EQ(list_->RunningCount(), 1) << "one start per refresh";
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kDownloading);
  list_->Refresh();
  EXPECT_EQ(Task(2)->CurrentState(), DownloadTask::kDownloading);
}

TEST_F(DownloadListTest, TheQueueStartsTheHighestPriorityFirst) {
  WriteDocument("<DownloadItem fileName=\"q1.avi\" MD5=\"" + HashOf(1) +
                "\" fileSize=\"1000\" localFileName=\"d:\\q1.avi\"></DownloadItem>\r\n"
                "<DownloadItem fileName=\"q2.avi\" MD5=\"" + HashOf(2) +
                "\" fileSize=\"1000\" localFileName=\"d:\\q2.avi\"></DownloadItem>\r\n");
  Open(100);
  Task(2)->priority = 40;
  list_->Refresh();
  EXPECT_EQ(Task(2)->CurrentState(), DownloadTask::kDownloading) << "the higher priority";
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kQueued);
  EXPECT_EQ(Task(1)->priority, 2) << "queued tasks gain 2 a refresh";
  list_->Refresh();
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kDownloading);
}

TEST_F(DownloadListTest, AQueuedFileTheCoinsDoNotCoverStopsTheQueue) {
  WriteDocument("<DownloadItem fileName=\"small.avi\" MD5=\"" + HashOf(1) +
                "\" fileSize=\"1000\" localFileName=\"d:\\small.avi\"></DownloadItem>\r\n"
                "<DownloadItem fileName=\"big.avi\" MD5=\"" + HashOf(3) +
                "\" fileSize=\"900000000\" localFileName=\"d:\\big.avi\"></DownloadItem>\r\n");
  Open(100);
  list_->Refresh();
  EXPECT_EQ(list_->RunningCount(), 0) << "the scan stops before anything starts";
  EXPECT_EQ(Cell(1, DownloadList::kStatus), "暂停(拓币不够)");
  EXPECT_EQ(Task(3)->CurrentState(), DownloadTask::kQueued) << "it stays in the queue";
  EXPECT_EQ(Cell(0, DownloadList::kStatus), "本地排队");
  list_->Coins().SetBalance(900);
  list_->Refresh();
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kDownloading) << "the first of equal priority";
  list_->Refresh();
  EXPECT_EQ(Task(3)->CurrentState(), DownloadTask::kDownloading);
}

TEST_F(DownloadListTest, ADownloadWithoutSourcesMakesRoomForAQueuedOneAfterALongWait) {
  host_.member = 1;
  host_.transferPace.sources = 0;
  Open(10000);
  for (unsigned i = 1; i <= 11; ++i) ASSERT_EQ(Add(i, "f" + std::to_string(i), 1000), DownloadList::kAdded);
  ASSERT_EQ(Task(11)->CurrentState(), DownloadTask::kQueued);
  Task(3)->priority = 900;
  list_->Refresh();
  EXPECT_EQ(Task(3)->priority, 902);
  EXPECT_EQ(Task(3)->CurrentState(), DownloadTask::kDownloading);
  list_->Refresh();
  EXPECT_EQ(Task(3)->CurrentState(), DownloadTask::kQueued);
  EXPECT_EQ(Task(3)->priority, 0);
  EXPECT_TRUE(Transfer(3)->Paused());
  EXPECT_EQ(Task(11)->CurrentState(), DownloadTask::kDownloading) << "the freed place is taken";
  EXPECT_EQ(Task(11)->priority, 0);
}

TEST_F(DownloadListTest, CostRemainingTimeAndSpeedCells) {
  Open();
  ASSERT_EQ(Add(1, "a.avi", 1048575), DownloadList::kAdded);
  ASSERT_EQ(Add(2, "b.avi", 3145728), DownloadList::kAdded);
  EXPECT_EQ(Cell(1, DownloadList::kCost), "-1");
  EXPECT_EQ(Cell(0, DownloadList::kCost), "-3");
  EXPECT_EQ(Cell(0, DownloadList::kRemaining), "未知");
  EXPECT_EQ(Cell(0, DownloadList::kSpeed), "0.00KB/S");
  // 5 bytes a second counts as 10: 3145728 / 100 x 50 / 10 seconds.
  Transfer(2)->ReportProgress(0, 0, 0, 5, 0, 0.5);
  list_->Refresh();
  EXPECT_EQ(Cell(0, DownloadList::kRemaining), FormatDuration(3145728 / 100 * 50 / 10));
  EXPECT_EQ(Cell(0, DownloadList::kPercent), "50%");
  Transfer(2)->ReportProgress(0, 0, 0, 2048000, 0, 0.5);
  list_->Refresh();
  EXPECT_EQ(Cell(0, DownloadList::kSpeed), "2, 000 KB/S");
  EXPECT_EQ(Cell(0, DownloadList::kRemaining), "0:00:00");
}

TEST_F(DownloadListTest, TheFirstThreeTicksAreSkippedAndEachRefreshAddsTwoSeconds) {
  Open();
  ASSERT_EQ(Add(1, "a.avi", 1000), DownloadList::kAdded);
  for (int i = 0; i < 3; ++i) list_->Tick();
  EXPECT_EQ(Task(1)->timeUsed, 0u);
  list_->Tick();
  list_->Tick();
  EXPECT_EQ(Task(1)->timeUsed, 4u);
}

TEST_F(DownloadListTest, DownloadedBytesAreChargedAndReportedToTheHost) {
  Open(1000);
  int32_t coins = -1, tasks = -1, sources = -1;
  list_->onStatus = [&](int32_t c, int32_t t, int32_t s) { coins = c, tasks = t, sources = s; };
  ASSERT_EQ(Add(1, "a.avi", 100 * kMiB), DownloadList::kAdded);
  Transfer(1)->ReportProgress(60 * kMiB, 0, 5 * kMiB, 1000, 0, 0.6);
  Transfer(1)->ReportProgress(60 * kMiB, 0, 5 * kMiB, 1000, 0, 0.6);  // nothing new
  list_->Refresh();
  EXPECT_EQ(list_->Coins().Balance(), 945);
  EXPECT_EQ(host_.CallsOf("AddTraffic"), std::vector<std::string>{"AddTraffic(55, 0)"});
  EXPECT_EQ(coins, 945);
  EXPECT_EQ(tasks, 1);
  EXPECT_EQ(sources, 0);
  // A counter that goes back is a new start, not a refund.
  Transfer(1)->ReportProgress(kMiB, 0, 0, 1000, 0, 0.01);
  Transfer(1)->ReportProgress(3 * kMiB, 0, 0, 1000, 0, 0.03);
  list_->Refresh();
  EXPECT_EQ(list_->Coins().Balance(), 943);
}

TEST_F(DownloadListTest, AClientWithoutATransferLeavesTheTaskRunningUntilDeleted) {
  host_.noTransfers = true;
  Open();
  ASSERT_EQ(Add(1, "a.avi", 1000), DownloadList::kAdded);
  EXPECT_EQ(Task(1)->CurrentState(), DownloadTask::kDownloading);
  EXPECT_EQ(Task(1)->transfer, nullptr);
  list_->Refresh();
  DownloadList::Request withPeer = Request(1, "a.avi", 1000);
  withPeer.peerId = 5;
  withPeer.ip = 0x0A000001;
  EXPECT_EQ(list_->Add(withPeer), DownloadList::kInList);
  EXPECT_TRUE(prompts_.messages.empty()) << "no transfer: no source and no message";
  list_->Delete(*Task(1));
  EXPECT_EQ(list_->TaskCount(), 0u);
  EXPECT_EQ(list_->RetiringCount(), 0u);
}

TEST_F(DownloadListTest, AHundredThousandRestoredItemsLoadAndSaveWhole) {
  std::string items;
  char item[256];
  for (unsigned i = 0; i < 100000; ++i) {
    std::snprintf(item, sizeof item,
                  "<DownloadItem fileName=\"f%u.avi\" MD5=\"%s\" fileSize=\"%u\" localFileName=\"d:\\f%u.avi\">"
                  "</DownloadItem>\r\n",
                  i, HashOf(i).c_str(), i, i);
    items += item;
  }
  WriteDocument("<GreenTunnel>5</GreenTunnel>\r\n" + items);
  Open();
  ASSERT_EQ(list_->TaskCount(), 100000u);
  EXPECT_EQ(list_->Control().ItemCount(), 100000);
  EXPECT_EQ(Cell(99999, DownloadList::kName), "f99999.avi");
  list_->Refresh();
  ASSERT_EQ(Add(100001, "new.avi", 1000), DownloadList::kAdded);
  std::string saved = ReadFileBytes(DocumentPath());
  EXPECT_NE(saved.find("<GreenTunnel>\r\n5</GreenTunnel>"), std::string::npos);
  EXPECT_NE(saved.find("fileName=\"f99999.avi\""), std::string::npos);
  EXPECT_LT(saved.find("new.avi"), saved.find("f0.avi")) << "the new row is the first";
}

}  // namespace
