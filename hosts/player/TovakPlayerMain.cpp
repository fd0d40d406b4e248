// The client's player program, as a double: "TovakPlayer.exe", a window
// whose title contains "拓瓦娱乐". It appends to "TovakPlayer.log" beside
// itself its command line and every copy-data record tagged 0x6ABE51 that
// it receives (command, size and all bytes in hexadecimal), answers a
// command 12 (by accepting it), asks the window named on its command line
// for command 12 once at start, and sends command 8 with a hash when a test
// asks for it with a copy-data record tagged kSendPlayTag carrying the
// target window (32 bits) and the hash. It closes by itself after two
// minutes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr ULONG_PTR kTag = 0x6ABE51;
// What a test sends the double to have it send command 8.
constexpr ULONG_PTR kSendPlayTag = 0x7E570008;
constexpr UINT kSendPlay = WM_APP + 8;
constexpr UINT_PTR kLifetimeTimer = 1;
constexpr const char* kTitle = "拓瓦娱乐播放器";

struct Record {
  int32_t command;
  char text[260];
  int32_t size;
  uint32_t window;
};
static_assert(sizeof(Record) == 272, "the records are 272 bytes");

struct PlayRequest {
  uint32_t target;
  char hash[33];
};

std::string logPath;
HWND pendingTarget = nullptr;
std::string pendingHash;

void AppendLog(const std::string& line) {
  if (FILE* file = std::fopen(logPath.c_str(), "ab")) {
    std::fprintf(file, "%s\r\n", line.c_str());
    std::fclose(file);
  }
}

std::string Hex(const void* data, size_t size) {
  std::string hex;
  char pair[3];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", static_cast<const unsigned char*>(data)[i]);
    hex += pair;
  }
  return hex;
}

HWND WindowOf(uint32_t number) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(number)); }

void SendRecord(HWND self, HWND target, int32_t command, const std::string& text) {
  Record record = {};
  record.command = command;
  std::snprintf(record.text, sizeof record.text, "%s", text.c_str());
  record.size = sizeof record;
  record.window = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(self));
  COPYDATASTRUCT copy = {kTag, sizeof record, &record};
  DWORD_PTR answer = 0;
  LRESULT sent = SendMessageTimeoutA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(self),
                                     reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, 5000, &answer);
  char line[128];
  std::snprintf(line, sizeof line, "sent command %d to %u: %s", command,
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(target)), sent ? "delivered" : "not delivered");
  AppendLog(line + (text.empty() ? std::string() : " " + text));
}

LRESULT OnCopyData(HWND window, const COPYDATASTRUCT& copy) {
  if (copy.dwData == kSendPlayTag && copy.cbData >= sizeof(PlayRequest)) {
    const auto* request = static_cast<const PlayRequest*>(copy.lpData);
    pendingTarget = WindowOf(request->target);
    pendingHash.assign(request->hash, strnlen(request->hash, sizeof request->hash));
    PostMessageA(window, kSendPlay, 0, 0);
    return TRUE;
  }
  if (copy.dwData != kTag) return FALSE;
  int32_t command = -1;
  if (copy.cbData >= sizeof(int32_t)) std::memcpy(&command, copy.lpData, sizeof command);
  char line[64];
  std::snprintf(line, sizeof line, "record %d, %lu bytes: ", command, static_cast<unsigned long>(copy.cbData));
  AppendLog(line + Hex(copy.lpData, copy.cbData));
  if (command == 12) AppendLog("answered command 12");
  return TRUE;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA:
      return OnCopyData(window, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case kSendPlay:
      SendRecord(window, pendingTarget, 8, pendingHash);
      return 0;
    case WM_TIMER:
      if (wParam == kLifetimeTimer) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

std::string ProgramFolder() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string program = path;
  return program.substr(0, program.find_last_of("\\/") + 1);
}

// The list's window: the number that opens the quoted argument.
HWND ListWindowOf(const char* commandLine) {
  const char* quote = std::strchr(commandLine, '"');
  const char* argument = quote != nullptr ? std::strchr(quote + 1, '"') : nullptr;
  if (argument == nullptr) return nullptr;
  return WindowOf(static_cast<uint32_t>(std::strtoul(argument + 1, nullptr, 10)));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  logPath = ProgramFolder() + "TovakPlayer.log";
  const char* commandLine = GetCommandLineA();
  AppendLog(std::string("command line: ") + commandLine);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "TovakPlayerDouble";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  SetTimer(window, kLifetimeTimer, 120000, nullptr);
  HWND list = ListWindowOf(commandLine);
  if (list != nullptr && IsWindow(list)) SendRecord(window, list, 12, std::string());

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
