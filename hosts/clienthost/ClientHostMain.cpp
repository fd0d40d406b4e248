// A client without a network that loads the file-sharing plug-in the way the
// peer-to-peer client does. It lays out a client folder below WORKFOLDER
//   Tovak            client data folder (its config folder holds the per-user files)
//   Tovak\bin        executable folder: this program, custom.ini,
//                    Plugins\peershare.dll, Plugins\TvHashFile.dll (the hash
//                    plug-in double) and a config folder
// runs itself from there, drives the plug-in through its exports and
// PluginInterface (downloads and uploads included, through the host's
// transfer doubles, searches through the host's Search and its reported
// results, the mail plug-in double), logs every HostClient call to WORKFOLDER\host-calls.log and
// saves pictures of the main window, the transfer window and the coins
// prompt as PNG files.
//
// With --operator the plug-in's share worker fetches its settings and lists
// from that server (the web server double of the main job).
//
// clienthost.exe WORKFOLDER [--online N] [--member] [--operator HOST:PORT]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "LoggingHost.h"
#include "PluginLibrary.h"
#include "SearchDemo.h"
#include "FriendDemo.h"
#include "ShareDemo.h"
#include "TransferDemo.h"
#include "UploadDemo.h"
#include "WindowPicture.h"
#include "frame/CoinsPrompt.h"
#include "frame/PluginInterface.h"
#include "win/Handles.h"

namespace {

constexpr const char* kRunFlag = "--run";
constexpr uint32_t kUser = 10001;

struct Options {
  std::string work;
  int32_t online = 0;
  int32_t member = 0;
  std::string operatorServer;
  bool run = false;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--online") == 0 && i + 1 < argc) {
      options.online = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--operator") == 0 && i + 1 < argc) {
      options.operatorServer = argv[++i];
    } else if (std::strcmp(argv[i], "--member") == 0) {
      options.member = 1;
    } else if (std::strcmp(argv[i], kRunFlag) == 0) {
      options.run = true;
    } else {
      options.work = argv[i];
    }
  }
  return options;
}

std::string ProgramPath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/")); }
std::string DataFolder(const Options& options) { return options.work + "\\Tovak"; }
std::string ExecutableFolder(const Options& options) { return DataFolder(options) + "\\bin"; }

bool WriteText(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && ok;
}

// Creates the client folder and copies this program and the plug-in into it.
bool LayOutClient(const Options& options) {
  std::string data = DataFolder(options), bin = ExecutableFolder(options);
  for (const std::string& folder : {options.work, data, data + "\\config", bin, bin + "\\Plugins", bin + "\\config"})
    CreateDirectoryA(folder.c_str(), nullptr);
  std::string self = ProgramPath();
  // appServer 1: the plug-in reports the uploaded MiB of a finished day.
  std::string custom = "[tovak]\r\nshowFriend=1\r\nSyncDownloadLimit=3\r\nshowIE=1\r\nappServer=1\r\n";
  if (!options.operatorServer.empty()) custom += "operatorServer=" + options.operatorServer + "\r\n";
  return WriteText(bin + "\\custom.ini", custom) && CopyFileA(self.c_str(), (bin + "\\clienthost.exe").c_str(), FALSE) &&
         CopyFileA((FolderOf(self) + "\\peershare.dll").c_str(), (bin + "\\Plugins\\peershare.dll").c_str(), FALSE) &&
         CopyFileA((FolderOf(self) + "\\TvHashFile.dll").c_str(), (bin + "\\Plugins\\TvHashFile.dll").c_str(), FALSE) &&
         CopyFileA((FolderOf(self) + "\\TovakPlayer.exe").c_str(), (bin + "\\TovakPlayer.exe").c_str(), FALSE) &&
         ShareDemo::LayOut(options.work, bin, data, kUser) && TransferDemo::LayOut(options.work, data, kUser) &&
         UploadDemo::LayOut(data, bin, kUser) && SearchDemo::LayOut(FolderOf(self), data, bin);
}

int RunFromClientFolder(const Options& options) {
  std::string program = ExecutableFolder(options) + "\\clienthost.exe";
  std::string command = "\"" + program + "\" \"" + options.work + "\" --online " + std::to_string(options.online) +
                        (options.member ? " --member " : " ") +
                        (options.operatorServer.empty() ? "" : "--operator " + options.operatorServer + " ") + kRunFlag;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                      ExecutableFolder(options).c_str(), &startup, &process)) {
    std::printf("clienthost: cannot start %s (error %lu)\n", program.c_str(), GetLastError());
    return 1;
  }
  win::UniqueProcess child(process.hProcess);
  win::UniqueThread childThread(process.hThread);
  WaitForSingleObject(child.Get(), INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(child.Get(), &code);
  return static_cast<int>(code);
}

void PumpMessages(DWORD milliseconds) {
  DWORD end = GetTickCount() + milliseconds;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  }
}

std::wstring Wide(const std::string& text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(wcslen(wide.c_str()));
  return wide;
}

bool Check(bool ok, const char* what) {
  std::printf("  %-52s %s\n", what, ok ? "ok" : "FAILED");
  return ok;
}

bool Picture(WindowPicture& pictures, HWND window, const Options& options, const char* file) {
  PumpMessages(800);
  return pictures.Save(window, Wide(options.work + "\\" + file));
}

