// The share document in a client folder: opening, the default document,
// conversion of old versions through the hash plug-in double, categories,
// lookups, the time stamp and the peers' clone.
#include "share/ShareDocument.h"

#include <gtest/gtest.h>

#include <string>

#include "ClientFolder.h"
#include "share/HashPlugin.h"
#include "share/ShareCategories.h"
#include "win/Handles.h"

namespace {

constexpr uint32_t kUser = 10001;
constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n";

std::string PathText(const XmlElement& file) {
  std::string path;
  file.GetChildText("filePath", path);
  return path;
}

class ShareDocumentTest : public ::testing::Test {
 protected:

  void WriteDocument(const std::string& text) { ASSERT_TRUE(WriteFileBytes(names_.Document(), text)); }
  void Open(const ShareDocument::HashConverter& convert = nullptr) { document_.Open(names_, convert); }
  std::vector<std::string> TopLevelLabels() const {
    std::vector<std::string> labels;
    XmlElement* root = document_.Root();
    for (size_t i = 0; root != nullptr && i < root->ChildCount(); ++i)
      labels.push_back(AttributeOf(*root->Child(i), "name") + "@" + AttributeOf(*root->Child(i), "dir"));
    return labels;
  }
  XmlElement* FileWithPath(const std::string& path) const {
    return document_.Root()->FindByText(true, "filePath", path)->Parent();
  }

