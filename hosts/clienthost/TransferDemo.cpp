#include "TransferDemo.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "HostReport.h"
#include "ListViewCells.h"
#include "LoggingHost.h"
#include "WindowPicture.h"
#include "frame/PluginInterface.h"

namespace TransferDemo {
namespace {

constexpr int kDownloadListId = 3257;
constexpr const char* kPendingHash = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";

struct Download {
  const char* name;
  int32_t category;
  const char* hash;
  uint32_t size;
  const char* comment;
};
// One that finishes while the job runs, one that keeps running, one that
// costs more coins than the user has.
const Download kFinishing = {"月亮代表我的心.mp3", 1, "a1b2c3d4e5f60718293a4b5c6d7e8f90", 3000000, "经典老歌"};
const Download kRunning = {"纪录片-长江.avi", 3, "1234567890abcdef1234567890abcdef", 80000000, "高清"};
const Download kTooDear = {"大片.rmvb", 3, "fedcba0987654321fedcba0987654321", 700000000, ""};

std::string TextOf(const std::string& path) {
  std::string text;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    std::fclose(file);
  }
  return text;
}

BOOL CALLBACK MatchDownloadList(HWND window, LPARAM found) {
  if (GetDlgCtrlID(window) != kDownloadListId) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The list-view inside the download list's window.
HWND DownloadListView(HWND main) {
  HWND list = nullptr;
  EnumChildWindows(main, &MatchDownloadList, reinterpret_cast<LPARAM>(&list));
  return list != nullptr ? GetWindow(list, GW_CHILD) : nullptr;
}

using ListViewCells::CellText;
using ListViewCells::RowCount;

int RowOf(HWND view, const char* name) {
  for (int row = 0; row < RowCount(view); ++row)
    if (CellText(view, row, 0) == name) return row;
  return -1;
}

void ReportRows(HWND view, const char* when) {
  Report("download list %s: %d rows", when, RowCount(view));
  for (int row = 0; row < RowCount(view); ++row)
    Report("  | %-22s | %12s | %5s | %-14s | %13s | %6s | %s", CellText(view, row, 0).c_str(),
           CellText(view, row, 1).c_str(), CellText(view, row, 2).c_str(), CellText(view, row, 3).c_str(),
           CellText(view, row, 4).c_str(), CellText(view, row, 5).c_str(), CellText(view, row, 7).c_str());
}

// The list's prompts are modal: the user reads each one and presses OK. A
// timer that their message loops dispatch does it here and counts them.
int promptsClosed = 0;
std::string lastPromptTitle;
BOOL CALLBACK ClosePrompt(HWND window, LPARAM) {
  char title[64] = "";
  GetWindowTextA(window, title, sizeof title);
  std::string text = title;
  if ((text != "拓瓦提示" && text != "拓瓦") || !IsWindowVisible(window) || GetDlgItem(window, IDOK) == nullptr)
    return TRUE;
  ++promptsClosed;
  lastPromptTitle = text;
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return FALSE;
}
void CALLBACK CloseShownPrompts(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), &ClosePrompt, 0);
}

