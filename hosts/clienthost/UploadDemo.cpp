#include "UploadDemo.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "HostReport.h"
#include "LoggingHost.h"
#include "TransferDouble.h"
#include "WindowPicture.h"
#include "frame/PluginInterface.h"

namespace UploadDemo {
namespace {

constexpr int kLowerTabsId = 3277;
constexpr int kListIds[] = {3274, 3275, 3276};
constexpr const char* kTabNames[] = {"upload list", "finished downloads", "finished uploads"};
constexpr const char* kPictures[] = {"upload-list.png", "finished-downloads.png", "finished-uploads.png"};

struct Upload {
  const char* name;
  const char* path;
  int32_t category;
  uint32_t size;
  int32_t value;
};
const Upload kUploads[] = {{"甜蜜蜜.mp3", "C:\\共享\\甜蜜蜜.mp3", 1, 307200, 0},
                           {"纪录片-黄河.avi", "C:\\共享\\纪录片-黄河.avi", 3, 52428800, 1}};

int64_t LocalMoment(int daysBack, int hour) {
  std::time_t now = std::time(nullptr);
  std::tm local = *std::localtime(&now);
  local.tm_mday -= daysBack;
  local.tm_hour = hour;
  local.tm_min = local.tm_sec = 0;
  local.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&local));
}

BOOL CALLBACK MatchId(HWND window, LPARAM parameter) {
  auto* wanted = reinterpret_cast<std::pair<int, HWND>*>(parameter);
  if (GetDlgCtrlID(window) != wanted->first) return TRUE;
  wanted->second = window;
  return FALSE;
}

HWND ChildWithId(HWND main, int id) {
  std::pair<int, HWND> wanted(id, nullptr);
  EnumChildWindows(main, &MatchId, reinterpret_cast<LPARAM>(&wanted));
  return wanted.second;
}

int ColumnCount(HWND view) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(view, LVM_GETHEADER, 0, 0));
  return header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void ReportRows(HWND view, const char* what) {
  Report("%s: %d rows", what, RowCount(view));
  for (int row = 0; row < RowCount(view); ++row) {
    std::string line = " ";
    for (int column = 0; column < ColumnCount(view); ++column) line += " | " + CellText(view, row, column);
    Report("%s", line.c_str());
  }
}

// The user clicks a tab of the transfer window's lower half.
void ShowTab(HWND main, int tab) {
  HWND tabs = ChildWithId(main, kLowerTabsId);
  if (tabs == nullptr) return;
  SendMessageA(tabs, TCM_SETCURSEL, tab, 0);
  NMHDR change = {tabs, static_cast<UINT_PTR>(kLowerTabsId), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(GetParent(tabs), WM_NOTIFY, kLowerTabsId, reinterpret_cast<LPARAM>(&change));
}

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &wide[0],
                                  static_cast<int>(wide.size())));
  return wide;
}

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::string DailyFlowPath(const std::string& bin) { return bin + "\\config\\flowReport.dat"; }

// Eight bytes, little-endian: a moment of the counted day and its MiB.
uint32_t LittleEndian(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

bool WriteDailyFlow(const std::string& bin, int64_t stamp, int32_t mebibytes) {
  unsigned char bytes[8];
  for (int i = 0; i < 4; ++i) {
    bytes[i] = static_cast<unsigned char>(static_cast<uint32_t>(stamp) >> (8 * i));
    bytes[4 + i] = static_cast<unsigned char>(static_cast<uint32_t>(mebibytes) >> (8 * i));
  }
  FILE* file = std::fopen(DailyFlowPath(bin).c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
  return std::fclose(file) == 0 && written;
}

// The temporary-channel dialog is modal: a timer that its message loop
// dispatches takes its picture, types a peer and a number and clicks the
// bitmap's OK area.
constexpr int kTemporaryButtonId = 3269, kTemporaryPeerId = 3122, kTemporaryNumberId = 3123;
constexpr POINT kTemporaryOk = {215, 115};
struct TemporaryVisit {
  WindowPicture* pictures = nullptr;
  std::wstring path;
  bool seen = false, pictured = false;
};
TemporaryVisit* temporaryVisit = nullptr;

BOOL CALLBACK VisitTemporaryDialog(HWND window, LPARAM) {
  char title[64] = "";
  GetWindowTextA(window, title, sizeof title);
  if (std::string(title) != "临时通道设置" || !IsWindowVisible(window)) return TRUE;
  TemporaryVisit& visit = *temporaryVisit;
  visit.seen = true;
  visit.pictured = visit.pictures->Save(window, visit.path);
  SetDlgItemTextA(window, kTemporaryPeerId, "20005");
  SetDlgItemTextA(window, kTemporaryNumberId, "2");
  PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(kTemporaryOk.x, kTemporaryOk.y));
  return FALSE;
}

void CALLBACK OnTemporaryTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (temporaryVisit != nullptr && !temporaryVisit->seen)
    EnumThreadWindows(GetCurrentThreadId(), &VisitTemporaryDialog, 0);
}

