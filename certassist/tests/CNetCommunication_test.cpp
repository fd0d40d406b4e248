// The HTTP client against a web server double of each test's own, through
// Wine's WinINet: status codes, lengths, lines, and downloads that stop
// early and resume.
#include <gtest/gtest.h>

#include "TestText.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "CNetCommunication.h"
#include "TempFolder.h"
#include "WebServerDouble.h"

namespace {

// Bytes that differ from position to position, so a shifted or doubled
// piece never passes for the right one.
std::string Content(size_t size, unsigned seed = 7) {
  std::string bytes(size, '\0');
  uint32_t state = seed;
  for (char& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 16);
  }
  return bytes;
}

class NetCommunicationTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Ok()) << "the web server double's control server is not running"; }

  CString Url(const std::string& path) const { return CString(Wide("http://" + server_.Address() + path).c_str()); }
  std::string Local(const std::string& name) const { return folder_.File(name); }
  CString LocalW(const std::string& name) const { return CString(Local(name).c_str()); }

  // GetUrlFile, then DownLoad into the local file name; DownLoad's code.
  DWORD Fetch(CNetCommunication& net, const std::string& path, const std::string& name) {
    DWORD opened = net.GetUrlFile(Url(path));
    EXPECT_EQ(0u, opened) << path;
    return opened != 0 ? opened : net.DownLoad(LocalW(name));
  }

  WebServerDouble server_;
  TempFolder folder_;
};

TEST_F(NetCommunicationTest, AnswersOtherThan200ComeBackAsCodes) {
  ASSERT_TRUE(server_.Put("/ca/list.txt", "version=3\r\n"));
  CNetCommunication net;
  EXPECT_EQ(0u, net.GetUrlFile(Url("/ca/list.txt")));
  EXPECT_EQ(11u, net.GetFileLength());
  EXPECT_EQ(1, server_.Count("GET /ca/list.txt HTTP/1.1"));
  EXPECT_NE(std::string::npos, server_.Log().find("User-Agent: LCCA Assitant\r\n"));

  EXPECT_EQ(0xE1000194u, net.GetUrlFile(Url("/ca/missing.txt")));
  EXPECT_EQ(0u, net.GetFileLength());
  char byte = 0;
  EXPECT_EQ(0u, net.Read(&byte, 1));  // no answer is kept
  ASSERT_TRUE(server_.SetRules("/ca/list.txt status 500\n"));
  EXPECT_EQ(0xE10001F4u, net.GetUrlFile(Url("/ca/list.txt")));
  EXPECT_EQ(0xE0010001u, net.GetUrlFile(CString(Wide("http://" + WebServerDouble::RefusingAddress() + "/").c_str())));
  EXPECT_EQ(0xE0010001u, net.GetUrlFile(L""));
  EXPECT_EQ(0xE0010001u, net.GetUrlFile(L"not an address"));
  EXPECT_EQ(0xE0010001u, net.DownLoad(LocalW("nothing.bin")));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Local("nothing.bin").c_str()));
}

TEST_F(NetCommunicationTest, PagesAreReadAsLinesOfTheCodePage) {
  ASSERT_TRUE(server_.Put("/ver.ini", CodePage936(L"[version]\r\nCertButler = 3.2.1\r\nname=岚川 CA\nlast")));
  CNetCommunication net;
  ASSERT_EQ(0u, net.GetUrlFile(Url("/ver.ini")));
  CString line, name, value;
  EXPECT_TRUE(net.ReadString(line));
  EXPECT_EQ(CString(L"[version]"), line);
  EXPECT_TRUE(net.ReadNameAndValue(name, value));
  EXPECT_EQ(CString(L"CertButler"), name);
  EXPECT_EQ(CString(L"3.2.1"), value);
  EXPECT_EQ(0u, net.GetStringByName(value, L"name"));
  EXPECT_EQ(CString(L"岚川CA"), value);
  char rest[16] = {};
  EXPECT_EQ(4u, net.Read(rest, sizeof rest));  // what the line reader had read ahead
  EXPECT_STREQ("last", rest);
  EXPECT_FALSE(net.ReadString(line));
  EXPECT_TRUE(line.IsEmpty());

  ASSERT_EQ(0u, net.GetUrlFile(Url("/ver.ini")));
  EXPECT_EQ(0xE0010004u, net.GetStringByName(value, L""));
  EXPECT_EQ(0xE0010005u, net.GetStringByName(value, L"Missing"));
  EXPECT_TRUE(value.IsEmpty());
  EXPECT_FALSE(net.ReadNameAndValue(name, value));  // the search read to the end
}