// What the control tells its parent when the user clicks a cell.
void ClickCell(HWND view, int row, int column) {
  RECT cell = {};
  cell.top = column;
  cell.left = LVIR_BOUNDS;
  if (!SendMessageA(view, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell))) return;
  NMITEMACTIVATE click = {};
  click.hdr.hwndFrom = view;
  click.hdr.idFrom = GetDlgCtrlID(view);
  click.hdr.code = NM_CLICK;
  click.iItem = row;
  click.iSubItem = column;
  click.ptAction = {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
  SendMessageA(GetParent(view), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

HWND playerWindow = nullptr;
BOOL CALLBACK MatchPlayer(HWND window, LPARAM) {
  char title[128] = "";
  GetWindowTextA(window, title, sizeof title);
  if (std::string(title).find("拓瓦娱乐") == std::string::npos) return TRUE;
  playerWindow = window;
  return FALSE;
}

HWND FindPlayer() {
  playerWindow = nullptr;
  EnumWindows(&MatchPlayer, 0);
  return playerWindow;
}

// The player double's log, one report line for each of its lines.
void ReportPlayerLog(const std::string& log) {
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find("\r\n", start);
    std::string line = log.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // Records are logged whole in hexadecimal: their start says enough here.
    if (line.size() > 120) line = line.substr(0, 117) + "...";
    Report("  player: %s", line.c_str());
    if (end == std::string::npos) break;
    start = end + 2;
  }
}

// The user plays the running song from its "点播" cell; the player asks the
// list for the client (command 12) and later for the running file by hash
// (command 8), as the test asks it to.
bool PlayFromTheList(HWND view, const std::string& programFolder) {
  std::string logPath = programFolder + "\\TovakPlayer.log";
  DeleteFileA(logPath.c_str());
  int row = RowOf(view, kFinishing.name);
  if (row < 0) return ReportCheck(false, "the song is in the list");
  ClickCell(view, row, 6);
  bool ok = ReportCheck(PumpUntil([] { return FindPlayer() != nullptr; }, 10000),
                        "a click on its play cell started TovakPlayer.exe");
  ok = ReportCheck(PumpUntil([&] { return TextOf(logPath).find("record 12, 272 bytes") != std::string::npos; }, 10000),
                   "the player asked for the client and got command 12") && ok;
  struct {
    uint32_t target;
    char hash[33];
  } request = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetParent(view))), {}};
  std::snprintf(request.hash, sizeof request.hash, "%s", kRunning.hash);
  COPYDATASTRUCT copy = {0x7E570008, sizeof request, &request};
  if (HWND player = FindPlayer()) SendMessageA(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
  ok = ReportCheck(PumpUntil([&] { return TextOf(logPath).find("sent command 8") != std::string::npos; }, 10000),
                   "the player sent command 8 for the running documentary") && ok;
  // The list answers command 8 by playing the documentary: a second player.
  ok = ReportCheck(PumpUntil([&] { return TextOf(logPath).find(std::string("|") + kRunning.hash) != std::string::npos; },
                             10000),
                   "the list played the documentary it was asked for") && ok;
  PumpUntil([] { return false; }, 300);
  ReportPlayerLog(TextOf(logPath));
  // Both players close.
  PumpUntil(
      [] {
        HWND player = FindPlayer();
        if (player != nullptr) SendMessageTimeoutA(player, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
        return player == nullptr;
      },
      10000);
  return ok;
}

int32_t Add(PluginInterface& plugin, const Download& download) {
  return plugin.AddHostDownload(download.name, download.category, download.hash, download.size, download.comment);
}

void DoubleClickRow(HWND view, int row) {
  RECT place = {};
  place.left = LVIR_LABEL;
  if (!SendMessageA(view, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&place))) return;
  LPARAM at = MAKELPARAM(place.left + 4, (place.top + place.bottom) / 2);
  SendMessageA(view, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(view, WM_LBUTTONUP, 0, at);
}

bool DriveDownloads(PluginInterface& plugin, HWND main, WindowPicture& pictures, const std::string& work,
                    const std::string& dataFolder, unsigned user);

}  // namespace

std::string DocumentPath(const std::string& dataFolder, unsigned user) {
  return dataFolder + "/config/transmit" + std::to_string(user) + ".xml";
}

