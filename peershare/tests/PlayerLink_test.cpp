// The link to the player: the records byte for byte, the command lines, and
// the player double (TovakPlayer.exe beside this program) receiving them.
#include "transfer/PlayerLink.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "DownloadListFixture.h"
#include "TempFolder.h"
#include "win/Handles.h"

namespace {

std::string LittleEndian(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char byte : bytes) {
    hex += digits[byte >> 4];
    hex += digits[byte & 15];
  }
  return hex;
}

std::string ProgramFolder() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string program = path;
  return program.substr(0, program.find_last_of("\\/"));
}

const std::string kHash = "00112233445566778899aabbccddeeff";

TEST(PlayerLinkRecords, FieldsAreFixedWidthIn32Bits) {
  EXPECT_EQ(sizeof(PlayerLink::Record), 272u);
  EXPECT_EQ(offsetof(PlayerLink::Record, command), 0u);
  EXPECT_EQ(offsetof(PlayerLink::Record, text), 4u);
  EXPECT_EQ(offsetof(PlayerLink::Record, size), 264u);
  EXPECT_EQ(offsetof(PlayerLink::Record, window), 268u);
  EXPECT_EQ(sizeof(PlayerLink::DeletedRecord), 420u);
  EXPECT_EQ(offsetof(PlayerLink::DeletedRecord, hash), 272u);
}

TEST(PlayerLinkRecords, ClientInfoCarriesTheFolderThenTheUserNumber) {
  PlayerLink link("D:\\拓瓦");
  link.SetUser(10001);
  link.SetWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x00012345)));
  PlayerLink::Record record = link.ClientInfoRecord();
  std::string expected = LittleEndian(12) + "D:\\拓瓦" + std::string(1, '\0') + "10001";
  expected.resize(4 + 260, '\0');
  expected += LittleEndian(272) + LittleEndian(0x12345);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&record), sizeof record), expected);
}

TEST(PlayerLinkRecords, AFolderTooLongForTheRecordIsCutBeforeTheUserNumber) {
  PlayerLink link(std::string(300, 'f'));
  link.SetUser(4294967295u);
  PlayerLink::Record record = link.ClientInfoRecord();
  std::string text(record.text, sizeof record.text);
  EXPECT_EQ(text.substr(text.find('\0') + 1, 10), "4294967295");
  EXPECT_EQ(text.back(), '\0');
}

TEST(PlayerLinkRecords, DeletedCarriesTheHashTwice) {
  PlayerLink link("C:\\Tovak");
  link.SetWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(7)));
  PlayerLink::DeletedRecord record = link.DeletedRecordFor(kHash);
  std::string expected = LittleEndian(3) + kHash;
  expected.resize(264, '\0');
  expected += LittleEndian(420) + LittleEndian(7) + kHash;
  expected.resize(420, '\0');
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&record), sizeof record), expected);
}

TEST(PlayerLinkRecords, CommandLines) {
  PlayerLink link("C:\\Tovak");
  link.SetWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(1234)));
  EXPECT_EQ(link.ProgramPath(), "C:\\Tovak\\TovakPlayer.exe");
  EXPECT_EQ(link.CompleteCommandLine("d:\\a.mp3"), "C:\\Tovak\\TovakPlayer.exe \"1234||d:\\a.mp3||0\"");
  EXPECT_EQ(link.RunningCommandLine(kHash, "d:\\a.mp3", "stream", 8901),
            "C:\\Tovak\\TovakPlayer.exe \"1234|" + kHash + "|d:\\a.mp3|stream|8901\"");
}