TEST_F(NetCommunicationTest, ConnectivityChecksSpotTheNotFoundPage) {
  ASSERT_TRUE(server_.Put("/ok.html", "<html>\r\n<body>LCCA</body>\r\n</html>\r\n"));
  ASSERT_TRUE(server_.Put("/soft404.html", CodePage936(L"<html>\r\n<title>404错误：页面不存在</title>\r\n</html>")));
  CNetCommunication net;
  EXPECT_EQ(0u, net.IsConnect2Internet(Url("/ok.html")));
  EXPECT_EQ(0xE0010099u, net.IsConnect2Internet(Url("/soft404.html")));
  EXPECT_EQ(0xE0010099u, net.IsConnect2Tax(Url("/soft404.html")));
  EXPECT_EQ(0xE1000194u, net.IsConnect2Tax(Url("/gone.html")));
  ASSERT_TRUE(server_.SetRules("/ok.html drop\n"));
  EXPECT_EQ(0xE0010001u, net.IsConnect2Internet(Url("/ok.html")));
}

TEST_F(NetCommunicationTest, ADownloadCutShortResumesWhereTheFileEnds) {
  std::string served = Content(100000);
  ASSERT_TRUE(server_.Put("/pkg/update.bin", served));
  ASSERT_TRUE(server_.SetRules("/pkg/update.bin truncate 40000\n"));
  CNetCommunication net;
  EXPECT_EQ(0u, Fetch(net, "/pkg/update.bin", "update.bin"));
  EXPECT_EQ(100000u, net.GetFileLength());
  EXPECT_TRUE(ReadFileBytes(Local("update.bin")) == served.substr(0, 40000));
  EXPECT_EQ(40000u, net.GetNowFileSize());

  ASSERT_TRUE(server_.SetRules(""));
  EXPECT_EQ(0u, Fetch(net, "/pkg/update.bin", "update.bin"));
  EXPECT_TRUE(ReadFileBytes(Local("update.bin")) == served);
  EXPECT_EQ(100000u, CNetCommunication::m_downLoadFileLen);
  EXPECT_NE(std::string::npos, server_.Log().find("Range: bytes=40000-\r\n"));

  // A complete file asks for nothing more and stays as it is.
  EXPECT_EQ(0u, Fetch(net, "/pkg/update.bin", "update.bin"));
  EXPECT_TRUE(ReadFileBytes(Local("update.bin")) == served);
  EXPECT_EQ(100000u, net.GetNowFileSize());
}

TEST_F(NetCommunicationTest, AServerThatIgnoresRangesHasTheFileWrittenAgainFromItsStart) {
  std::string served = Content(30000);
  ASSERT_TRUE(server_.Put("/pkg/update.bin", served));
  ASSERT_TRUE(server_.SetRules("/pkg/update.bin norange\n"));
  ASSERT_TRUE(WriteFileBytes(Local("update.bin"), served.substr(0, 3000)));
  CNetCommunication net;
  EXPECT_EQ(0u, Fetch(net, "/pkg/update.bin", "update.bin"));
  EXPECT_TRUE(ReadFileBytes(Local("update.bin")) == served) << "not a second copy after the first 3000 bytes";
  EXPECT_EQ(30000u, net.GetNowFileSize());

  // A local file longer than the server's is not a start of it either.
  ASSERT_TRUE(server_.SetRules(""));
  ASSERT_TRUE(WriteFileBytes(Local("update.bin"), Content(45000, 3)));
  EXPECT_EQ(0u, Fetch(net, "/pkg/update.bin", "update.bin"));
  EXPECT_TRUE(ReadFileBytes(Local("update.bin")) == served);
}

TEST_F(NetCommunicationTest, ContentLengthsThatAreMissingZeroHugeOrShort) {
  std::string served = Content(10000);
  ASSERT_TRUE(server_.Put("/empty.bin", ""));
  ASSERT_TRUE(server_.Put("/file.bin", served));
  CNetCommunication net;
  EXPECT_EQ(0u, Fetch(net, "/empty.bin", "empty.bin"));
  EXPECT_EQ(0u, net.GetFileLength());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Local("empty.bin").c_str()));
  EXPECT_EQ("", ReadFileBytes(Local("empty.bin")));

  ASSERT_TRUE(server_.SetRules("/file.bin nolength\n"));
  EXPECT_EQ(0u, Fetch(net, "/file.bin", "nolength.bin"));
  EXPECT_EQ(0u, net.GetFileLength());
  EXPECT_TRUE(ReadFileBytes(Local("nolength.bin")) == served);

  ASSERT_TRUE(server_.SetRules("/file.bin length 5000000000\n"));
  EXPECT_EQ(0u, Fetch(net, "/file.bin", "huge.bin"));
  EXPECT_EQ(0xFFFFFFFFu, net.GetFileLength());
  EXPECT_TRUE(ReadFileBytes(Local("huge.bin")) == served);
  EXPECT_EQ(10000u, net.GetNowFileSize());

  // The announced length is what the answer holds.
  ASSERT_TRUE(server_.SetRules("/file.bin length 100\n"));
  EXPECT_EQ(0u, Fetch(net, "/file.bin", "short.bin"));
  EXPECT_EQ(100u, net.GetFileLength());
  EXPECT_TRUE(ReadFileBytes(Local("short.bin")) == served.substr(0, 100));
}

