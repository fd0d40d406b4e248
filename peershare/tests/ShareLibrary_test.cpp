// The share library driven as the client drives it: through the main
// window's PluginInterface, with the real files of a client folder, the hash
// plug-in double and a logging host.
#include "share/ShareLibrary.h"

#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <string>

#include "ClientFolder.h"
#include "LoggingHost.h"
#include "frame/MainWindow.h"
#include "share/Md5.h"

namespace {

constexpr uint32_t kUser = 10001;
constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n";

std::string SampleDocument(const char* version = "2") {
  return std::string(kDeclaration) + "<ShareFile version=\"" + version +
         "\">\r\n"
         "<Type name=\"视频\" style=\"0\" dir=\"3\">\r\n"
         "<file MD5=\"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\" fileSize=\"100\" time=\"5\" reShare=\"0\">\r\n"
         "<filePath>\r\nD:\\电影\\第1集.rmvb</filePath>\r\n</file>\r\n</Type>\r\n"
         "<Type name=\"珍藏\" style=\"1\" dir=\"8\">\r\n"
         "<file MD5=\"bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\" fileSize=\"7\" time=\"6\" reShare=\"0\">\r\n"
         "<filePath>\r\nE:\\私人\\日记.txt</filePath>\r\n</file>\r\n"
         "<file MD5=\"00000000000000000000000000000000\" fileSize=\"1\" time=\"7\">\r\n"
         "<filePath>\r\nE:\\z.txt</filePath>\r\n</file>\r\n</Type>\r\n</ShareFile>\r\n";
}

// Without the hash plug-in the worker's passes leave the files of the sample
// documents alone (they name no file of this machine).
class ShareLibraryTest : public ::testing::Test {
 protected:
  explicit ShareLibraryTest(bool withHashPlugin = false) : client_(withHashPlugin) {
    // Nothing listens there: the settings fetch fails at once.
    client_.WriteCustomIni("appServer=1\r\noperatorServer=127.0.0.1:1\r\n");
    window_ = WindowWithoutPauses(client_, &host_, 60000);
    window_->Library().SetAdapterSource(
        [] { return std::vector<NetworkAdapter>{{MIB_IF_TYPE_ETHERNET, {1, 2, 3, 4, 5, 6}, "192.168.0.1"}}; });
  }
  ~ShareLibraryTest() override { window_->Stop(); }

  PluginInterface& Plugin() { return *window_; }
  // Starts and waits for the worker's first pass, which writes the published copy.
  void StartAndSettle(int32_t rehashAll = 0) {
    ASSERT_EQ(Plugin().Start(kUser, 0, rehashAll), 1);
    for (int i = 0; i < 500 && Library().Statistics().passes == 0; ++i) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      Sleep(10);
    }
    ASSERT_GE(Library().Statistics().passes, 1u);
  }
  ShareLibrary& Library() { return window_->Library(); }
  std::string ConfigFile(const char* name) const { return client_.ConfigFile(name); }
  void WriteDocument(const std::string& text) { ASSERT_TRUE(WriteFileBytes(ConfigFile("share10001.xml"), text)); }

