// The finished-download and finished-upload lists over a real transfer
// document: their columns, cells and the removal of records.
#include <gtest/gtest.h>

#include "DownloadListFixture.h"
#include "frame/ResourceIds.h"
#include "transfer/FinishedDownloadList.h"
#include "transfer/FinishedUploadList.h"
#include "transfer/LocalClock.h"

namespace {

class HistoryListsTest : public DownloadListTest {
 protected:
  void OpenWithHistory() {
    const std::string day = std::to_string(LocalClock::At(2026, 12, 7, 13, 45));
    WriteDocument("<HasDownload fileName=\"" + Folder() + "\\功夫.avi\" fileType=\"3\" fileSize=\"3145728\" time=\"" +
                  day + "\" comment=\"好看\"/>\r\n<HasDownload fileName=\"" + Folder() +
                  "\\small.txt\" fileType=\"12\" fileSize=\"1000\" time=\"x\" comment=\"\"/>\r\n"
                  "<HasUpload fileName=\"C:\\share\\b.mp3\" fileType=\"9\" fileSize=\"500000\" time=\"" +
                  day + "\" pTVID=\"4242\" nickName=\"小明\" comment=\"\"/>\r\n"
                  "<HasUpload fileName=\"C:\\share\\c.avi\" fileType=\"3\" fileSize=\"7340032\" time=\"" +
                  day + "\" pTVID=\"7\" nickName=\"b\" comment=\"c\"/>\r\n");
    list_ = std::make_unique<DownloadList>(&host_, Bin());
    list_->onHistoryLoaded = [this](XmlElement* transmit) {
      downloads_.Fill(transmit);
      uploads_.Fill(transmit);
    };
    list_->onHistoryReleased = [this] {
      downloads_.Clear();
      uploads_.Clear();
    };
    list_->SetPrompts(&prompts_);
    list_->SetDocumentPath(DocumentPath());
    list_->SetUser(kUser);
    RECT area = {0, 0, 880, 380};
    ASSERT_TRUE(downloads_.Create(parent_, 102, area));
    ASSERT_TRUE(uploads_.Create(parent_, 103, area));
    ASSERT_TRUE(list_->Create(parent_, 100, area));
    downloads_.SetDownloadList(list_.get());
    uploads_.SetDownloadList(list_.get());
  }
  static void ExpectColumns(const ListView& view, const std::vector<std::pair<std::string, int>>& columns) {
    ASSERT_EQ(view.ColumnCount(), static_cast<int>(columns.size()));
    for (size_t column = 0; column < columns.size(); ++column) {
      EXPECT_EQ(view.ColumnText(static_cast<int>(column)), columns[column].first);
      EXPECT_EQ(view.ColumnWidth(static_cast<int>(column)), columns[column].second);
      EXPECT_EQ(view.ColumnFormat(static_cast<int>(column)) & LVCFMT_JUSTIFYMASK,
                column == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT);
    }
  }

