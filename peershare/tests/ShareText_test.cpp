// The small pieces of the share library: code page texts, the ini reader and
// writer, MD5 digests and web addresses.
#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"
#include "share/CodePageText.h"
#include "share/IniFile.h"
#include "share/Md5.h"
#include "share/WebAddress.h"

namespace {

TEST(CodePageText, SearchesAndSeparatorsMoveByWholeCharacters) {
  // "\xB0\xA1" is one character; "\xA1\xB0" is found only at a character start.
  EXPECT_FALSE(CodePageText::Contains("\xB0\xA1\xB0\xA1", "\xA1\xB0"));
  EXPECT_TRUE(CodePageText::Contains("x\xA1\xB0", "\xA1\xB0"));
  EXPECT_TRUE(CodePageText::Contains("色情电影", "电影"));
  EXPECT_FALSE(CodePageText::Contains("abc", "abcd"));
  EXPECT_EQ(CodePageText::FileNameOf("C:\\a/b\\c.txt"), "c.txt");
  EXPECT_EQ(CodePageText::FileNameOf("plain"), "plain");
  EXPECT_EQ(CodePageText::FileNameOf("D:\\dir\\"), "");
  EXPECT_EQ(CodePageText::FileNameOf("D:\\\x81\x5c.txt"), "\x81\x5c.txt");
  EXPECT_EQ(CodePageText::ForwardSlashes("a\\b\\\x81\x5c"), "a/b/\x81\x5c");
  EXPECT_EQ(CodePageText::Upper("c:\\拓瓦\\bin"), "C:\\拓瓦\\BIN");
}

TEST(IniFile, ReadsAsTheProfileFunctionsAndWritesInPlace) {
  IniFile ini("; comment\r\n[Tovak]\r\n Key = \"quoted value\" \r\nnumber=12abc\nempty=\n[other]\rKey=2\r\n");
  EXPECT_EQ(ini.Get("tovak", "key"), "quoted value");
  EXPECT_EQ(ini.GetInt("TOVAK", "number", 5), 12);
  EXPECT_EQ(ini.GetInt("tovak", "empty", 5), 0);
  EXPECT_EQ(ini.GetInt("tovak", "missing", 5), 5);
  EXPECT_EQ(ini.Get("other", "key"), "2");
  ini.Set("tovak", "number", "13");
  ini.Set("tovak", "added", "x");
  ini.Set("new", "k", "v");
  IniFile again(ini.Text());
  EXPECT_EQ(again.GetInt("tovak", "number", 0), 13);
  EXPECT_EQ(again.Get("tovak", "added"), "x");
  EXPECT_EQ(again.Get("other", "key"), "2");
  EXPECT_EQ(again.Get("new", "k"), "v");
  EXPECT_EQ(ini.Text().find("; comment\r\n[Tovak]\r\n"), 0u);

  // A value too long to be meant reads as missing.
  IniFile tooLong("[s]\r\nurl=" + std::string(5000, 'u') + "\r\nok=" + std::string(1023, 'o') + "\r\n");
  EXPECT_EQ(tooLong.Get("s", "url", "fallback"), "fallback");
  EXPECT_EQ(tooLong.Get("s", "ok").size(), 1023u);

  TempFolder folder;
  ASSERT_TRUE(ini.Save(folder.File("a.ini")));
  IniFile loaded;
  ASSERT_TRUE(loaded.Load(folder.File("a.ini")));
  EXPECT_EQ(loaded.Text(), ini.Text());
  EXPECT_FALSE(loaded.Load(folder.File("absent.ini")));
  EXPECT_EQ(loaded.Text(), "");
}

TEST(Md5, DigestsOfTextsAndFiles) {
  EXPECT_EQ(Md5::OfText(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5::OfText("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5::OfText("The quick brown fox jumps over the lazy dog"), "9e107d9d372bb6826bd81d3542a419d6");
  TempFolder folder;
  const std::string big(200000, 'a');
  ASSERT_TRUE(WriteFileBytes(folder.File("big"), big));
  std::string hex;
  ASSERT_TRUE(Md5::OfFile(folder.File("big"), hex));
  EXPECT_EQ(hex, Md5::OfText(big));
  EXPECT_FALSE(Md5::OfFile(folder.File("absent"), hex));
  EXPECT_EQ(hex, "");
}

TEST(WebAddress, HostsPortsAndLocations) {
  WebAddress address;
  ASSERT_TRUE(WebAddress::Parse("127.0.0.1:8080", address));
  EXPECT_EQ(address.host, "127.0.0.1");
  EXPECT_EQ(address.port, 8080);
  ASSERT_TRUE(WebAddress::Parse("up.tovak.com", address));
  EXPECT_EQ(address.port, 80);
  for (const char* bad : {"", ":80", "host:", "host:0", "host:65536", "host:8x", "a b:80", "host:123456"}) {
    WebAddress untouched{"kept", 1};
    EXPECT_FALSE(WebAddress::Parse(bad, untouched)) << bad;
    EXPECT_EQ(untouched.host, "kept");
  }
  std::string path;
  ASSERT_TRUE(WebAddress::SplitLocation("dl.tovak.com/filter/lite.txt", address, path));
  EXPECT_EQ(address.host, "dl.tovak.com");
  EXPECT_EQ(path, "/filter/lite.txt");
  ASSERT_TRUE(WebAddress::SplitLocation("127.0.0.1:81\\top\\ten.ini", address, path));
  EXPECT_EQ(address.port, 81);
  EXPECT_EQ(path, "/top/ten.ini");
  EXPECT_FALSE(WebAddress::SplitLocation("no-separator.ini", address, path));
  EXPECT_FALSE(WebAddress::SplitLocation("/path-only", address, path));
  EXPECT_FALSE(WebAddress::SplitLocation("", address, path));
}

TEST(WebAddress, TheOperatorComesFromCustomIni) {
  TempFolder folder;
  EXPECT_EQ(WebAddress::Operator(folder.Path()).host, WebAddress::kDefaultOperatorHost);
  EXPECT_EQ(WebAddress::Operator(folder.Path()).port, 80);
  ASSERT_TRUE(WriteFileBytes(folder.File("custom.ini"), "[tovak]\r\noperatorServer=127.0.0.1:5123\r\n"));
  EXPECT_EQ(WebAddress::Operator(folder.Path()).host, "127.0.0.1");
  EXPECT_EQ(WebAddress::Operator(folder.Path()).port, 5123);
  ASSERT_TRUE(WriteFileBytes(folder.File("custom.ini"), "[tovak]\r\noperatorServer=bad:port\r\n"));
  EXPECT_EQ(WebAddress::Operator(folder.Path()).host, WebAddress::kDefaultOperatorHost);
}

}  // namespace