// Everything the client does with the plug-in, in the client's order.
int DrivePlugin(const Options& options) {
  std::string logPath = options.work + "\\host-calls.log";
  DeleteFileA(logPath.c_str());
  LoggingHost host;
  host.onlineCount = options.online;
  host.member = options.member;
  host.LogTo(logPath);
  host.AddFriendRecord(20001, "张三", "老同学", 0);
  host.AddFriendRecord(20002, "李四", "", 1);
  TransferDemo::PrepareHost(host, options.work);

  std::string pluginPath = ExecutableFolder(options) + "\\Plugins\\peershare.dll";
  win::UniqueModule library(LoadLibraryA(pluginPath.c_str()));
  HMODULE plugin = library.Get();
  bool ok = Check(plugin != nullptr, "load Plugins\\peershare.dll");
  if (plugin == nullptr) return 1;
  auto getType = Export<int (*)()>(plugin, "getType");
  auto getNameIcon = Export<void* (*)(char*)>(plugin, "getNameIcon");
  auto init = Export<PluginInterface* (*)(HostClient*)>(plugin, "init");
  ok = Check(getType && getNameIcon && init, "exports getType, getNameIcon, init") && ok;
  if (!(getType && getNameIcon && init)) return 1;
  std::printf("  getType() = %d\n", getType());
  char name[64] = "";
  void* icon = getNameIcon(name);
  std::printf("  getNameIcon() = \"%s\", icon %s\n", name, icon ? "loaded" : "MISSING");
  PluginInterface* face = init(&host);
  ok = Check(face != nullptr, "init(host) returns the PluginInterface") && ok;
  if (face == nullptr) return 1;

  ok = Check(face->Start(kUser, 120, 0) == 1, "Start(10001, 120 coins, 0)") && ok;
  // The downloads come first: the pending one must still wait in the queue
  // when the other two start.
  WindowPicture pictures;
  HWND main = FindPluginMainWindow();
  std::printf("-- downloads through the client host's transfer doubles\n");
  ok = TransferDemo::Drive(*face, main, pictures, options.work, DataFolder(options), kUser) && ok;
  std::printf("-- share library\n");
  ok = ShareDemo::Drive(*face, host, ExecutableFolder(options), DataFolder(options), kUser,
                        !options.operatorServer.empty()) && ok;
  std::printf("-- uploads, history lists and the upload record report\n");
  ok = UploadDemo::Drive(*face, host, main, pictures, options.work, DataFolder(options), kUser,
                         !options.operatorServer.empty()) && ok;
  std::printf("-- search centre and results pages\n");
  ok = SearchDemo::Drive(*face, host, main, pictures, options.work, ExecutableFolder(options)) && ok;
  std::printf("-- main window\n");
  face->SetAccount(120, 800, 400);
  // The client's sign-in cycle fills the friend tree from GetFriendList;
  // a peer met later arrives through AddPeer.
  face->Suspend();
  face->Resume(0, 0, 0);
  face->AddPeer(20003, 1, "王五");
  face->ShowPanel(1);
  ok = Check(main != nullptr && IsWindowVisible(main), "main window shown") && ok;

  std::printf("  notice page view (child 59748): %s\n",
              GetDlgItem(main, 59748) != nullptr ? "hosted" : "no browser control here");

  ok = Check(Picture(pictures, main, options, "main-window.png"), "picture main-window.png") && ok;
  std::printf("-- friend panel\n");
  ok = FriendDemo::Drive(*face, main, options.work) && ok;
  ok = Check(Picture(pictures, main, options, "friend-panel.png"), "picture friend-panel.png") && ok;
  // The share page: the local disks above, the share below.
  face->ShowPanel(3);
  ok = ShareDemo::ReportSharePage(main) && ok;
  ok = Check(Picture(pictures, main, options, "share-page.png"), "picture share-page.png") && ok;
  SendMessageA(GetDlgItem(main, 3108), BM_CLICK, 0, 0);

  CoinsPrompt prompt(&host);
  ok = Check(prompt.Open(main), "coins prompt opened") && ok;
  ok = Check(Picture(pictures, prompt.Handle(), options, "coins-prompt.png"), "picture coins-prompt.png") && ok;
  prompt.Destroy();
  // The member variant: shorter text, no upgrade button.
  int32_t wasMember = host.member;
  host.member = 1;
  CoinsPrompt memberPrompt(&host);
  ok = Check(memberPrompt.Open(main) &&
                 Picture(pictures, memberPrompt.Handle(), options, "coins-prompt-member.png"),
             "picture coins-prompt-member.png") && ok;
  memberPrompt.Destroy();
  host.member = wasMember;


  face->Stop();
  ok = Check(!IsWindow(main), "Stop() destroyed the main window") && ok;
  // Unloaded before the calls are counted, as the client unloads its plug-ins.
  library.Reset();
  std::printf("  host calls logged: %u (host-calls.log)\n", static_cast<unsigned>(host.Calls().size()));
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options = ParseOptions(argc, argv);
  if (options.work.empty()) {
    std::printf("usage: clienthost.exe WORKFOLDER [--online N] [--member]\n");
    return 2;
  }
  if (options.run) return DrivePlugin(options);
  if (!LayOutClient(options)) {
    std::printf("clienthost: cannot lay out the client folder below %s\n", options.work.c_str());
    return 1;
  }
  std::fflush(stdout);
  return RunFromClientFolder(options);
}