bool LayOut(const std::string& work, const std::string& dataFolder, unsigned user) {
  std::string downloads = work + "\\downloads";
  CreateDirectoryA(downloads.c_str(), nullptr);
  std::string document =
      "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<Transmit>\r\n<DownloadPath selectDir=\"0\">\r\n" + downloads +
      "</DownloadPath>\r\n<MaxTunnel num=\"10\">\r\n</MaxTunnel>\r\n<VIPTunnel num=\"5\">\r\n</VIPTunnel>\r\n"
      "<DownloadItem fileName=\"上次未完成.rmvb\" fromMobile=\"0\" MD5=\"" + kPendingHash +
      "\" fileType=\"3\" fileSize=\"50000000\" comment=\"昨天的\" localFileName=\"" + downloads +
      "/上次未完成.rmvb\">\r\n</DownloadItem>\r\n</Transmit>\r\n";
  FILE* file = std::fopen(DocumentPath(dataFolder, user).c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(document.data(), 1, document.size(), file) == document.size();
  return std::fclose(file) == 0 && written;
}

void PrepareHost(LoggingHost& host, const std::string& work) {
  host.downloadPercents[work + "\\downloads/上次未完成.rmvb"] = 35;
  TransferPace finishing;
  finishing.stepMilliseconds = 200;
  finishing.bytesPerStep = kFinishing.size / 65;  // about thirteen seconds
  finishing.sources = 2;
  host.pacesByHash[kFinishing.hash] = finishing;
  TransferPace running;
  running.stepMilliseconds = 200;
  running.bytesPerStep = 240000;
  running.sources = 3;
  host.pacesByHash[kRunning.hash] = running;
  TransferPace pending = running;
  pending.sources = 1;
  host.pacesByHash[kPendingHash] = pending;
}

bool Drive(PluginInterface& plugin, HWND main, WindowPicture& pictures, const std::string& work,
           const std::string& dataFolder, unsigned user) {
  bool ok = true;
  UINT_PTR prompts = SetTimer(nullptr, 0, 300, &CloseShownPrompts);
  ok = DriveDownloads(plugin, main, pictures, work, dataFolder, user) && ok;
  KillTimer(nullptr, prompts);
  return ok;
}

namespace {

bool DriveDownloads(PluginInterface& plugin, HWND main, WindowPicture& pictures, const std::string& work,
                    const std::string& dataFolder, unsigned user) {
  bool ok = true;
  plugin.ShowPanel(1);
  HWND view = DownloadListView(main);
  ok = ReportCheck(view != nullptr, "transfer window shown with the download list") && ok;
  if (view == nullptr) return false;
  int restored = RowOf(view, "上次未完成.rmvb");
  ok = ReportCheck(restored >= 0 && CellText(view, restored, 3) == "本地排队",
                   "pending download restored from transmit10001.xml, 本地排队") && ok;

  int32_t finishing = Add(plugin, kFinishing);
  int32_t running = Add(plugin, kRunning);
  Report("AddHostDownload(%s, %u bytes) = %d; AddHostDownload(%s, %u bytes) = %d", kFinishing.name, kFinishing.size,
         finishing, kRunning.name, kRunning.size, running);
  ok = ReportCheck(finishing == 3 && running == 3, "two downloads started through the transfer doubles") && ok;
  ok = ReportCheck(CellText(view, RowOf(view, "上次未完成.rmvb"), 3) == "本地排队",
                   "two run: the pending one waits in the local queue") && ok;

  int before = promptsClosed;
  int32_t refused = Add(plugin, kTooDear);
  Report("AddHostDownload(%s, %u bytes) with 120 coins = %d", kTooDear.name, kTooDear.size, refused);
  ok = ReportCheck(refused == 2 && promptsClosed == before + 1 && lastPromptTitle == "拓瓦提示",
                   "refused for coins; the coins prompt was shown") && ok;
  ok = ReportCheck(RowOf(view, kTooDear.name) < 0, "the refused file has no row") && ok;

  // The first refreshes come after three skipped ticks; the sources are shown
  // below the running download.
  PumpUntil([] { return false; }, 8600);
  int row = RowOf(view, kRunning.name);
  if (row >= 0) DoubleClickRow(view, row);
  PumpUntil([] { return false; }, 400);
  ReportRows(view, "at the picture");
  std::wstring folder(work.size() + 1, L'\0');
  folder.resize(MultiByteToWideChar(CP_ACP, 0, work.c_str(), static_cast<int>(work.size()), &folder[0],
                                    static_cast<int>(folder.size())));
  ok = ReportCheck(pictures.Save(main, folder + L"\\transfer-window.png"), "picture transfer-window.png") && ok;
  ok = ReportCheck(pictures.Save(GetParent(view), folder + L"\\download-list.png"), "picture download-list.png") && ok;
  ok = PlayFromTheList(view, dataFolder + "\\bin") && ok;

  bool finished = PumpUntil([&] { return RowOf(view, kFinishing.name) < 0; }, 15000);
  ok = ReportCheck(finished, "the finishing download was handed over and left the list") && ok;
  bool inHistory = TextOf(DocumentPath(dataFolder, user)).find("<HasDownload fileType=\"1\" fileSize=\"3000000\"") !=
                   std::string::npos;
  ok = ReportCheck(inHistory, "HasDownload written to transmit10001.xml") && ok;
  bool started = PumpUntil(
      [&] {
        int pending = RowOf(view, "上次未完成.rmvb");
        return pending >= 0 && CellText(view, pending, 3) != "本地排队";
      },
      5000);
  ok = ReportCheck(started, "the queued download started when a place came free") && ok;
  // Its first status text shows at the refresh after.
  PumpUntil([] { return false; }, 2200);
  ReportRows(view, "at the end");
  ok = ReportCheck(promptsClosed == 1, "no other prompt came up") && ok;
  return ok;
}

}  // namespace

}  // namespace TransferDemo