TEST(PlayerLinkRecords, OnlyTaggedRecordsOfFullSizeAreRead) {
  PlayerLink::Record record = {};
  record.command = 8;
  std::memcpy(record.text, kHash.c_str(), kHash.size());
  COPYDATASTRUCT data = {PlayerLink::kTag, sizeof record, &record};
  int32_t command = 0;
  std::string text;
  ASSERT_TRUE(PlayerLink::Read(data, command, text));
  EXPECT_EQ(command, 8);
  EXPECT_EQ(text, kHash);
  data.dwData = 0x1234;
  EXPECT_FALSE(PlayerLink::Read(data, command, text));
  data.dwData = PlayerLink::kTag;
  data.cbData = 12;
  EXPECT_FALSE(PlayerLink::Read(data, command, text));
  std::memset(record.text, 'x', sizeof record.text);  // no terminator
  data.cbData = sizeof record;
  ASSERT_TRUE(PlayerLink::Read(data, command, text));
  EXPECT_EQ(text.size(), 260u);
}

TEST(PlayerLinkRecords, NoPlayerInstalledOrRunningReportsNothingAndDoesNotWait) {
  TempFolder empty;
  PlayerLink link(empty.Path());
  DWORD start = GetTickCount();
  EXPECT_FALSE(link.PlayFile("d:\\a.mp3"));
  EXPECT_FALSE(link.PlayRunning(kHash, "d:\\a.mp3", "s", 1));
  if (PlayerLink::FindPlayer() == nullptr) {
    EXPECT_FALSE(link.SendClientInfo());
    EXPECT_FALSE(link.SendDeleted(kHash));
  }
  EXPECT_LT(GetTickCount() - start, 1000u);
}

// The player double runs as its own process, finds nothing but what it is
// sent, and logs every record beside itself.
class PlayerDoubleTest : public ::testing::Test {
 protected:
  PlayerDoubleTest() : link_(ProgramFolder()) {
    DeleteFileA(LogPath().c_str());
    receiver_ = CreateWindowExA(0, "STATIC", "list", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    link_.SetWindow(receiver_);
    link_.SetUser(10001);
  }
  ~PlayerDoubleTest() override {
    if (HWND player = PlayerLink::FindPlayer()) {
      DWORD process = 0;
      GetWindowThreadProcessId(player, &process);
      win::UniqueProcess running(OpenProcess(SYNCHRONIZE, FALSE, process));
      PostMessageA(player, WM_CLOSE, 0, 0);
      if (running) WaitForSingleObject(running.Get(), 5000);
    }
    DestroyWindow(receiver_);
  }
  static std::string LogPath() { return ProgramFolder() + "\\TovakPlayer.log"; }
  static std::string Log() { return ReadFileBytes(LogPath()); }
  bool WaitForLog(const std::string& part) {
    return PumpUntil([&] { return Log().find(part) != std::string::npos; }, 10000);
  }

  PlayerLink link_;
  HWND receiver_ = nullptr;
};

TEST_F(PlayerDoubleTest, ThePlayerReceivesTheRecordsByteForByte) {
  ASSERT_TRUE(link_.PlayFile("d:\\电影.rmvb"));
  ASSERT_TRUE(PumpUntil([] { return PlayerLink::FindPlayer() != nullptr; }, 10000)) << "player window";
  ASSERT_TRUE(WaitForLog("command line: "));
  std::string handle = std::to_string(static_cast<int32_t>(reinterpret_cast<uintptr_t>(receiver_)));
  EXPECT_NE(Log().find("TovakPlayer.exe \"" + handle + "||d:\\电影.rmvb||0\""), std::string::npos) << Log();

  ASSERT_TRUE(link_.SendClientInfo());
  PlayerLink::Record info = link_.ClientInfoRecord();
  ASSERT_TRUE(WaitForLog("record 12, 272 bytes: "));
  EXPECT_NE(Log().find("record 12, 272 bytes: " + Hex(std::string(reinterpret_cast<const char*>(&info), sizeof info))),
            std::string::npos);
  EXPECT_NE(Log().find("answered command 12"), std::string::npos);

  ASSERT_TRUE(link_.SendDeleted(kHash));
  PlayerLink::DeletedRecord deleted = link_.DeletedRecordFor(kHash);
  ASSERT_TRUE(WaitForLog("record 3, 420 bytes: "));
  EXPECT_NE(Log().find("record 3, 420 bytes: " +
                       Hex(std::string(reinterpret_cast<const char*>(&deleted), sizeof deleted))),
            std::string::npos);
}

}  // namespace
