// What may be shared, and the names the host shows for shared files.
#include "share/SharePaths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Shareable(std::string path, int labelCode) { return SharePaths::CanShare(path, labelCode); }

TEST(SharePaths, CanShareRefusesDriveRootsSystemFoldersAndProgramsInMedia) {
  for (const char* root : {"C:\\", "c:\\", "J:/", "e:/", "D:\\"}) EXPECT_FALSE(Shareable(root, 7)) << root;
  // Only the roots themselves, and only drives C to J.
  EXPECT_TRUE(Shareable("D:\\Games", 7));
  EXPECT_TRUE(Shareable("K:\\", 7));
  EXPECT_TRUE(Shareable("C:", 7));
  for (const char* system : {"C:\\WINDOWS\\system32\\a.dll", "d:\\WinNT", "E:\\Program Files\\游戏\\x.dat",
                             "D:\\旧Windows备份\\a.mp3"})
    EXPECT_FALSE(Shareable(system, 5)) << system;
  EXPECT_FALSE(Shareable("D:\\下载\\安装.EXE", 1));
  EXPECT_FALSE(Shareable("D:\\下载\\运行.bat", 3));
  EXPECT_TRUE(Shareable("D:\\下载\\安装.exe", 6));
  EXPECT_TRUE(Shareable("D:\\下载\\运行.bat", 2));
  EXPECT_TRUE(Shareable("D:\\下载\\歌.exe.mp3", 1));

  // The check lower-cases the path it is given, character by character.
  std::string path = "D:\\MUSIC\\丂Abc.MP3";
  EXPECT_TRUE(SharePaths::CanShare(path, 1));
  EXPECT_EQ(path, "d:\\music\\丂abc.mp3");
}

TEST(SharePaths, LowerCaseLeavesTheSecondByteOfAChineseCharacterAlone) {
  // 丂 is 0x81 0x40 and 乑 is 0x81 0x5A ("Z") in code page 936.
  EXPECT_EQ(SharePaths::LowerAscii("乑丂AZ"), "乑丂az");
  EXPECT_EQ(std::string("乑").size(), 2u);
  EXPECT_EQ(std::string("乑")[1], 'Z');
}

TEST(SharePaths, ExtensionsComeFromTheFileName) {
  EXPECT_EQ(SharePaths::ExtensionOf("D:\\a.b\\歌曲.MP3"), ".MP3");
  EXPECT_EQ(SharePaths::ExtensionOf("D:\\a.b\\README"), "");
  EXPECT_EQ(SharePaths::ExtensionOf("x.tar.gz"), ".gz");
}

TEST(SharePaths, DisplayNamesCutLongBaseNamesBetweenCharacters) {
  const std::string ascii57(57, 'a');
  EXPECT_EQ(SharePaths::DisplayName("D:\\" + ascii57 + ".avi"), ascii57 + ".avi");
  EXPECT_EQ(SharePaths::DisplayName("D:\\" + ascii57 + "bc.avi"), ascii57 + "b.avi");

  std::string chinese;
  for (int i = 0; i < 30; ++i) chinese += "电";  // 60 bytes
  // 29 characters are 58 bytes: an even count of high bytes keeps 58.
  EXPECT_EQ(SharePaths::DisplayName("D:\\影\\" + chinese + ".rmvb"), chinese.substr(0, 58) + ".rmvb");
  // After one ASCII letter the 58th byte would split a character: 57 stay.
  EXPECT_EQ(SharePaths::DisplayName("D:\\影\\x" + chinese + ".rmvb"), "x" + chinese.substr(0, 56) + ".rmvb");
  // 58 bytes that end between characters stay whole; two ASCII letters
  // before the characters keep the cut at 58.
  const std::string whole58 = "x" + chinese.substr(0, 56) + "y";
  EXPECT_EQ(SharePaths::DisplayName(whole58 + ".mp3"), whole58 + ".mp3");
  EXPECT_EQ(SharePaths::DisplayName("xy" + chinese + ".mp3"), "xy" + chinese.substr(0, 56) + ".mp3");

  // Characters whose second byte is below 0x80 count once among the bytes
  // above 0x7F; 29 of them (58 bytes, an odd count) are still kept whole.
  std::string low;
  for (int i = 0; i < 30; ++i) low += "丂";
  EXPECT_EQ(SharePaths::DisplayName(low + ".mp3"), low.substr(0, 58) + ".mp3");
  EXPECT_EQ(SharePaths::DisplayName("x" + low + ".mp3"), "x" + low.substr(0, 56) + ".mp3");
  EXPECT_EQ(SharePaths::DisplayName("无扩展名"), "无扩展名");
}

}  // namespace
