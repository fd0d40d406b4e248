#include "transfer/TransferDocument.h"

#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n";
const std::string kHash = "0123456789abcdef0123456789abcdef";

class TransferDocumentTest : public ::testing::Test {
 protected:
  std::string Path() const { return temp_.File("transmit7.xml"); }
  void Write(const std::string& text) { ASSERT_TRUE(WriteFileBytes(Path(), text)); }
  void WriteTransmit(const std::string& inner) { Write(kDeclaration + "<Transmit>\r\n" + inner + "</Transmit>\r\n"); }
  std::string Saved() const { return ReadFileBytes(Path()); }
  static std::string Item(const std::string& attributes) { return "<DownloadItem " + attributes + "></DownloadItem>\r\n"; }
  static std::string Attribute(XmlElement* element, const char* name) {
    std::string value;
    if (element != nullptr) element->GetAttribute(name, value);
    return value;
  }
  XmlElement* Child(const char* name) {
    XmlElement* root = document_.Tree().FindFirst(false, "Transmit");
    return root != nullptr ? root->FindFirst(false, name) : nullptr;
  }

  TempFolder temp_;
  CurrentDirectory current_{temp_.Path()};
  TransferDocument document_;
};

TEST_F(TransferDocumentTest, TheBuiltInDocumentIsExactlyTheKnownText) {
  const std::string tabs3(3, '\t'), inner = std::string(5, '\t') + "   ";
  EXPECT_EQ(std::string(TransferDocument::kDefaultText),
            "<?xml version='1.0' encoding='gb2312'?>" + tabs3 + "<Transmit>" + inner +
                "<DownloadPath>c:\\TvDownLoad</DownloadPath>" + inner + "<MaxTunnel num = '10'></MaxTunnel>" + inner +
                "<VIPTunnel num = '5'></VIPTunnel>" + tabs3 + "</Transmit>");
}

TEST_F(TransferDocumentTest, AMissingFileTakesTheDefaultAndTheFirstSaveWritesItOut) {
  EXPECT_FALSE(document_.Load(Path()));
  EXPECT_EQ(GetFileAttributesA(Path().c_str()), INVALID_FILE_ATTRIBUTES) << "nothing is written at load";
  EXPECT_EQ(document_.DownloadFolder(), "c:\\TvDownLoad");
  EXPECT_FALSE(document_.AskForFolder());
  EXPECT_EQ(document_.TunnelCount(TransferDocument::Tunnel::Max), 10);
  EXPECT_EQ(document_.TunnelCount(TransferDocument::Tunnel::Member), 5);
  ASSERT_TRUE(document_.Save({}));
  EXPECT_EQ(Saved(), kDeclaration +
                         "<Transmit>\r\n<DownloadPath selectDir=\"0\">\r\nc:\\TvDownLoad</DownloadPath>\r\n"
                         "<MaxTunnel num=\"10\">\r\n</MaxTunnel>\r\n<VIPTunnel num=\"5\">\r\n</VIPTunnel>\r\n"
                         "</Transmit>\r\n");
}

TEST_F(TransferDocumentTest, UnreadableFilesTakeTheDefault) {
  for (const std::string& text : {std::string(), std::string("not xml at all <<"), std::string("\0\0\0", 3),
                                  kDeclaration + "<Other><DownloadPath>d:\\x</DownloadPath></Other>",
                                  kDeclaration + "<Transmit><DownloadItem></Transmit>"}) {
    Write(text);
    EXPECT_FALSE(document_.Load(Path()));
    EXPECT_EQ(document_.DownloadFolder(), "c:\\TvDownLoad");
    EXPECT_TRUE(document_.DownloadItems().empty());
    EXPECT_EQ(document_.TunnelCount(TransferDocument::Tunnel::Max), 10);
  }
}

