#include "share/Bzip2File.h"

#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"
#include "win/Handles.h"

namespace {

std::string SampleList() {
  std::string text = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<ShareFile version=\"2\">\r\n";
  for (int i = 0; i < 3000; ++i) text += "<file MD5=\"" + std::to_string(i * 7919) + "\">\r\n</file>\r\n";
  return text + "</ShareFile>\r\n";
}

TEST(Bzip2File, CompressedFileDecompressesToTheOriginal) {
  TempFolder folder;
  const std::string path = folder.File("temp0share1.xml"), original = SampleList();
  ASSERT_TRUE(WriteFileBytes(path, original));
  ASSERT_TRUE(Bzip2File::CompressInPlace(path));
  std::string compressed = ReadFileBytes(path);
  EXPECT_EQ("BZh9", compressed.substr(0, 4));  // block size 9
  EXPECT_LT(compressed.size(), original.size());
  std::string text;
  ASSERT_TRUE(Bzip2File::DecompressToText(path, text));
  EXPECT_EQ(original, text);
}

TEST(Bzip2File, EmptyFileRoundTrips) {
  TempFolder folder;
  const std::string path = folder.File("empty.xml");
  ASSERT_TRUE(WriteFileBytes(path, ""));
  ASSERT_TRUE(Bzip2File::CompressInPlace(path));
  std::string text = "stale";
  EXPECT_TRUE(Bzip2File::DecompressToText(path, text));
  EXPECT_EQ("", text);
}

TEST(Bzip2File, RefusesWhatIsNotACompleteBzip2Stream) {
  TempFolder folder;
  const std::string path = folder.File("list.xml");
  ASSERT_TRUE(WriteFileBytes(path, SampleList()));
  ASSERT_TRUE(Bzip2File::CompressInPlace(path));
  const std::string compressed = ReadFileBytes(path);

  const std::string cases[] = {
      "",                                          // empty
      compressed.substr(0, compressed.size() / 2),  // truncated
      compressed.substr(0, compressed.size() - 1),  // one byte short
      compressed.substr(0, 4),                      // header only
      "<?xml version=\"1.0\"?><a/>",                // not bzip2
      "BZh9" + std::string(200, '\x31'),            // bzip2 header, garbage after
  };
  for (const std::string& content : cases) {
    ASSERT_TRUE(WriteFileBytes(path, content));
    std::string text = "stale";
    EXPECT_FALSE(Bzip2File::DecompressToText(path, text)) << content.size();
    EXPECT_EQ("", text);
  }
  std::string text;
  EXPECT_FALSE(Bzip2File::DecompressToText(folder.File("absent.xml"), text));
}

TEST(Bzip2File, CompressionOfAnUnreadableFileChangesNothing) {
  TempFolder folder;
  EXPECT_FALSE(Bzip2File::CompressInPlace(folder.File("absent.xml")));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.File("absent.xml").c_str()));

  // Held open without sharing, as another program might.
  const std::string path = folder.File("locked.xml");
  ASSERT_TRUE(WriteFileBytes(path, "content"));
  win::UniqueFile lock(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  EXPECT_FALSE(Bzip2File::CompressInPlace(path));
  lock.Reset();
  EXPECT_EQ("content", ReadFileBytes(path));
}

}  // namespace