  FinishedDownloadList downloads_;
  FinishedUploadList uploads_;
};

TEST(HistoryListText, CategoryNamesAndDates) {
  const char* names[] = {"未知", "音乐", "图片", "视频", "图书", "资料", "软件", "游戏", "未知", "未知"};
  for (int code = 0; code <= 9; ++code) EXPECT_EQ(HistoryList::CategoryName(code), names[code]) << code;
  EXPECT_EQ(HistoryList::CategoryName(-1), "未知");
  EXPECT_EQ(HistoryList::DateText(std::to_string(LocalClock::At(2026, 1, 2, 23, 59))), "2026-01-02");
  EXPECT_EQ(HistoryList::DateText("soon"), "");
  EXPECT_EQ(HistoryList::FolderOf("D:\\down\\a\\b.avi"), "D:\\down\\a\\");
}

TEST_F(HistoryListsTest, TheFinishedDownloadsShowTheirRecordsInDocumentOrder) {
  OpenWithHistory();
  ExpectColumns(downloads_.Control(),
                {{"文件名", 250}, {"类型", 38}, {"大小", 75}, {"日期", 60}, {"拓币花费", 60}, {"注释", 80}});
  ASSERT_EQ(downloads_.Control().ItemCount(), 2);
  const ListView& view = downloads_.Control();
  EXPECT_EQ(view.ItemText(0, 0), Folder() + "\\功夫.avi");
  EXPECT_EQ(view.ItemText(0, 1), "视频");
  EXPECT_EQ(view.ItemText(0, 2), "3, 072 KB");
  EXPECT_EQ(view.ItemText(0, 3), "2026-12-07");
  EXPECT_EQ(view.ItemText(0, 4), "-3");
  EXPECT_EQ(view.ItemText(0, 5), "好看");
  EXPECT_EQ(view.ItemText(1, 1), "未知");
  EXPECT_EQ(view.ItemText(1, 4), "-0");
}

TEST_F(HistoryListsTest, TheFinishedUploadsShowPeerNicknameAndCoinsEarned) {
  OpenWithHistory();
  ExpectColumns(uploads_.Control(), {{"文件名", 250},
                                     {"类型", 38},
                                     {"大小", 75},
                                     {"日期", 60},
                                     {"拓瓦号", 55},
                                     {"昵称", 50},
                                     {"拓币挣得", 60},
                                     {"注释", 80}});
  const ListView& view = uploads_.Control();
  ASSERT_EQ(view.ItemCount(), 2);
  EXPECT_EQ(view.ItemText(0, 0), "C:\\share\\b.mp3");
  EXPECT_EQ(view.ItemText(0, 1), "未知");
  EXPECT_EQ(view.ItemText(0, 4), "4242");
  EXPECT_EQ(view.ItemText(0, 5), "小明");
  EXPECT_EQ(view.ItemText(0, 6), "0");
  EXPECT_EQ(view.ItemText(1, 6), "7");
}

TEST_F(HistoryListsTest, DeletedRecordsLeaveTheSavedDocument) {
  OpenWithHistory();
  uploads_.Control().SelectOnly({0});
  uploads_.RunCommand(ID_UPLOADED_DELETE);
  EXPECT_EQ(uploads_.Control().ItemCount(), 1);
  std::string saved = ReadFileBytes(DocumentPath());
  EXPECT_EQ(saved.find("b.mp3"), std::string::npos);
  EXPECT_NE(saved.find("c.avi"), std::string::npos);
  downloads_.Control().SelectOnly({1});
  downloads_.RunCommand(ID_FINISHED_DELETE);
  saved = ReadFileBytes(DocumentPath());
  EXPECT_EQ(saved.find("small.txt"), std::string::npos);
  EXPECT_NE(saved.find("功夫.avi"), std::string::npos);
  ASSERT_EQ(downloads_.Control().ItemCount(), 1);
  EXPECT_EQ(downloads_.Control().ItemText(0, 5), "好看");
}

TEST_F(HistoryListsTest, TheMenuEnablesByTheSelectionAndACommentReachesTheDocument) {
  OpenWithHistory();
  win::UniqueMenu loaded = downloads_.LoadRowMenu();
  HMENU menu = downloads_.RowMenuOf(loaded.Get());
  ASSERT_NE(menu, nullptr);
  auto enabled = [&](int command) { return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED) == 0; };
  downloads_.PrepareMenu(menu);
  EXPECT_FALSE(enabled(ID_FINISHED_DELETE));
  EXPECT_FALSE(enabled(ID_FINISHED_COMMENT));
  downloads_.Control().SelectOnly({0, 1});
  downloads_.PrepareMenu(menu);
  EXPECT_TRUE(enabled(ID_FINISHED_DELETE));
  EXPECT_TRUE(enabled(ID_FINISHED_OPEN_FOLDER));
  prompts_.commentAnswer = "新注释";
  downloads_.RunCommand(ID_FINISHED_COMMENT);
  EXPECT_EQ(downloads_.Control().ItemText(1, 5), "新注释");
  list_->SaveDocument();
  std::string saved = ReadFileBytes(DocumentPath());
  EXPECT_NE(saved.find("comment=\"新注释\""), std::string::npos);
  std::vector<std::string> opened;
  downloads_.openWithShell = [&](const std::string& path) {
    opened.push_back(path);
    return true;
  };
  downloads_.RunCommand(ID_FINISHED_OPEN_FOLDER);
  ASSERT_FALSE(opened.empty());
  EXPECT_EQ(opened[0], Folder() + "\\");
}

}  // namespace
