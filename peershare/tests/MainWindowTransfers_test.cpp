// The transfer objects as the client reaches them: created by Start, fed by
// the PluginInterface operations, stopped and deleted by Stop.
#include "frame/MainWindow.h"

#include <gtest/gtest.h>

#include "DownloadListFixture.h"
#include "frame/ResourceIds.h"

namespace {

class MainWindowTransfersTest : public ::testing::Test {
 protected:
  MainWindowTransfersTest() {
    for (const std::string& folder : {temp_.File("Tovak"), Data() + "\\config", Bin()})
      CreateDirectoryA(folder.c_str(), nullptr);
    window_.SetHost(&host_);
  }
  ~MainWindowTransfersTest() override { window_.Stop(); }

  std::string Data() const { return temp_.File("Tovak"); }
  std::string Bin() const { return Data() + "\\bin"; }
  std::string DocumentPath() const { return TransferDocument::PathFor(Data(), 10001); }

  TempFolder temp_;
  LoggingHost host_;
  MainWindow window_{Bin()};
  PluginInterface& plugin_ = window_;
};

TEST_F(MainWindowTransfersTest, StartPutsTheDownloadListIntoTheHomePanel) {
  EXPECT_EQ(plugin_.AddDownload("a.avi", HashOf(1).c_str(), 1000, ""), kDownloadNotReady);
  ASSERT_EQ(plugin_.Start(10001, 300, 0), 1);
  ASSERT_NE(window_.Downloads(), nullptr);
  HWND list = GetDlgItem(window_.PanelWindow(MainWindow::kHome), IDC_DOWNLOAD_LIST);
  EXPECT_EQ(list, window_.Downloads()->Handle());
  EXPECT_EQ(window_.Downloads()->Document().Path(), DocumentPath());
  EXPECT_EQ(window_.Downloads()->Coins().Balance(), 300);
  plugin_.SetAccount(250, 0, 0);
  EXPECT_EQ(window_.Downloads()->Coins().Balance(), 250);
}

TEST_F(MainWindowTransfersTest, TheClientsDownloadOperationsReachTheList) {
  ASSERT_EQ(plugin_.Start(10001, 300, 0), 1);
  RecordingPrompts prompts;
  window_.Downloads()->SetPrompts(&prompts);
  ASSERT_EQ(plugin_.SetDownloadFolder(temp_.Path().c_str(), 1), 1);
  int32_t ask = 0;
  EXPECT_STREQ(plugin_.GetDownloadFolder(&ask), temp_.Path().c_str());
  EXPECT_EQ(ask, 1);
  ASSERT_EQ(plugin_.SetDownloadFolder(temp_.Path().c_str(), 0), 1);
  uint32_t busy = 9;
  ASSERT_EQ(plugin_.GetBusy(&busy), 1);
  EXPECT_EQ(busy, 0u);

  EXPECT_EQ(plugin_.AddDownload("a.avi", HashOf(1).c_str(), 1000, "注"), 3);
  EXPECT_EQ(plugin_.AddHostDownload("b.mp3", 1, HashOf(2).c_str(), 2000, nullptr), 3);
  EXPECT_EQ(host_.CallsOf("DownloadAdded"), std::vector<std::string>{"DownloadAdded(\"b.mp3\", 0)"});
  EXPECT_EQ(plugin_.AddHostDownload("b.mp3", 1, HashOf(2).c_str(), 2000, nullptr), 1);
  EXPECT_EQ(host_.CallsOf("DownloadAdded").size(), 2u);
  EXPECT_EQ(prompts.messages, std::vector<std::string>{"已经在下载了"});
  EXPECT_EQ(plugin_.AddDownload(nullptr, HashOf(3).c_str(), 1, nullptr), kDownloadNotReady);
  EXPECT_EQ(plugin_.AddDownload("c", nullptr, 1, nullptr), kDownloadNotReady);
  DownloadTask* task = window_.Downloads()->FindTaskByHash(HashOf(1));
  ASSERT_NE(task, nullptr);
  EXPECT_EQ(task->item.fileType, 8) << "the client names no category";
  EXPECT_EQ(task->item.comment, "注");
  EXPECT_EQ(window_.Downloads()->FindTaskByHash(HashOf(2))->item.fileType, 1);
  ASSERT_EQ(plugin_.GetBusy(&busy), 1);
  EXPECT_EQ(busy, kBusyDownloading);

  window_.Downloads()->Refresh();
  window_.Downloads()->SetPrompts(nullptr);
  EXPECT_EQ(window_.Status().Text().find("传入文件数  2/0| 传出文件数"), 0u) << window_.Status().Text();
}

TEST_F(MainWindowTransfersTest, StopStopsTheTransfersSavesAndDeletesTheList) {
  ASSERT_EQ(plugin_.Start(10001, 300, 0), 1);
  ASSERT_EQ(plugin_.SetDownloadFolder(temp_.Path().c_str(), 0), 1);
  ASSERT_EQ(plugin_.AddDownload("a.avi", HashOf(1).c_str(), 1000, ""), 3);
  plugin_.Stop();
  EXPECT_EQ(window_.Downloads(), nullptr);
  EXPECT_EQ(window_.Handle(), nullptr);
  std::vector<std::string> calls = host_.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "transfer " + HashOf(1) + " Stop(0, 1)"), calls.end());
  EXPECT_NE(ReadFileBytes(DocumentPath()).find("MD5=\"" + HashOf(1) + "\""), std::string::npos);
  EXPECT_EQ(plugin_.AddDownload("b.avi", HashOf(2).c_str(), 1000, ""), kDownloadNotReady);
  int32_t ask = 5;
  EXPECT_STREQ(plugin_.GetDownloadFolder(&ask), "");
  EXPECT_EQ(ask, 5);
  // A new sign-in restores the pending download.
  ASSERT_EQ(plugin_.Start(10001, 300, 0), 1);
  DownloadTask* restored = window_.Downloads()->FindTaskByHash(HashOf(1));
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(restored->CurrentState(), DownloadTask::kQueued);
}

}  // namespace