TEST_F(NetCommunicationTest, ALocalFileThatCannotBeOpenedIsReported) {
  ASSERT_TRUE(server_.Put("/file.bin", Content(5000)));
  CNetCommunication net;
  ASSERT_EQ(0u, net.GetUrlFile(Url("/file.bin")));
  EXPECT_EQ(0xE0010002u, net.DownLoad(LocalW("no-such-folder\\file.bin")));
  EXPECT_EQ(0xE0010002u, net.DownLoad(CString(folder_.Path().c_str())));  // a folder
  EXPECT_EQ(0xE0010002u, net.DownLoad(nullptr));
  EXPECT_EQ(0xE0010002u, net.DownLoad(L""));
  {
    // A file another program holds open without sharing.
    ASSERT_TRUE(WriteFileBytes(Local("locked.bin"), "old"));
    win::UniqueFile locked(
        CreateFileA(Local("locked.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked);
    EXPECT_EQ(0xE0010002u, net.DownLoad(LocalW("locked.bin")));
  }
  EXPECT_EQ("old", ReadFileBytes(Local("locked.bin")));
  // The answer is still there for a place that works.
  EXPECT_EQ(0u, net.DownLoad(LocalW("file.bin")));
  EXPECT_EQ(5000u, ReadFileBytes(Local("file.bin")).size());
}

TEST_F(NetCommunicationTest, AnotherThreadSeesTheCounterGrow) {
  const size_t size = 1024 * 1024;
  ASSERT_TRUE(server_.Put("/slow.bin", Content(size)));
  ASSERT_TRUE(server_.SetRules("/slow.bin pace 2\n"));
  static_assert(sizeof CNetCommunication::m_downLoadFileLen == 4, "a 32-bit counter");
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(&CNetCommunication::m_downLoadFileLen) % 4);
  CNetCommunication net;
  ASSERT_EQ(0u, net.GetUrlFile(Url("/slow.bin")));
  std::atomic<bool> done(false);
  std::vector<DWORD> seen;
  std::thread watcher([&] {
    while (!done) {
      DWORD now = CNetCommunication::m_downLoadFileLen;
      if (seen.empty() || seen.back() != now) seen.push_back(now);
      Sleep(1);
    }
  });
  DWORD result = net.DownLoad(LocalW("slow.bin"));
  done = true;
  watcher.join();
  EXPECT_EQ(0u, result);
  ASSERT_FALSE(seen.empty());
  int between = 0;
  for (size_t i = 0; i < seen.size(); ++i) {
    if (i > 0) {
      EXPECT_GT(seen[i], seen[i - 1]) << "at " << i;
    }
    if (seen[i] > 0 && seen[i] < size) ++between;
  }
  EXPECT_GE(between, 5);
  EXPECT_EQ(size, CNetCommunication::m_downLoadFileLen);
}

TEST_F(NetCommunicationTest, CopiesShareTheAnswerAndTheLastOneClosesIt) {
  ASSERT_TRUE(server_.Put("/list.txt", "first\r\nsecond\r\nthird\r\n"));
  CString line;
  auto* original = new CNetCommunication;
  ASSERT_EQ(0u, original->GetUrlFile(Url("/list.txt")));
  EXPECT_TRUE(original->ReadString(line));
  CNetCommunication copy(*original);
  CNetCommunication assigned;
  assigned = copy;
  delete original;
  EXPECT_EQ(22u, copy.GetFileLength());
  EXPECT_TRUE(copy.ReadString(line));
  EXPECT_EQ(CString(L"second"), line);
  EXPECT_TRUE(assigned.ReadString(line));
  EXPECT_EQ(CString(L"third"), line);
  EXPECT_EQ(0u, copy.DownLoad(LocalW("rest.txt")));  // releases copy's share only
  EXPECT_FALSE(assigned.ReadString(line));
}

}  // namespace
