// The copies peers receive: temp0 compressed without folders, temp1 handed
// out, one copy per peer, and a peer's list read back.
#include "share/PublishedCopy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "ClientFolder.h"
#include "share/Bzip2File.h"
#include "share/FileBytes.h"
#include "share/Md5.h"
#include "win/Handles.h"

namespace {

constexpr uint32_t kUser = 10001;

std::string SampleDocument() {
  return "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<ShareFile version=\"2\">\r\n"
         "<Type name=\"视频\" style=\"0\" dir=\"3\">\r\n"
         "<file MD5=\"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\" fileSize=\"100\">\r\n"
         "<filePath>\r\nD:\\电影\\第1集.rmvb</filePath>\r\n<comment>\r\n好看&amp;</comment>\r\n</file>\r\n"
         "</Type>\r\n<Type name=\"珍藏\" style=\"1\" dir=\"8\" passWord=\"秘密\">\r\n</Type>\r\n</ShareFile>\r\n";
}

class PublishedCopyTest : public ::testing::Test {
 protected:
  PublishedCopyTest() {
    // A folder for the system's bzip2 to check, when the check script names one.
    if (const char* folder = std::getenv("PUBLISHED_COPY_FOLDER"); folder != nullptr && *folder != '\0') {
      std::string windows = std::string("Z:") + folder;
      for (char& c : windows)
        if (c == '/') c = '\\';
      exportFolder_ = windows;
    }
    EXPECT_TRUE(WriteFileBytes(names_.Document(), SampleDocument()));
    document_.Open(names_, nullptr);
  }

  bool Publish(PublishedCopy::Sizes* sizes = nullptr) {
    return PublishedCopy::Write(document_.PeersText(), names_, sizes);
  }
  int32_t HandOut(uint32_t peer, char* digest) {
    return PublishedCopy::HandOut(names_, peer, digest, path_, sizeof path_);
  }