TEST_F(TransferDocumentTest, LoadAddsMissingTunnelCountsAndSmallCountsReadAsFive) {
  WriteTransmit("<DownloadPath>d:\\down</DownloadPath>\r\n");
  ASSERT_TRUE(document_.Load(Path()));
  EXPECT_EQ(Attribute(Child("MaxTunnel"), "num"), "5");
  EXPECT_EQ(Attribute(Child("VIPTunnel"), "num"), "2");
  // The first reading of the member count gives 5 and stores it.
  EXPECT_EQ(document_.TunnelCount(TransferDocument::Tunnel::Member), 5);
  EXPECT_EQ(Attribute(Child("VIPTunnel"), "num"), "5");

  WriteTransmit("<MaxTunnel num=\"3\"></MaxTunnel><VIPTunnel num=\"8\"></VIPTunnel>");
  ASSERT_TRUE(document_.Load(Path()));
  EXPECT_EQ(document_.TunnelCount(TransferDocument::Tunnel::Max), 5);
  EXPECT_EQ(Attribute(Child("MaxTunnel"), "num"), "5");
  EXPECT_EQ(document_.TunnelCount(TransferDocument::Tunnel::Member), 8);
  document_.SetTunnelCount(TransferDocument::Tunnel::Max, 12);
  EXPECT_EQ(document_.TunnelCount(TransferDocument::Tunnel::Max), 12);
}

TEST_F(TransferDocumentTest, TheFolderAndTheAskFlag) {
  WriteTransmit("<DownloadPath selectDir=\"1\"></DownloadPath>");
  ASSERT_TRUE(document_.Load(Path()));
  EXPECT_EQ(document_.DownloadFolder(), "C:\\TvDownLoad");
  EXPECT_TRUE(document_.AskForFolder());
  WriteTransmit("<DownloadPath selectDir=\"\">D:\\下载</DownloadPath>");
  ASSERT_TRUE(document_.Load(Path()));
  EXPECT_EQ(document_.DownloadFolder(), "D:\\下载");
  EXPECT_FALSE(document_.AskForFolder());
  document_.SetDownloadFolder("E:\\新");
  document_.SetAskForFolder(true);
  ASSERT_TRUE(document_.Save({}));
  EXPECT_NE(Saved().find("<DownloadPath selectDir=\"1\">\r\nE:\\新</DownloadPath>"), std::string::npos);
}

TEST_F(TransferDocumentTest, ItemsAreReadCutAndCheckedAndSavedInRowOrderWithTheRestKept) {
  std::string longName(300, 'n'), longComment = "注" + std::string(70, 'c');
  WriteTransmit("<GreenTunnel>20001</GreenTunnel>\r\n<UpSpeed></UpSpeed>\r\n" +
                Item("fileName=\"a.mp3\" fromMobile=\"1\" MD5=\"" + kHash +
                     "\" fileType=\"1\" fileSize=\"4294967295\" comment=\"c\" localFileName=\"d:\\a.mp3\" "
                     "finished=\"1\"") +
                Item("fileName=\"bad\" MD5=\"xyz\" fileSize=\"5\"") +
                Item("fileName=\"short\" MD5=\"0123456789abcdef0123456789abcde\"") +
                Item("fileName=\"" + longName + "\" MD5=\"" + std::string(32, 'A') + "\" comment=\"" + longComment +
                     "\" localFileName=\"Tom & Jerry.avi\"") +
                "<HasDownload fileType=\"3\" fileSize=\"9\" fileName=\"d:\\x.avi\" comment=\"\" time=\"1\"></HasDownload>\r\n"
                "<HasUpload fileName=\"u\" fileType=\"1\" fileSize=\"1\" time=\"1\" pTVID=\"2\" nickName=\"n\" "
                "comment=\"\"></HasUpload>\r\n");
  ASSERT_TRUE(document_.Load(Path()));
  std::vector<DownloadItemRecord> items = document_.DownloadItems();
  ASSERT_EQ(items.size(), 2u) << "items without a 32-digit MD5 are left out";
  EXPECT_EQ(items[0].fileName, "a.mp3");
  EXPECT_EQ(items[0].fromMobile, 1);
  EXPECT_EQ(items[0].fileType, 1);
  EXPECT_EQ(items[0].fileSize, 4294967295u);
  EXPECT_EQ(items[0].localFileName, "d:\\a.mp3");
  EXPECT_EQ(items[1].fileName.size(), 259u);
  EXPECT_EQ(items[1].md5, std::string(32, 'a'));
  EXPECT_EQ(items[1].comment, "注" + std::string(62, 'c'));
  EXPECT_EQ(items[1].localFileName, "Tom & Jerry.avi");

  std::swap(items[0], items[1]);
  ASSERT_TRUE(document_.Save(items));
  std::string saved = Saved();
  EXPECT_LT(saved.find(longName.substr(0, 259)), saved.find("a.mp3")) << "row order";
  EXPECT_EQ(saved.find("finished"), std::string::npos);
  EXPECT_EQ(saved.find("\"xyz\""), std::string::npos) << "a skipped item is not written again";
  for (const char* kept : {"<GreenTunnel>\r\n20001</GreenTunnel>", "<UpSpeed>\r\n</UpSpeed>", "<HasDownload ",
                           "<HasUpload fileName=\"u\"", "<MaxTunnel num=\"5\">", "localFileName=\"Tom & Jerry.avi\""})
    EXPECT_NE(saved.find(kept), std::string::npos) << kept;
  EXPECT_NE(saved.find("<DownloadItem fileName=\"a.mp3\" fromMobile=\"1\" MD5=\"" + kHash +
                       "\" fileType=\"1\" fileSize=\"4294967295\" comment=\"c\" localFileName=\"d:\\a.mp3\">"),
            std::string::npos)
      << "attributes in their order";

  ASSERT_TRUE(document_.Save({}));
  saved = Saved();
  EXPECT_EQ(saved.find("<DownloadItem"), std::string::npos);
  for (const char* kept : {"<GreenTunnel>", "<UpSpeed>", "<HasDownload ", "<HasUpload "})
    EXPECT_NE(saved.find(kept), std::string::npos) << kept;
}