  ClientFolder client_;
  LoggingHost host_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(ShareLibraryTest, OpenShareLibraryCountsHashedFilesAndGivesAStableIdentity) {
  WriteDocument(SampleDocument());
  char id[33];
  int32_t count = -1;
  ASSERT_EQ(Plugin().OpenShareLibrary(kUser, id, &count), 1);
  EXPECT_EQ(count, 2);
  std::string stamp = AttributeOf(*Library().Document().Root(), "TimeStamp");
  ASSERT_EQ(stamp.size(), 12u);
  auto timeStamp = static_cast<int32_t>(static_cast<uint32_t>(std::stoull(stamp)));
  EXPECT_EQ(std::string(id), ShareIdentity::Compute("010203040506", kUser, timeStamp, client_.Bin()));

  // The stamp is saved with the document, so the next session has the same identity.
  ASSERT_EQ(Plugin().Start(kUser, 0, 0), 1);
  Plugin().Stop();
  MainWindow next(client_.Bin());
  next.Library().SetAdapterSource(
      [] { return std::vector<NetworkAdapter>{{MIB_IF_TYPE_ETHERNET, {1, 2, 3, 4, 5, 6}, "192.168.0.1"}}; });
  char again[33];
  ASSERT_EQ(static_cast<PluginInterface&>(next).OpenShareLibrary(kUser, again, nullptr), 1);
  EXPECT_STREQ(again, id);
}

TEST_F(ShareLibraryTest, LookupSharedFileAnswersKnownFilesAndWithdrawsUnknownOnesOnce) {
  WriteDocument(SampleDocument());
  ASSERT_EQ(Plugin().Start(kUser, 0, 0), 1);
  char path[kHostTextMax] = "";
  int32_t hidden = -1, category = -1;
  ASSERT_EQ(Plugin().LookupSharedFile("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", path, &hidden, &category), 1);
  EXPECT_STREQ(path, "D:\\电影\\第1集.rmvb");
  EXPECT_EQ(hidden, 0);
  EXPECT_EQ(category, 3);
  ASSERT_EQ(Plugin().LookupSharedFile("bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb", path, &hidden, &category), 1);
  EXPECT_EQ(hidden, 1);
  EXPECT_EQ(category, 9);

  host_.ClearCalls();
  const char* unknown = "c0ffeec0ffeec0ffeec0ffeec0ffee01";
  char hostPath[kHostTextMax] = "C:\\下载\\电影.avi";
  EXPECT_EQ(Plugin().LookupSharedFile(unknown, hostPath, &hidden, &category), 0);
  EXPECT_EQ(Plugin().LookupSharedFile(unknown, hostPath, &hidden, &category), 0);
  EXPECT_EQ(host_.Calls(), (std::vector<std::string>{
                               "NotifyShareChanged()",
                               "UnpublishFile(0, \"c0ffeec0ffeec0ffeec0ffeec0ffee01\", \"\")",
                               "NotifyUnpublishDone()",
                               "ReportUnpublishedFile(\"电影.avi\", \"c0ffeec0ffeec0ffeec0ffeec0ffee01\")",
                           }));
  host_.ClearCalls();
  EXPECT_EQ(Plugin().LookupSharedFile("", path, &hidden, &category), 0);
  EXPECT_EQ(Plugin().LookupSharedFile(nullptr, path, &hidden, &category), 0);
  EXPECT_TRUE(host_.Calls().empty());
}

TEST_F(ShareLibraryTest, APathTheHostsBufferCannotHoldIsNotHandedOver) {
  const std::string longPath = "D:\\" + std::string(300, 'p') + ".avi";
  WriteDocument(std::string(kDeclaration) +
                "<ShareFile version=\"2\">\r\n<Type name=\"视频\" style=\"0\">\r\n"
                "<file MD5=\"eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee\">\r\n<filePath>\r\n" + longPath +
                "</filePath>\r\n</file>\r\n</Type>\r\n</ShareFile>\r\n");
  ASSERT_EQ(Plugin().OpenShareLibrary(kUser, nullptr, nullptr), 1);
  char path[kHostTextMax] = "untouched";
  int32_t hidden = -1, category = -1;
  EXPECT_EQ(Plugin().LookupSharedFile("eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee", path, &hidden, &category), 0);
  EXPECT_STREQ(path, "untouched");
  EXPECT_TRUE(host_.Calls().empty());
}

TEST_F(ShareLibraryTest, GetShareListFileAnswersTwoThenZeroThenOne) {
  WriteDocument(SampleDocument());
  StartAndSettle();
  ASSERT_TRUE(DeleteFileA(ConfigFile("temp1share10001.xml").c_str()));
  char digest[33] = "";
  char path[kHostTextMax] = "";
  EXPECT_EQ(Plugin().GetShareListFile(20002, digest, path), 2);
  EXPECT_EQ(std::string(path), ConfigFile("temp1share10001_20002.xml"));
  ASSERT_TRUE(Library().PublishCopy());
  EXPECT_EQ(Plugin().GetShareListFile(20002, digest, path), 0);
  EXPECT_EQ(std::string(digest), Md5::OfText(ReadFileBytes(ConfigFile("temp1share10001.xml"))));
  EXPECT_EQ(Plugin().GetShareListFile(20002, digest, path), 1);
  XmlDocumentPtr peersView = Library().ReceivePeerCopy(path);
  ASSERT_NE(peersView, nullptr);
  EXPECT_NE(peersView->FindByText(true, "filePath", "日记.txt"), nullptr);
}

TEST_F(ShareLibraryTest, TheCollectionPasswordIsPublishedWithTheCopy) {
  WriteDocument(SampleDocument());
  StartAndSettle();
  ASSERT_TRUE(Library().SetCollectionPassword("芝麻开门"));
  XmlDocumentPtr copy = Library().ReceivePeerCopy(ConfigFile("temp1share10001.xml"));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(AttributeOf(*copy->FindFirst(true, "Type", "name", "珍藏"), "passWord"), "芝麻开门");
}

TEST_F(ShareLibraryTest, AddTopTenEntryWithSaveIsReadBackByTheNextReload) {
  ASSERT_EQ(Plugin().Start(kUser, 0, 0), 1);
  Plugin().AddTopTenEntry(2, 7, "0123456789abcdef0123456789abcdef", "热门电影.rmvb", 123456, 3, "说明", 1);
  Plugin().AddTopTenEntry(4, 7, "fedcba9876543210fedcba9876543210", "不存.mp3", 99, 1, nullptr, 0);
  Plugin().AddTopTenEntry(5, 7, nullptr, nullptr, 1, 1, nullptr, 1);
  ASSERT_EQ(Library().TopTen().Rows().size(), 3u);
  Plugin().Stop();

  ASSERT_EQ(Plugin().Start(kUser, 0, 0), 1);
  const std::vector<TopTenEntry>& rows = Library().TopTen().Rows();
  ASSERT_EQ(rows.size(), 2u);  // the unsaved entry is gone
  EXPECT_EQ(TopTenList::RowText(rows[0]), "2. 热门电影.rmvb");
  EXPECT_EQ(rows[0].hash, "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(rows[0].size, 123456u);
  EXPECT_EQ(rows[0].fileType, 3);
  EXPECT_EQ(TopTenList::RowText(rows[1]), "5. ");
}

class ShareLibraryWithPluginTest : public ShareLibraryTest {
 protected:
  ShareLibraryWithPluginTest() : ShareLibraryTest(true) {}
};

TEST_F(ShareLibraryWithPluginTest, StartConvertsAVersionOneDocumentWithTheHashPlugin) {
  WriteDocument(SampleDocument("1"));
  ASSERT_TRUE(WriteFileBytes(ConfigFile("transmit10001.xml"),
                             std::string(kDeclaration) +
                                 "<Transmit>\r\n<DownloadItem fileName=\"a\" MD5=\"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\">\r\n"
                                 "</DownloadItem>\r\n<DownloadItem fileName=\"b\" MD5=\"old-form\">\r\n</DownloadItem>\r\n"
                                 "</Transmit>\r\n"));
  StartAndSettle();
  EXPECT_TRUE(Library().Hashes().Loaded());
  Plugin().Stop();

  XmlDocument saved, transfer;
  ASSERT_TRUE(saved.Load(ConfigFile("share10001.xml")));
  EXPECT_EQ(AttributeOf(*saved.FindFirst(false, "ShareFile"), "version"), "2");
  // Every converted file was hashed again; none of them is on this machine.
  XmlElement::List files;
  saved.FindAll(files, true, "file");
  EXPECT_TRUE(files.empty());
  ASSERT_TRUE(transfer.Load(ConfigFile("transmit10001.xml")));
  XmlElement::List items;
  transfer.FindAll(items, true, "DownloadItem");
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(AttributeOf(*items[0], "MD5"), "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa");
}

// Without the hash plug-in the marks wait for a session that can hash.
TEST_F(ShareLibraryTest, RehashAllMarksEveryFileOnceTheWorkerStarts) {
  WriteDocument(SampleDocument());
  StartAndSettle(1);
  Plugin().Stop();
  XmlDocument saved;
  ASSERT_TRUE(saved.Load(ConfigFile("share10001.xml")));
  XmlElement::List files;
  saved.FindAll(files, true, "file");
  ASSERT_EQ(files.size(), 3u);
  for (XmlElement* file : files) EXPECT_EQ(AttributeOf(*file, "reShare"), "1");

  StartAndSettle();
  Plugin().Stop();
  ASSERT_TRUE(saved.Load(ConfigFile("share10001.xml")));
  files.clear();
  saved.FindAll(files, true, "file");
  for (XmlElement* file : files) EXPECT_EQ(AttributeOf(*file, "reShare"), "0");
}

TEST_F(ShareLibraryWithPluginTest, TheShareTreeLivesInTheSharePageAndSlot34HashesThroughThePlugin) {
  StartAndSettle();
  HWND tree = Library().Window();
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(GetParent(tree), window_->PanelWindow(MainWindow::kShare));
  EXPECT_EQ(GetDlgCtrlID(tree), ShareLibrary::kTreeId);

  const std::string file = client_.Data() + "\\客户端的文件.dat";
  ASSERT_TRUE(WriteFileBytes(file, "asked by the client"));
  EXPECT_EQ(Plugin().HashFile(file.c_str(), 7), 1);
  std::string answered, digest;
  for (int i = 0; i < 500 && answered != file; ++i) {
    Sleep(10);
    Library().Hashes().Result(answered, digest);
  }
  EXPECT_EQ(digest, Md5::OfText("asked by the client"));
  EXPECT_EQ(Plugin().HashFile(nullptr, 0), 0);

  Plugin().Stop();
  EXPECT_FALSE(IsWindow(tree));
  EXPECT_EQ(Plugin().HashFile(file.c_str(), 0), 0);
}

TEST_F(ShareLibraryTest, HashingStaysOffAndOldDocumentsWait) {
  WriteDocument(SampleDocument("1"));
  ASSERT_EQ(Plugin().Start(kUser, 0, 0), 1);
  EXPECT_FALSE(Library().Hashes().Loaded());
  EXPECT_TRUE(host_.CallsOf("SetAdVersion").empty());
  int32_t count = 0;
  ASSERT_EQ(Plugin().OpenShareLibrary(kUser, nullptr, &count), 1);
  EXPECT_EQ(count, 2);
  EXPECT_TRUE(Library().Document().ConversionPending());
}

}  // namespace