  ClientFolder client_;
  ShareFileNames names_{client_.Data(), kUser};
  ShareDocument document_;
  std::string exportFolder_;
  char path_[260] = "";
};

TEST_F(PublishedCopyTest, TheCopyDecompressesToTheDocumentWithCutPaths) {
  PublishedCopy::Sizes sizes;
  ASSERT_TRUE(Publish(&sizes));
  const std::string compressed = ReadFileBytes(names_.PublishedCopy());
  EXPECT_EQ(compressed.substr(0, 4), "BZh9");
  EXPECT_EQ(sizes.compressed, compressed.size());
  std::string text;
  ASSERT_TRUE(Bzip2File::DecompressToText(names_.PublishedCopy(), text));
  EXPECT_EQ(sizes.text, text.size());
  EXPECT_EQ(text.find("D:\\"), std::string::npos);
  EXPECT_NE(text.find("<filePath>\r\n第1集.rmvb</filePath>"), std::string::npos);
  // The text is what saving the document with cut paths writes.
  XmlDocument copy;
  ASSERT_TRUE(copy.Parse(text));
  ASSERT_TRUE(copy.Save(client_.Data() + "\\saved.xml"));
  EXPECT_EQ(text, ReadFileBytes(client_.Data() + "\\saved.xml"));
  EXPECT_NE(text.find("好看&amp;"), std::string::npos);
  EXPECT_NE(text.find("passWord=\"秘密\""), std::string::npos);
  EXPECT_NE(text.find("style=\"1\""), std::string::npos);
  // temp1 follows temp0 byte for byte.
  EXPECT_EQ(ReadFileBytes(names_.HandOutCopy()), compressed);

  if (!exportFolder_.empty()) {
    ASSERT_TRUE(WriteFileBytes(exportFolder_ + "\\temp0share.xml", compressed));
  }
}

TEST_F(PublishedCopyTest, APeerReceivesTheListOnceUntilItChanges) {
  char digest[Md5::kHexLength + 1] = "";
  EXPECT_EQ(HandOut(20002, digest), PublishedCopy::kNothingToHandOut);  // no temp1 yet
  EXPECT_STREQ(path_, (client_.Data() + "/config/temp1share10001_20002.xml").c_str());
  EXPECT_STREQ(digest, "");

  ASSERT_TRUE(Publish());
  EXPECT_EQ(HandOut(20002, digest), PublishedCopy::kHandedOut);
  EXPECT_EQ(std::string(digest), Md5::OfText(ReadFileBytes(names_.HandOutCopy())));
  EXPECT_EQ(ReadFileBytes(path_), ReadFileBytes(names_.HandOutCopy()));
  EXPECT_EQ(HandOut(20002, digest), PublishedCopy::kPeerIsCurrent);

  document_.SetCollectionPassword("新密码");
  ASSERT_TRUE(Publish());
  EXPECT_EQ(HandOut(20002, digest), PublishedCopy::kHandedOut);
  EXPECT_EQ(HandOut(20002, digest), PublishedCopy::kPeerIsCurrent);
}

TEST_F(PublishedCopyTest, PeerNumbersAndBuffersAtTheirLimits) {
  ASSERT_TRUE(Publish());
  // A digest buffer filled to its last byte without a terminator inside.
  char digest[Md5::kHexLength + 1];
  std::memset(digest, 'f', sizeof digest);
  EXPECT_EQ(HandOut(0xFFFFFFFFu, digest), PublishedCopy::kHandedOut);
  EXPECT_EQ(digest[Md5::kHexLength], '\0');
  EXPECT_STREQ(path_, (client_.Data() + "/config/temp1share10001_-1.xml").c_str());
  char otherPeer[Md5::kHexLength + 1] = "";
  EXPECT_EQ(HandOut(0, otherPeer), PublishedCopy::kHandedOut);
  EXPECT_STREQ(path_, (client_.Data() + "/config/temp1share10001_0.xml").c_str());

  // A path buffer too small for the name: nothing is handed out.
  char small[8] = "xxxxxxx";
  EXPECT_EQ(PublishedCopy::HandOut(names_, 5, digest, small, sizeof small), PublishedCopy::kNothingToHandOut);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(PublishedCopy::HandOut(names_, 5, nullptr, path_, sizeof path_), PublishedCopy::kNothingToHandOut);
  EXPECT_EQ(PublishedCopy::HandOut(names_, 5, digest, nullptr, 0), PublishedCopy::kNothingToHandOut);
}

TEST_F(PublishedCopyTest, TheHandedOutCopyIsNeverEmptyOrHalfWritten) {
  // Without temp0 the refresh leaves temp1 alone instead of creating it empty.
  EXPECT_FALSE(PublishedCopy::RefreshHandOut(names_));
  EXPECT_FALSE(FileBytes::Exists(names_.HandOutCopy()));

  ASSERT_TRUE(Publish());
  const std::string good = ReadFileBytes(names_.HandOutCopy());
  // A temp0 that is not a compressed list (as a copy cut off mid-write once
  // left it) never reaches temp1.
  ASSERT_TRUE(WriteFileBytes(names_.PublishedCopy(), "<?xml"));
  EXPECT_FALSE(PublishedCopy::RefreshHandOut(names_));
  ASSERT_TRUE(WriteFileBytes(names_.PublishedCopy(), ""));
  EXPECT_FALSE(PublishedCopy::RefreshHandOut(names_));
  EXPECT_EQ(ReadFileBytes(names_.HandOutCopy()), good);

  // temp0 held open by a reader: publishing fails and the old copies stay.
  ASSERT_TRUE(Publish());
  const std::string published = ReadFileBytes(names_.PublishedCopy());
  win::UniqueFile reader(CreateFileA(names_.PublishedCopy().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  document_.SetCollectionPassword("changed");
  EXPECT_FALSE(Publish());
  reader.Reset();
  EXPECT_EQ(ReadFileBytes(names_.PublishedCopy()), published);
  EXPECT_EQ(ReadFileBytes(names_.HandOutCopy()), published);
  // No temporary file is left behind in the config folder.
  WIN32_FIND_DATAA entry;
  win::UniqueFind find(FindFirstFileA((client_.Config() + "\\*.tmp").c_str(), &entry));
  EXPECT_FALSE(find) << entry.cFileName;
}

TEST_F(PublishedCopyTest, APeersCopyIsReadOnlyWhenItIsACompleteShareList) {
  ASSERT_TRUE(Publish());
  XmlDocumentPtr received = PublishedCopy::Receive(names_.HandOutCopy());
  ASSERT_NE(received, nullptr);
  std::string path;
  received->FindFirst(true, "file")->GetChildText("filePath", path);
  EXPECT_EQ(path, "第1集.rmvb");

  const std::string file = client_.Data() + "\\peer.xml";
  const std::string compressed = ReadFileBytes(names_.HandOutCopy());
  std::string notAList;
  ASSERT_TRUE(Bzip2File::Compress("<Other>\r\n</Other>\r\n", notAList));
  std::string bomb;  // 65 MB of blanks: a small file that would fill memory
  ASSERT_TRUE(Bzip2File::Compress(std::string(Bzip2File::kMaxDecompressed + 1024 * 1024, ' '), bomb));
  EXPECT_LT(bomb.size(), 100000u);
  for (const std::string& content : {std::string(), std::string("not bzip2"), compressed.substr(0, compressed.size() - 3),
                                     notAList, bomb}) {
    ASSERT_TRUE(WriteFileBytes(file, content));
    EXPECT_EQ(PublishedCopy::Receive(file), nullptr) << content.size();
  }
  EXPECT_EQ(PublishedCopy::Receive(client_.Data() + "\\absent.xml"), nullptr);
}

}  // namespace