TEST_F(TransferDocumentTest, ColumnsOtherPercentGreenChannelAndHistory) {
  document_.Load(Path());
  EXPECT_FALSE(document_.HasColumn(OptionalColumn::Comment));
  document_.ShowColumn(OptionalColumn::Comment, true);
  document_.ShowColumn(OptionalColumn::Comment, true);
  document_.ShowColumn(OptionalColumn::TimeUsed, true);
  document_.SetOtherPercent(true);
  EXPECT_TRUE(document_.HasColumn(OptionalColumn::Comment));
  EXPECT_TRUE(document_.OtherPercent());
  EXPECT_TRUE(document_.AddGreenChannel("20001"));
  EXPECT_FALSE(document_.AddGreenChannel("20001"));
  EXPECT_TRUE(document_.AddGreenChannel("4294967295"));
  EXPECT_EQ(document_.GreenChannel(), (std::vector<uint32_t>{20001u, 4294967295u}));
  document_.AppendHasDownload(3, 5000000, "d:\\电影.rmvb", "好", 1300000000);
  ASSERT_TRUE(document_.Save({}));
  std::string saved = Saved();
  EXPECT_NE(saved.find("<Comment>\r\n</Comment>"), std::string::npos);
  EXPECT_EQ(saved.find("<Comment>"), saved.rfind("<Comment>")) << "one element per column";
  EXPECT_NE(saved.find("<HasDownload fileType=\"3\" fileSize=\"5000000\" fileName=\"d:\\电影.rmvb\" comment=\"好\" "
                       "time=\"1300000000\">"),
            std::string::npos);

  document_.ShowColumn(OptionalColumn::Comment, false);
  document_.SetOtherPercent(false);
  document_.RemoveGreenChannel("20001");
  EXPECT_FALSE(document_.HasColumn(OptionalColumn::Comment));
  EXPECT_TRUE(document_.HasColumn(OptionalColumn::TimeUsed));
  EXPECT_FALSE(document_.OtherPercent());
  EXPECT_EQ(document_.GreenChannel(), std::vector<uint32_t>{4294967295u});
}

TEST_F(TransferDocumentTest, AHundredThousandItemsLoadAndSaveWhole) {
  std::string inner;
  inner.reserve(100000 * 180);
  char item[256];
  for (int i = 0; i < 100000; ++i) {
    std::snprintf(item, sizeof item,
                  "<DownloadItem fileName=\"f%d.avi\" fromMobile=\"0\" MD5=\"%032x\" fileType=\"3\" fileSize=\"%d\" "
                  "comment=\"\" localFileName=\"d:\\f%d.avi\"></DownloadItem>\r\n",
                  i, i, i, i);
    inner += item;
  }
  WriteTransmit("<GreenTunnel>7</GreenTunnel>\r\n" + inner);
  ASSERT_TRUE(document_.Load(Path()));
  std::vector<DownloadItemRecord> items = document_.DownloadItems();
  ASSERT_EQ(items.size(), 100000u);
  EXPECT_EQ(items[99999].fileName, "f99999.avi");
  ASSERT_TRUE(document_.Save(items));
  ASSERT_TRUE(document_.Load(Path()));
  EXPECT_EQ(document_.DownloadItems().size(), 100000u);
  EXPECT_EQ(document_.GreenChannel(), std::vector<uint32_t>{7u});
}

}  // namespace
