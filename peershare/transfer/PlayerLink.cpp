#include "transfer/PlayerLink.h"

#include <cstdio>
#include <cstring>

#include "transfer/FieldText.h"
#include "win/Handles.h"

namespace {

// The title is compared in the ANSI code page, as the player shows it.
BOOL CALLBACK MatchPlayer(HWND window, LPARAM found) {
  char title[256] = "";
  GetWindowTextA(window, title, sizeof title);
  if (std::strstr(title, PlayerLink::kTitleText) == nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// A text field that always ends within its bytes.
template <size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  std::snprintf(field, N, "%s", text.c_str());
}

}  // namespace

std::string PlayerLink::ProgramPath() const { return programFolder_ + "\\" + kProgram; }

HWND PlayerLink::FindPlayer() {
  HWND found = nullptr;
  EnumWindows(&MatchPlayer, reinterpret_cast<LPARAM>(&found));
  return found;
}

uint32_t PlayerLink::WindowNumber() const {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window_));
}

PlayerLink::Record PlayerLink::ClientInfoRecord() const {
  Record record = {};
  record.command = kClientInfo;
  record.size = sizeof(Record);
  record.window = WindowNumber();
  char user[16];
  int userLength = std::snprintf(user, sizeof user, "%u", static_cast<unsigned>(user_));
  // The folder keeps room for its zero, the number and the number's zero.
  std::string folder = FieldText::Cut(programFolder_, sizeof record.text - 2 - userLength);
  std::memcpy(record.text, folder.data(), folder.size());
  std::memcpy(record.text + folder.size() + 1, user, userLength);
  return record;
}

PlayerLink::DeletedRecord PlayerLink::DeletedRecordFor(const std::string& hash) const {
  DeletedRecord record = {};
  record.head.command = kDeleted;
  record.head.size = sizeof(DeletedRecord);
  record.head.window = WindowNumber();
  CopyField(record.head.text, hash);
  CopyField(record.hash, hash);
  return record;
}

bool PlayerLink::Send(const void* data, size_t size) const {
  HWND player = FindPlayer();
  if (player == nullptr) return false;
  COPYDATASTRUCT copy = {kTag, static_cast<DWORD>(size), const_cast<void*>(data)};
  DWORD_PTR answer = 0;
  // A player that hangs must not hold the list up.
  return SendMessageTimeoutA(player, WM_COPYDATA, reinterpret_cast<WPARAM>(window_), reinterpret_cast<LPARAM>(&copy),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, 2000, &answer) != 0;
}

bool PlayerLink::SendClientInfo() const {
  Record record = ClientInfoRecord();
  return Send(&record, sizeof record);
}

bool PlayerLink::SendDeleted(const std::string& hash) const {
  DeletedRecord record = DeletedRecordFor(hash);
  return Send(&record, sizeof record);
}

bool PlayerLink::SendBack(const void* data, size_t size) const { return Send(data, size); }

bool PlayerLink::Read(const COPYDATASTRUCT& data, int32_t& command, std::string& text) {
  if (data.dwData != kTag || data.lpData == nullptr || data.cbData < sizeof(Record)) return false;
  Record record;
  std::memcpy(&record, data.lpData, sizeof record);
  command = record.command;
  text.assign(record.text, strnlen(record.text, sizeof record.text));
  return true;
}

std::string PlayerLink::CompleteCommandLine(const std::string& localPath) const {
  return ProgramPath() + " \"" + std::to_string(static_cast<int32_t>(WindowNumber())) + "||" + localPath + "||0\"";
}

std::string PlayerLink::RunningCommandLine(const std::string& hash, const std::string& localPath,
                                           const std::string& stream, int32_t number) const {
  return ProgramPath() + " \"" + std::to_string(static_cast<int32_t>(WindowNumber())) + "|" + hash + "|" + localPath +
         "|" + stream + "|" + std::to_string(number) + "\"";
}

bool PlayerLink::Start(std::string commandLine) const {
  std::string program = ProgramPath();
  if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, programFolder_.c_str(),
                      &startup, &process))
    return false;
  // Started, not waited for.
  win::UniqueProcess started(process.hProcess);
  win::UniqueThread startedThread(process.hThread);
  return true;
}

bool PlayerLink::PlayFile(const std::string& localPath) const { return Start(CompleteCommandLine(localPath)); }

bool PlayerLink::PlayRunning(const std::string& hash, const std::string& localPath, const std::string& stream,
                             int32_t number) const {
  return Start(RunningCommandLine(hash, localPath, stream, number));
}