bool SetTemporaryChannel(PluginInterface& plugin, HWND main, WindowPicture& pictures, const std::wstring& folder) {
  HWND button = ChildWithId(main, kTemporaryButtonId);
  TemporaryVisit visit;
  visit.pictures = &pictures;
  visit.path = folder + L"\\temporary-channel.png";
  temporaryVisit = &visit;
  UINT_PTR timer = SetTimer(nullptr, 0, 400, &OnTemporaryTimer);
  if (button != nullptr) SendMessageA(button, BM_CLICK, 0, 0);
  KillTimer(nullptr, timer);
  temporaryVisit = nullptr;
  bool ok = ReportCheck(visit.seen && visit.pictured, "picture temporary-channel.png (dialog 3117)");
  Report("UploadPeerMapHas(20005) = %d after the dialog's OK area took 20005 / 2", plugin.UploadPeerMapHas(20005));
  return ReportCheck(plugin.UploadPeerMapHas(20005) == 1, "the temporary channel reached the table") && ok;
}

}  // namespace

std::string TrafficLogPath(const std::string& dataFolder, unsigned user) {
  return dataFolder + "/config/transmitout" + std::to_string(user) + ".xml";
}

bool LayOut(const std::string& dataFolder, const std::string& bin, unsigned user) {
  if (!WriteDailyFlow(bin, LocalMoment(1, 20), 12)) return false;
  struct Record {
    int daysBack, hour;
    unsigned peer;
    const char* ip;
    unsigned amount;
  };
  const Record records[] = {{1, 9, 20001, "192.168.1.21", 512},
                            {1, 14, 20002, "192.168.1.22", 512},
                            {0, 0, 20004, "192.168.1.24", 4096},
                            {1, 20, 20003, "192.168.1.23", 1024}};
  std::string text = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<Transmit>\r\n";
  for (const Record& record : records)
    text += "<HasUpload timestamp=\"" + std::to_string(LocalMoment(record.daysBack, record.hour)) + "\" friendid=\"" +
            std::to_string(record.peer) + "\" realIP=\"" + record.ip + "\" uploadnum=\"" +
            std::to_string(record.amount) + "\"/>\r\n";
  text += "</Transmit>\r\n";
  FILE* file = std::fopen(TrafficLogPath(dataFolder, user).c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

bool Drive(PluginInterface& plugin, LoggingHost& host, HWND main, WindowPicture& pictures, const std::string& work,
           const std::string& dataFolder, unsigned user, bool reporting) {
  bool ok = true;
  plugin.ShowPanel(1);
  ShowTab(main, 0);
  HWND uploadList = ChildWithId(main, kListIds[0]);
  HWND uploadView = uploadList != nullptr ? GetWindow(uploadList, GW_CHILD) : nullptr;
  ok = ReportCheck(uploadView != nullptr && IsWindowVisible(uploadList), "upload list shown below the downloads") && ok;
  if (uploadView == nullptr) return false;

  // The download that finished is an upload already.
  const int before = RowCount(uploadView);
  Report("upload list before the client's uploads: %d row(s)", before);
  // The client's upload side: each upload record is driven through its
  // callback interface from the transfer double's calls.
  std::vector<TransferDouble*> uploads;
  for (const Upload& upload : kUploads) {
    UploadRecord* record = plugin.AddUpload(upload.name, upload.path, upload.category, upload.size, upload.value);
    Report("AddUpload(%s, %s, %d, %u, %d) = %s", upload.name, upload.path, upload.category, upload.size, upload.value,
           record != nullptr ? "record" : "null");
    ok = ReportCheck(record != nullptr, "the plug-in made an upload record") && ok;
    if (record == nullptr) continue;
    // The record is the callback interface the client reports to.
    TransferDouble* served = host.ServeUpload(reinterpret_cast<TransferTaskSink*>(record), upload.path, upload.size);
    if (served != nullptr) uploads.push_back(served);
  }
  if (uploads.size() == 2) {
    TransferDouble& song = *uploads[0];
    TransferDouble& film = *uploads[1];
    song.ReportStatus("正在上传");
    TaskSource* first = song.ReportSource(20001, "张三");
    song.ReportProgress(0, 204800, 0, 0, 51200, 0.66);
    film.ReportStatus("正在上传");
    TaskSource* second = film.ReportSource(20002, "李四");
    TaskSource* third = film.ReportSource(20003, "王五");
    film.ReportProgress(0, 9437184, 0, 0, 153600, 0.18);
    if (first != nullptr) song.CallSource(*first, 66, 51200);
    if (second != nullptr) film.CallSource(*second, 12, 102400);
    if (third != nullptr) film.CallSource(*third, 6, 51200);
  }
  // Two refreshes: speeds, times and the peers' rows.
  PumpUntil([] { return false; }, 4300);
  ReportRows(uploadView, "upload list at the picture");
  ok = ReportCheck(RowCount(uploadView) == before + 5, "two uploads with their three receiving peers") && ok;
  int song = RowOf(uploadView, kUploads[0].name);
  ok = ReportCheck(song >= 0 && CellText(uploadView, song, 2) == "+1", "the 300 KB upload earns +1") && ok;
  std::wstring folder = Wide(work);
  ok = ReportCheck(pictures.Save(uploadList, folder + L"\\" + Wide(kPictures[0])), "picture upload-list.png") && ok;
  ok = ReportCheck(pictures.Save(main, folder + L"\\transfer-window-uploads.png"),
                   "picture transfer-window-uploads.png") && ok;

  // The song is done: the client's last call on its record.
  if (!uploads.empty()) uploads[0]->End();
  PumpUntil([&] { return RowCount(uploadView) == before + 3; }, 3000);
  ok = ReportCheck(RowCount(uploadView) == before + 3, "the ended upload left the list with its peer") && ok;
  uint32_t busy = 0;
  plugin.GetBusy(&busy);
  Report("GetBusy = %u (2: uploading)", busy);

  for (int tab = 1; tab <= 2; ++tab) {
    ShowTab(main, tab);
    HWND list = ChildWithId(main, kListIds[tab]);
    HWND view = list != nullptr ? GetWindow(list, GW_CHILD) : nullptr;
    PumpUntil([] { return false; }, 500);
    ReportRows(view, kTabNames[tab]);
    ok = ReportCheck(view != nullptr && IsWindowVisible(list) && RowCount(view) > 0,
                     tab == 1 ? "finished downloads shown from HasDownload" : "finished uploads shown from HasUpload") &&
         ok;
    std::string what = std::string("picture ") + kPictures[tab];
    ok = ReportCheck(list != nullptr && pictures.Save(list, folder + L"\\" + Wide(kPictures[tab])), what.c_str()) && ok;
  }
  ShowTab(main, 0);
  ok = SetTemporaryChannel(plugin, main, pictures, folder) && ok;

  // The daily flow: yesterday's count went to the client at Start.
  std::string flow = TextOf(DailyFlowPath(dataFolder + "\\bin"));
  uint32_t stamp = flow.size() == 8 ? LittleEndian(flow, 0) : 0;
  auto count = static_cast<int32_t>(flow.size() == 8 ? LittleEndian(flow, 4) : UINT32_MAX);
  std::vector<std::string> traffic = host.CallsOf("ReportTraffic");
  std::string expected = "ReportTraffic(12, " + std::to_string(static_cast<int32_t>(LocalMoment(1, 20))) + ", 1)";
  Report("flowReport.dat laid out as (yesterday 20:00, 12); host calls: %s", traffic.empty() ? "none" : traffic[0].c_str());
  ok = ReportCheck(traffic.size() == 1 && traffic[0] == expected, "yesterday's 12 MiB reported through ReportTraffic") && ok;
  ok = ReportCheck(count == 0 && static_cast<int64_t>(stamp) >= LocalMoment(0, 0),
                   "flowReport.dat starts today at 0") && ok;

  // The upload record report the plug-in sent when its settings came.
  std::string trafficLog = TrafficLogPath(dataFolder, user);
  if (reporting) {
    bool sent = PumpUntil([&] { return CountOf(TextOf(trafficLog), "<HasUpload") == 1; }, 10000);
    ok = ReportCheck(sent, "upload record report: yesterday's 3 records accepted and removed") && ok;
  }
  std::string kept = TextOf(trafficLog);
  Report("transmitout%u.xml keeps %d record(s)%s", user, CountOf(kept, "<HasUpload"),
         kept.find("friendid=\"20004\"") != std::string::npos ? ", today's among them" : "");
  for (TransferDouble* upload : uploads) upload->End();
  PumpUntil([&] { return RowCount(uploadView) == before; }, 3000);
  return ok;
}

}  // namespace UploadDemo
