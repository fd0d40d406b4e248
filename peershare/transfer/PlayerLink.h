#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The link to the client's player program "TovakPlayer.exe": it is started
// with one of two command lines, and the two exchange copy-data records
// tagged 0x6ABE51. The player's main window is the top-level window whose
// title contains "拓瓦娱乐". A player that is not installed or not running is
// simply not reached: nothing is reported and nothing waits.
class PlayerLink {
 public:
  static constexpr ULONG_PTR kTag = 0x6ABE51;
  static constexpr const char* kProgram = "TovakPlayer.exe";
  static constexpr const char* kTitleText = "拓瓦娱乐";
  enum Command : int32_t { kDeleted = 3, kPlay = 8, kClientInfo = 12 };

  // Every record starts like this; the fields are 32 bits wide in both
  // builds (a window handle travels as 32 bits).
  struct Record {
    int32_t command;
    char text[260];
    int32_t size;
    uint32_t window;
  };
  // Command 3: the hash again after the common part.
  struct DeletedRecord {
    Record head;
    char hash[148];
  };

  // programFolder: the client's executable folder, without trailing separator.
  explicit PlayerLink(std::string programFolder) : programFolder_(std::move(programFolder)) {}
  void SetWindow(HWND window) { window_ = window; }
  void SetUser(uint32_t user) { user_ = user; }
  std::string ProgramPath() const;

  // The player's main window, or null.
  static HWND FindPlayer();
  // Command 12: the program folder and, after its terminating zero, the user
  // number in decimal.
  bool SendClientInfo() const;
  // Command 3 for a running download that was deleted.
  bool SendDeleted(const std::string& hash) const;
  // A record as it came, back to the player.
  bool SendBack(const void* data, size_t size) const;

  // "%s \"%d||%s||0\"": a file complete on disk.
  bool PlayFile(const std::string& localPath) const;
  // "%s \"%d|%s|%s|%s|%d\"": a running download, with what its transfer gave.
  bool PlayRunning(const std::string& hash, const std::string& localPath, const std::string& stream,
                   int32_t number) const;

  // A record from the player: its command and its text; false when the data
  // is no record of the player's.
  static bool Read(const COPYDATASTRUCT& data, int32_t& command, std::string& text);

  Record ClientInfoRecord() const;
  DeletedRecord DeletedRecordFor(const std::string& hash) const;
  std::string CompleteCommandLine(const std::string& localPath) const;
  std::string RunningCommandLine(const std::string& hash, const std::string& localPath, const std::string& stream,
                                 int32_t number) const;

 private:
  uint32_t WindowNumber() const;
  bool Send(const void* data, size_t size) const;
  bool Start(std::string commandLine) const;

  std::string programFolder_;
  HWND window_ = nullptr;
  uint32_t user_ = 0;
};

static_assert(sizeof(PlayerLink::Record) == 272, "command 12 is 272 bytes");
static_assert(offsetof(PlayerLink::Record, text) == 4 && offsetof(PlayerLink::Record, size) == 264 &&
                  offsetof(PlayerLink::Record, window) == 268,
              "the player reads fixed offsets");
static_assert(sizeof(PlayerLink::DeletedRecord) == 420 && offsetof(PlayerLink::DeletedRecord, hash) == 272,
              "command 3 is 420 bytes");