  ClientFolder client_;
  ShareFileNames names_{client_.Data(), kUser};
  ShareDocument document_;
};

const std::vector<std::string> kDefaultLabels = {"音乐@1", "图片@2", "视频@3", "图书@4",
                                                 "资料@5", "软件@6", "游戏@7", "珍藏@8"};

TEST_F(ShareDocumentTest, UnreadableDocumentsGiveTheDefaultAndAreReplacedAtTheNextSave) {
  const std::string cases[] = {
      "this is not XML",
      "",
      std::string(kDeclaration) + "<ShareFile version=\"2\">\r\n<Type name=\"视频\" style=",  // truncated
      std::string(kDeclaration) + "<Transmit>\r\n</Transmit>\r\n",                              // no ShareFile
  };
  for (const std::string& text : cases) {
    ShareDocument document;
    WriteDocument(text);
    document.Open(names_, nullptr);
    ASSERT_NE(document.Root(), nullptr) << text;
    EXPECT_FALSE(document.LoadedFromFile());
    EXPECT_EQ(AttributeOf(*document.Root(), "version"), "2");
    XmlElement::List types;
    document.Root()->FindAll(types, false, "Type", "style", "0");
    EXPECT_EQ(types.size(), 8u);
    ASSERT_TRUE(document.Save());
    XmlDocument saved;
    ASSERT_TRUE(saved.Load(names_.Document()));
    EXPECT_NE(saved.FindFirst(false, "ShareFile"), nullptr) << text;
  }
  // A missing file gives the same default, in the order of the categories.
  DeleteFileA(names_.Document().c_str());
  Open();
  EXPECT_EQ(TopLevelLabels(), kDefaultLabels);
}

TEST_F(ShareDocumentTest, AFileHeldByAnotherProgramIsNeverOverwritten) {
  const std::string original = std::string(kDeclaration) + "<ShareFile version=\"2\">\r\n</ShareFile>\r\n";
  WriteDocument(original);
  win::UniqueFile held(CreateFileA(names_.Document().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  Open();
  EXPECT_EQ(TopLevelLabels(), kDefaultLabels);
  EXPECT_FALSE(document_.Save());
  held.Reset();
  EXPECT_EQ(ReadFileBytes(names_.Document()), original);
  // Once readable, the next Open reads it.
  Open();
  EXPECT_TRUE(document_.LoadedFromFile());
}

TEST_F(ShareDocumentTest, VersionOneIsConvertedThroughTheHashPlugin) {
  WriteDocument(std::string(kDeclaration) +
                "<ShareFile version=\"1\">\r\n<Type name=\"视频\" style=\"0\" dir=\"3\">\r\n"
                "<file MD5=\"0123456789abcdef0123456789abcdef\" fileSize=\"10\" time=\"1290000000\" reShare=\"0\">\r\n"
                "<filePath>\r\nD:\\电影\\a.rmvb</filePath>\r\n</file>\r\n"
                "<Type name=\"子类\" style=\"0\" dir=\"1\">\r\n"
                "<file MD5=\"\" fileSize=\"5\" time=\"1290000001\">\r\n<filePath>\r\nb.avi</filePath>\r\n</file>\r\n"
                "</Type>\r\n</Type>\r\n</ShareFile>\r\n");
  ASSERT_TRUE(WriteFileBytes(names_.TransferDocument(),
                             std::string(kDeclaration) +
                                 "<Transmit>\r\n<DownloadPath>\r\nc:\\TvDownLoad</DownloadPath>\r\n"
                                 "<DownloadItem fileName=\"a\" MD5=\"0123456789ABCDEF0123456789ABCDEF\">\r\n"
                                 "</DownloadItem>\r\n"
                                 "<DownloadItem fileName=\"b\" MD5=\"0123456789abcdef0123456789abcdef\">\r\n"
                                 "</DownloadItem>\r\n"
                                 "<DownloadItem fileName=\"c\" MD5=\"XYZ\">\r\n</DownloadItem>\r\n"
                                 "</Transmit>\r\n"));
  HashPlugin plugin;
  ASSERT_TRUE(plugin.Load(client_.Bin()));
  Open([&](const std::string& oldHash, std::string& newHash) { return plugin.ConvertHash(oldHash, newHash); });
  plugin.Unload(0);

  EXPECT_EQ(AttributeOf(*document_.Root(), "version"), "2");
  XmlElement::List files;
  document_.Root()->FindAll(files, true, "file");
  ASSERT_EQ(files.size(), 2u);
  for (XmlElement* file : files) EXPECT_EQ(AttributeOf(*file, "time"), "0");

  XmlDocument transfer;
  ASSERT_TRUE(transfer.Load(names_.TransferDocument()));
  XmlElement::List items;
  transfer.FindFirst(false, "Transmit")->FindAll(items, false, "DownloadItem");
  ASSERT_EQ(items.size(), 1u);  // the plug-in converts only the upper-case form
  EXPECT_EQ(AttributeOf(*items[0], "fileName"), "a");
  EXPECT_EQ(AttributeOf(*items[0], "MD5"), "0123456789abcdef0123456789abcdef");
  EXPECT_NE(transfer.FindFirst(false, "Transmit")->FindFirst(false, "DownloadPath"), nullptr);
}

TEST_F(ShareDocumentTest, WithoutTheHashPluginAnOldDocumentWaitsAndKeepsItsDownloads) {
  WriteDocument(std::string(kDeclaration) +
                "<ShareFile>\r\n<Type name=\"音乐\" style=\"0\">\r\n"
                "<file MD5=\"\" time=\"77\">\r\n<filePath>\r\nx.mp3</filePath>\r\n</file>\r\n</Type>\r\n"
                "</ShareFile>\r\n");
  const std::string transfer = std::string(kDeclaration) +
                               "<Transmit>\r\n<DownloadItem MD5=\"ABCDEF\">\r\n</DownloadItem>\r\n</Transmit>\r\n";
  ASSERT_TRUE(WriteFileBytes(names_.TransferDocument(), transfer));
  Open();
  EXPECT_TRUE(document_.ConversionPending());
  EXPECT_EQ(AttributeOf(*document_.Root(), "version"), "");
  EXPECT_EQ(AttributeOf(*FileWithPath("x.mp3"), "time"), "77");
  EXPECT_EQ(ReadFileBytes(names_.TransferDocument()), transfer);

  // Opening the same document again with a converter finishes the work.
  Open([](const std::string&, std::string&) { return false; });
  EXPECT_FALSE(document_.ConversionPending());
  EXPECT_EQ(AttributeOf(*document_.Root(), "version"), "2");
  EXPECT_EQ(AttributeOf(*FileWithPath("x.mp3"), "time"), "0");
  XmlDocument converted;
  ASSERT_TRUE(converted.Load(names_.TransferDocument()));
  EXPECT_EQ(converted.FindFirst(true, "DownloadItem"), nullptr);
}

TEST_F(ShareDocumentTest, ShownCategoriesGetDirsAndPathsThroughTheirAncestors) {
  WriteDocument(std::string(kDeclaration) +
                "<ShareFile version=\"2\">\r\n"
                "<Type name=\"音乐\" style=\"0\" dir=\"1\">\r\n</Type>\r\n"
                "<Type name=\"隐藏\" style=\"1\">\r\n<Type name=\"里面\" style=\"0\">\r\n</Type>\r\n</Type>\r\n"
                "<Type name=\"视频\" style=\"\" dir=\"3\">\r\n"
                "<Type name=\"新建子类别\" style=\"0\" dir=\"1\">\r\n</Type>\r\n"
                "<Type name=\"剧集\" style=\"0\" dir=\"0\">\r\n</Type>\r\n"
                "</Type>\r\n"
                "<Type name=\"其他\">\r\n</Type>\r\n"
                "</ShareFile>\r\n");
  Open();
  XmlElement* root = document_.Root();
  XmlElement* hidden = root->FindFirst(false, "Type", "name", "隐藏");
  EXPECT_EQ(AttributeOf(*hidden, "dir"), "");  // not shown: no dir
  EXPECT_EQ(AttributeOf(*hidden->Child(0), "dir"), "");
  EXPECT_FALSE(ShareDocument::IsShown(*hidden->Child(0)));
  XmlElement* series = root->FindFirst(true, "Type", "name", "剧集");
  EXPECT_EQ(AttributeOf(*series, "dir"), "2");
  EXPECT_EQ(ShareDocument::CategoryPath(*series), "/3/2");
  EXPECT_TRUE(ShareDocument::IsShown(*series));
  XmlElement* other = root->FindFirst(false, "Type", "name", "其他");
  EXPECT_EQ(AttributeOf(*other, "dir"), "4");
  EXPECT_EQ(ShareDocument::CategoryPath(*other), "/4");
}

TEST_F(ShareDocumentTest, LookupAnswersTheTopLevelCategoryAndWhetherItIsHidden) {
  WriteDocument(std::string(kDeclaration) +
                "<ShareFile version=\"2\">\r\n"
                "<Type name=\"视频\" style=\"0\" dir=\"3\">\r\n<Type name=\"电视剧\" style=\"0\" dir=\"1\">\r\n"
                "<file MD5=\"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\r\n<filePath>\r\nD:\\剧\\1.rmvb</filePath>\r\n"
                "</file>\r\n</Type>\r\n</Type>\r\n"
                "<Type name=\"珍藏\" style=\"1\" dir=\"8\">\r\n"
                "<file MD5=\"bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\">\r\n<filePath>\r\nE:\\秘密.doc</filePath>\r\n</file>\r\n"
                "<file MD5=\"\">\r\n<filePath>\r\nE:\\unhashed.doc</filePath>\r\n</file>\r\n</Type>\r\n"
                "<Type name=\"我的\" style=\"0\" dir=\"9\">\r\n"
                "<file MD5=\"00000000000000000000000000000000\">\r\n<filePath>\r\nz.txt</filePath>\r\n</file>\r\n"
                "</Type>\r\n</ShareFile>\r\n");
  Open();
  SharedFileInfo found;
  ASSERT_TRUE(document_.Lookup("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", found));
  EXPECT_EQ(found.path, "D:\\剧\\1.rmvb");
  EXPECT_EQ(found.category, 3);
  EXPECT_FALSE(found.hidden);
  ASSERT_TRUE(document_.Lookup("bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb", found));
  EXPECT_EQ(found.category, ShareCategories::kCollectionCode);
  EXPECT_TRUE(found.hidden);
  ASSERT_TRUE(document_.Lookup("00000000000000000000000000000000", found));
  EXPECT_EQ(found.category, ShareCategories::kOtherCode);
  // An empty digest never names the files not hashed yet.
  EXPECT_FALSE(document_.Lookup("", found));
  EXPECT_FALSE(document_.Lookup("cccccccccccccccccccccccccccccccc", found));
  // The placeholder does not count; an empty digest does.
  EXPECT_EQ(document_.HashedFileCount(), 3);
}

TEST_F(ShareDocumentTest, TimeStampIsWrittenOnceAndReadModulo2To32) {
  Open();
  SYSTEMTIME first = {2026, 12, 2, 8, 15, 30, 0, 0};
  EXPECT_EQ(document_.GetTimeStamp(first), -784852056);  // 261208153000 mod 2^32
  EXPECT_EQ(AttributeOf(*document_.Root(), "TimeStamp"), "261208153000");
  SYSTEMTIME later = {2027, 1, 5, 1, 9, 5, 7, 0};
  EXPECT_EQ(document_.GetTimeStamp(later), -784852056);
  document_.Root()->SetAttribute("TimeStamp", "070102030405");
  EXPECT_EQ(document_.GetTimeStamp(later), 70102030405LL % 4294967296LL);
}

TEST_F(ShareDocumentTest, ThePeersTextCarriesFileNamesHiddenCategoriesAndThePassword) {
  const std::string longName = std::string(255, 'n') + ".avi";  // 259 bytes
  std::string chineseName;
  while (chineseName.size() < 251) chineseName += "长";
  chineseName += "名字.rmvb";
  const std::string trailByteName = "a\x81\x5c" "b.txt";  // a character whose second byte is "\"
  WriteDocument(std::string(kDeclaration) +
                "<ShareFile version=\"2\">\r\n"
                "<Type name=\"视频\" style=\"0\" dir=\"3\">\r\n"
                "<file MD5=\"a\">\r\n<filePath>\r\nD:\\电影\\第1集.rmvb</filePath>\r\n</file>\r\n"
                "<file MD5=\"b\">\r\n<filePath>\r\nE:/music/song.mp3</filePath>\r\n</file>\r\n"
                "<file MD5=\"c\">\r\n<filePath>\r\nnofolder.txt</filePath>\r\n</file>\r\n"
                "<file MD5=\"d\">\r\n<filePath>\r\nD:\\x\\" + longName + "</filePath>\r\n</file>\r\n"
                "<file MD5=\"e\">\r\n<filePath>\r\nD:\\中文\\" + chineseName + "</filePath>\r\n</file>\r\n"
                "<file MD5=\"f\">\r\n<filePath>\r\nD:\\y\\" + trailByteName + "</filePath>\r\n</file>\r\n"
                "</Type>\r\n"
                "<Type name=\"隐藏\" style=\"1\" dir=\"9\">\r\n"
                "<file MD5=\"g\">\r\n<filePath>\r\nF:\\深\\层\\secret.doc</filePath>\r\n</file>\r\n</Type>\r\n"
                "<Type name=\"珍藏\" style=\"0\" dir=\"8\">\r\n</Type>\r\n"
                "</ShareFile>\r\n");
  Open();
  ASSERT_TRUE(document_.SetCollectionPassword("密码1"));
  const std::string before = ShareDocument::TextOf(document_.Document());
  XmlDocument copy;
  ASSERT_TRUE(copy.Parse(document_.PeersText()));
  XmlElement::List paths;
  copy.FindAll(paths, true, "filePath");
  std::vector<std::string> texts;
  for (XmlElement* path : paths) texts.push_back(path->Text());
  EXPECT_EQ(texts, (std::vector<std::string>{"第1集.rmvb", "song.mp3", "nofolder.txt", longName, chineseName,
                                             trailByteName, "secret.doc"}));
  EXPECT_NE(copy.FindFirst(true, "Type", "style", "1"), nullptr);
  EXPECT_EQ(AttributeOf(*copy.FindFirst(true, "Type", "name", "珍藏"), "passWord"), "密码1");
  EXPECT_EQ(ShareDocument::TextOf(document_.Document()), before);
  // The document itself keeps its folders.
  EXPECT_EQ(PathText(*FileWithPath("D:\\电影\\第1集.rmvb")), "D:\\电影\\第1集.rmvb");
}

TEST_F(ShareDocumentTest, ThePasswordGoesToTheFirstCategoryWhoseLabelContainsTheCollection) {
  WriteDocument(std::string(kDeclaration) +
                "<ShareFile version=\"2\">\r\n<Type name=\"音乐\">\r\n</Type>\r\n"
                "<Type name=\"我的珍藏\">\r\n</Type>\r\n<Type name=\"珍藏\">\r\n</Type>\r\n</ShareFile>\r\n");
  Open();
  ASSERT_TRUE(document_.SetCollectionPassword("pw"));
  EXPECT_EQ(AttributeOf(*document_.Root()->FindFirst(false, "Type", "name", "我的珍藏"), "passWord"), "pw");
  EXPECT_EQ(AttributeOf(*document_.Root()->FindFirst(false, "Type", "name", "珍藏"), "passWord"), "");

  WriteDocument(std::string(kDeclaration) + "<ShareFile>\r\n<Type name=\"音乐\">\r\n</Type>\r\n</ShareFile>\r\n");
  ShareDocument without;
  without.Open(ShareFileNames(client_.Data(), kUser), nullptr);
  EXPECT_FALSE(without.SetCollectionPassword("pw"));
}

TEST_F(ShareDocumentTest, FinishedDownloadsGoToTheCategoryOfTheirQueueCode) {
  Open();
  XmlElement* collection = document_.CategoryOfQueueCode(ShareCategories::kCollectionQueueCode);
  ASSERT_NE(collection, nullptr);
  EXPECT_EQ(AttributeOf(*collection, "name"), "珍藏");
  EXPECT_EQ(AttributeOf(*document_.CategoryOfQueueCode(3), "name"), "视频");
  EXPECT_EQ(document_.CategoryOfQueueCode(0), nullptr);
  EXPECT_EQ(document_.CategoryOfQueueCode(9), nullptr);

  document_.AddFile(*document_.CategoryOfQueueCode(3), "D:\\下载\\电影.avi", "dddddddddddddddddddddddddddddddd", 4096);
  SharedFileInfo found;
  ASSERT_TRUE(document_.Lookup("dddddddddddddddddddddddddddddddd", found));
  EXPECT_EQ(found.category, 3);
  EXPECT_EQ(AttributeOf(*found.file, "fileSize"), "4096");
  document_.MarkAllForRehash(true);
  EXPECT_EQ(AttributeOf(*found.file, "reShare"), "1");
}

}  // namespace
