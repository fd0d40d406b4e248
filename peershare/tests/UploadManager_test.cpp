// The upload list in a window of its own: rows and columns, the client's
// calls on upload records, the row menu, and four client threads against
// the window thread and the report thread.
#include "transfer/UploadManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <set>
#include <thread>

#include "DownloadListFixture.h"
#include "TransferDouble.h"
#include "WebServerDouble.h"
#include "frame/ResourceIds.h"
#include "transfer/TaskSource.h"

namespace {

// At most `count` messages of this thread, so that a flood of posts cannot
// keep the test in one call.
void PumpSome(int count) {
  MSG message;
  for (int i = 0; i < count && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

class UploadManagerTest : public DownloadListTest {
 protected:
  UploadManagerTest() {
    uploads_.onStatus = [this](int32_t uploads, int32_t peers) {
      shownUploads_ = uploads;
      if (peers >= 0) shownPeers_ = peers;
    };
    uploads_.onUploadedBytes = [this](int64_t bytes) { credited_ += bytes; };
    RECT area = {0, 0, 880, 380};
    EXPECT_TRUE(uploads_.Create(parent_, 101, area));
  }
  ~UploadManagerTest() override { uploads_.Stop(); }

  std::string Cell(int row, int column) const { return uploads_.Control().ItemText(row, column); }
  SourceDouble& Peer(uint32_t number, const char* nickname) {
    peers_.push_back(std::make_unique<SourceDouble>(number, nickname, [](const std::string&) {}));
    return *peers_.back();
  }

  int64_t now_ = LocalClock::At(2026, 12, 8, 15, 0);
  UploadManager uploads_{&host_, [this] { return now_; }};
  int32_t shownUploads_ = -1, shownPeers_ = -1;
  int64_t credited_ = 0;
  std::vector<std::unique_ptr<SourceDouble>> peers_;
};

TEST_F(UploadManagerTest, TheColumnsHaveTheirHeadersWidthsAndAlignment) {
  const std::pair<const char*, int> columns[] = {{"文件名", 150}, {"大小", 75},  {"拓币", 40},
                                                 {"状态", 53},   {"速度", 52},  {"百分比", 55},
                                                 {"用时", 55},   {"上传量", 70}, {"注释", 88}};
  ASSERT_EQ(uploads_.Control().ColumnCount(), 9);
  for (int column = 0; column < 9; ++column) {
    EXPECT_EQ(uploads_.Control().ColumnText(column), columns[column].first) << column;
    EXPECT_EQ(uploads_.Control().ColumnWidth(column), columns[column].second) << column;
    EXPECT_EQ(uploads_.Control().ColumnFormat(column) & LVCFMT_JUSTIFYMASK, column == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT);
  }
}

TEST_F(UploadManagerTest, ANewUploadComesAtTheTopWithItsCoinsAndStartValues) {
  ASSERT_NE(uploads_.AddUpload("大.avi", "C:\\share\\大.avi", 3, 5 * kMiB + 10, 0), nullptr);
  UploadRecord* small = uploads_.AddUpload("小.mp3", "C:\\share\\小.mp3", 1, 300 * 1024, 7);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->Item().value, 7);
  ASSERT_EQ(uploads_.Control().ItemCount(), 2);
  EXPECT_EQ(Cell(0, 0), "小.mp3");
  EXPECT_EQ(Cell(0, 1), "300 KB");
  EXPECT_EQ(Cell(0, 2), "+1");
  EXPECT_EQ(Cell(0, 3), "正在下载");
  EXPECT_EQ(Cell(0, 4), "0");
  EXPECT_EQ(Cell(0, 6), "0");
  EXPECT_EQ(Cell(1, 2), "+5");
  EXPECT_EQ(shownUploads_, 2);
}

TEST_F(UploadManagerTest, ProgressIsShownAtTheRefreshAndTheBytesAreCreditedOnce) {
  UploadRecord* upload = uploads_.AddUpload("a.rmvb", "C:\\share\\a.rmvb", 3, 8 * kMiB, 0);
  ASSERT_NE(upload, nullptr);
  TransferTaskSink& sink = *upload;
  sink.Progress(0, 3 * kMiB, 0, 0, 0, 20480, 0.25);
  sink.SetStatusText("正在上传");
  sink.Progress(0, 3 * kMiB + 2048, 0, 0, 0, 20480, 0.25);
  uploads_.Refresh();
  EXPECT_EQ(Cell(0, 3), "正在上传");
  EXPECT_EQ(Cell(0, 4), "20 KB/S");
  EXPECT_EQ(Cell(0, 5), "25%");
  EXPECT_EQ(Cell(0, 6), "0:00:02");
  EXPECT_EQ(Cell(0, 7), "3074KB");
  EXPECT_EQ(credited_, 3 * kMiB + 2048);
  // A counter that starts again from a lower value is no new upload.
  sink.Progress(0, 1024, 0, 0, 0, 0, 0.25);
  sink.Progress(0, 4096, 0, 0, 0, 0, 0.25);
  uploads_.Refresh();
  EXPECT_EQ(credited_, 3 * kMiB + 2048 + 3072);
}

TEST_F(UploadManagerTest, PeersAppearBelowTheirUploadAndTheEndRemovesTheRows) {
  UploadRecord* upload = uploads_.AddUpload("a.rmvb", "C:\\share\\a.rmvb", 3, 8 * kMiB, 0);
  ASSERT_NE(upload, nullptr);
  TaskSource* peer = upload->NewSource(&Peer(4242, "小明"));
  ASSERT_NE(peer, nullptr);
  Pump(50);
  ASSERT_EQ(uploads_.Control().ItemCount(), 2);
  EXPECT_EQ(Cell(1, 0), "小明(4242)");
  uploads_.Refresh();
  EXPECT_EQ(shownPeers_, 1);
  peer->Removed();
  Pump(50);
  EXPECT_EQ(uploads_.Control().ItemCount(), 1);
  upload->Ended();
  Pump(50);
  EXPECT_EQ(uploads_.Control().ItemCount(), 0);
  EXPECT_EQ(uploads_.UploadCount(), 0u);
  EXPECT_EQ(shownUploads_, 0);
}

TEST_F(UploadManagerTest, AFinishedDownloadBecomesAnUploadWithItsCommentAndSerialsNeverCollide) {
  DownloadList& downloads = Open();
  ASSERT_EQ(Add(1, "one.avi", 2 * kMiB), DownloadList::kAdded);
  uint32_t taskId = Task(1)->Id();
  UploadItem item;
  item.name = "done.avi";
  item.localPath = Folder() + "\\done.avi";
  item.category = 3;
  item.size = 2 * kMiB;
  item.comment = "好片";
  uint32_t uploadId = 0;
  std::thread client([&] { uploadId = uploads_.AddFinishedDownload(item); });
  client.join();
  Pump(50);
  ASSERT_EQ(uploads_.Control().ItemCount(), 1);
  EXPECT_EQ(Cell(0, 0), "done.avi");
  EXPECT_EQ(Cell(0, 8), "好片");
  UploadRecord* direct = uploads_.AddUpload("x", "C:\\x", 1, 1, 0);
  ASSERT_EQ(Add(2, "two.avi", 2 * kMiB), DownloadList::kAdded);
  std::set<uint32_t> ids = {taskId, uploadId, direct->Id(), Task(2)->Id()};
  EXPECT_EQ(ids.size(), 4u);
  EXPECT_LT(taskId, uploadId);
  EXPECT_LT(direct->Id(), Task(2)->Id());
  (void)downloads;
}

TEST_F(UploadManagerTest, TheRowMenuEnablesItsEntriesByTheSelection) {
  win::UniqueMenu loaded = uploads_.LoadRowMenu();
  ASSERT_TRUE(loaded);
  HMENU menu = GetSubMenu(loaded.Get(), 1);
  ASSERT_NE(menu, nullptr);
  char title[32] = "";
  GetMenuStringA(loaded.Get(), 1, title, sizeof title, MF_BYPOSITION);
  EXPECT_STREQ(title, "Manger");
  auto enabled = [&](int command) { return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED) == 0; };
  uploads_.PrepareMenu(menu);
  EXPECT_FALSE(enabled(ID_UPLOAD_MESSAGE_ALL));
  EXPECT_FALSE(enabled(ID_UPLOAD_CUT));
  EXPECT_TRUE(enabled(ID_UPLOAD_GREEN_CHANNEL));
  EXPECT_TRUE(enabled(ID_UPLOAD_TEMPORARY_CHANNEL));
  UploadRecord* upload = uploads_.AddUpload("a.rmvb", "C:\\share\\a.rmvb", 3, 8 * kMiB, 0);
  upload->NewSource(&Peer(4242, "小明"));
  Pump(50);
  uploads_.Control().SelectOnly({0});
  uploads_.PrepareMenu(menu);
  EXPECT_TRUE(enabled(ID_UPLOAD_MESSAGE_ALL));
  EXPECT_TRUE(enabled(ID_UPLOAD_CUT));
  EXPECT_TRUE(enabled(ID_UPLOAD_COPY_LINK));
  EXPECT_TRUE(enabled(ID_UPLOAD_BLOCK_MAP));
  EXPECT_FALSE(enabled(ID_UPLOAD_PEER_FRIEND));
  uploads_.Control().SelectOnly({1});
  uploads_.PrepareMenu(menu);
  EXPECT_TRUE(enabled(ID_UPLOAD_PEER_FRIEND));
  EXPECT_TRUE(enabled(ID_UPLOAD_PEER_COPY_NUMBER));
  EXPECT_FALSE(enabled(ID_UPLOAD_COPY_LINK));
  uploads_.RunCommand(ID_UPLOAD_PEER_FRIEND);
  EXPECT_EQ(host_.CallsOf("AddFriend").size(), 1u);
  // Cutting the upload: the client learns it from Alive, the rows go.
  uploads_.Control().SelectOnly({0});
  uploads_.RunCommand(ID_UPLOAD_CUT);
  EXPECT_EQ(upload->Alive(), 0);
  EXPECT_EQ(uploads_.Control().ItemCount(), 0);
  upload->Ended();
  Pump(50);
  EXPECT_EQ(uploads_.RetiringCount(), 0u);
}

TEST_F(UploadManagerTest, TheHourlyCheckStartsAReportOnlyWhenTheDayChanged) {
  WebServerDouble server;
  ASSERT_TRUE(server.Ok());
  ASSERT_TRUE(server.SetRules("/flow.asp answer 0\n"));
  std::string log = temp_.File("transmitout.xml");
  ASSERT_TRUE(WriteFileBytes(log, "<Transmit><HasUpload timestamp=\"" +
                                      std::to_string(LocalClock::At(2026, 12, 7, 9, 0)) +
                                      "\" friendid=\"5\" realIP=\"10.0.0.5\" uploadnum=\"2048\"/></Transmit>"));
  uploads_.SetTrafficLogPath(log);
  uploads_.SetUser(kUser);
  ServerSettings::Values settings;
  settings.uploadRecord = 1;
  settings.uploadUrl = server.Address() + "/flow.asp";
  uploads_.OnSettingsApplied(settings);
  EXPECT_TRUE(uploads_.WaitForReports(10000));
  EXPECT_EQ(server.Log().find("POST /flow.asp&ClientID=10001&Timestamp=20261208&Flow=2.00&Connectors=5@10.0.0.5"),
            0u);
  now_ += 3600;
  uploads_.CheckReportDay();
  EXPECT_EQ(uploads_.RunningReports(), 0u);
  EXPECT_EQ(uploads_.LastReportStart(), LocalClock::At(2026, 12, 8, 15, 0));
  now_ = LocalClock::At(2026, 12, 9, 1, 0);
  uploads_.CheckReportDay();
  EXPECT_EQ(uploads_.LastReportStart(), now_);
  EXPECT_TRUE(uploads_.WaitForReports(10000));
}

// A report that waits for a slow server when the plug-in stops: Stop waits
// a while, then leaves the thread, which finishes on its own with what it
// holds and takes the records out of the log.
TEST_F(UploadManagerTest, AReportThreadOutlivesTheManagerThatStopped) {
  WebServerDouble server;
  ASSERT_TRUE(server.Ok());
  ASSERT_TRUE(server.SetRules("/flow.asp answer 0\n/flow.asp delay 5000\n"));
  std::string log = temp_.File("transmitout.xml");
  ASSERT_TRUE(WriteFileBytes(log, "<Transmit><HasUpload timestamp=\"" +
                                      std::to_string(LocalClock::At(2026, 12, 7, 9, 0)) +
                                      "\" friendid=\"5\" realIP=\"10.0.0.5\" uploadnum=\"2048\"/></Transmit>"));
  auto uploads = std::make_unique<UploadManager>(&host_, [this] { return now_; });
  uploads->SetTrafficLogPath(log);
  ServerSettings::Values settings;
  settings.uploadRecord = 1;
  settings.uploadUrl = server.Address() + "/flow.asp";
  uploads->OnSettingsApplied(settings);
  ASSERT_EQ(uploads->RunningReports(), 1u);
  DWORD start = GetTickCount();
  uploads.reset();
  DWORD stopping = GetTickCount() - start;
  EXPECT_GE(stopping, UploadManager::kReportStopWait - 100);
  EXPECT_LT(stopping, UploadManager::kReportStopWait + 1500);
  bool removed = false;
  for (int wait = 0; wait < 100 && !removed; ++wait) {
    Sleep(100);
    removed = ReadFileBytes(log).find("friendid") == std::string::npos;
  }
  EXPECT_TRUE(removed) << "the abandoned report finished its run";
}

// Four client threads make uploads, report progress and peers and end them,
// while the window thread refreshes, cuts and starts report threads. Every
// upload that ended is gone, every byte is credited once.
TEST_F(UploadManagerTest, FourClientThreadsAgainstTheWindowAndTheReport) {
  WebServerDouble server;
  ASSERT_TRUE(server.Ok());
  ASSERT_TRUE(server.SetRules("/flow.asp answer 1\n"));
  std::string log = temp_.File("transmitout.xml");
  ASSERT_TRUE(WriteFileBytes(log, "<Transmit><HasUpload timestamp=\"1\" friendid=\"5\" realIP=\"10.0.0.5\" "
                                  "uploadnum=\"2048\"/></Transmit>"));
  uploads_.SetTrafficLogPath(log);
  ServerSettings::Values settings;
  settings.uploadRecord = 1;
  settings.uploadUrl = server.Address() + "/flow.asp";
  uploads_.OnSettingsApplied(settings);
  std::atomic<bool> running{true};
  std::atomic<int64_t> reported{0};
  std::atomic<long> made{0};
  std::vector<std::thread> clients;
  for (int thread = 0; thread < 4; ++thread) {
    clients.emplace_back([&, thread] {
      std::mt19937 random(thread * 7919u + 1);
      std::vector<std::unique_ptr<SourceDouble>> peers;
      while (running.load()) {
        UploadRecord* upload = uploads_.AddUpload("f", "C:\\f", 1, 1 + random() % (8 * kMiB), thread);
        if (upload == nullptr) break;
        ++made;
        peers.push_back(std::make_unique<SourceDouble>(random() % 100000, "p", [](const std::string&) {}));
        TaskSource* peer = upload->NewSource(peers.back().get());
        uint64_t sent = 0;
        for (int step = 0; step < 20 && upload->Alive() != 0; ++step) {
          sent += random() % 65536;
          upload->Progress(0, sent, 0, 0, 0, 1000, step / 20.0);
          if (peer != nullptr) peer->Progress(step * 5, 100, 0, static_cast<uint32_t>(sent));
        }
        reported += static_cast<int64_t>(sent);
        if (peer != nullptr && random() % 2 == 0) peer->Removed();
        upload->Ended();
        Sleep(2);
      }
    });
  }
  const DWORD seconds = 10;
  DWORD end = GetTickCount() + seconds * 1000;
  int day = 9;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    PumpSome(500);
    Sleep(1);
    uploads_.Refresh();
    if (uploads_.Control().ItemCount() > 0 && GetTickCount() % 3 == 0) {
      uploads_.Control().SelectOnly({0});
      uploads_.CutSelected();
    }
    if (GetTickCount() % 50 == 0) {
      now_ = LocalClock::At(2026, 12, day++ % 28 + 1, 12, 0);
      uploads_.CheckReportDay();
    }
  }
  running.store(false);
  for (std::thread& client : clients) client.join();
  Pump(200);
  uploads_.Refresh();
  EXPECT_GT(made.load(), 100);
  EXPECT_EQ(uploads_.UploadCount(), 0u);
  EXPECT_EQ(uploads_.RetiringCount(), 0u);
  EXPECT_EQ(uploads_.Control().ItemCount(), 0);
  EXPECT_EQ(credited_, reported.load());
  EXPECT_TRUE(uploads_.WaitForReports(10000));
  std::printf("stress: %ld uploads from 4 client threads in %lu s\n", made.load(), seconds);
}

}  // namespace
