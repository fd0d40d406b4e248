#include "SearchDemo.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "DialogWatcher.h"
#include "HostReport.h"
#include "LoggingHost.h"
#include "WindowPicture.h"
#include "frame/PluginInterface.h"
#include "frame/ResourceIds.h"
#include "win/Handles.h"

namespace SearchDemo {
namespace {

constexpr uint32_t kUser = 10001;
constexpr const char* kCommandKey = "mailto\\shell\\open\\command";

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  return static_cast<bool>(file);
}

std::string TextOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> LinesOf(const std::string& path) {
  std::istringstream text(TextOf(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::wstring Widen(const std::string& text, UINT codePage) {
  int length = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
  MultiByteToWideChar(codePage, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(length > 0 ? length : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], length, nullptr, nullptr);
  text.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
  return text;
}

std::wstring Wide(const std::string& text) { return Widen(text, CP_ACP); }

// The UTF-8 the mail handler logs, as code page text for the report.
std::string FromUtf8(const std::string& utf8) { return Narrow(Widen(utf8, CP_UTF8)); }

LoggingHost::SearchResult Result(const char* name, uint32_t size, int32_t category, uint32_t peer,
                                 const char* nickname, int32_t kind, int32_t bandwidth, const char* comment,
                                 const char* hash) {
  LoggingHost::SearchResult result;
  result.hash = hash;
  result.fileName = name;
  result.size = size;
  result.category = category;
  result.comment = comment;
  result.peerId = peer;
  result.nickname = nickname;
  result.connectionKind = kind;
  result.ip = 0x0A000002 + peer % 200;
  result.port = 4662;
  result.bandwidth = bandwidth;
  result.peerTag = peer * 3;
  result.extra = "";
  return result;
}

HWND Item(HWND main, int id) { return GetDlgItem(main, id); }

void Search(HWND main, const char* keyword, int type, const char* target) {
  SetWindowTextA(Item(main, IDC_SEARCH_TEXT), keyword);
  SendMessageA(Item(main, IDC_SEARCH_TYPE), CB_SETCURSEL, type, 0);
  SetWindowTextA(Item(main, IDC_SEARCH_TARGET), target);
  SendMessageA(Item(main, IDC_SEARCH_SCOPE), CB_SETCURSEL, 0, 0);
  SendMessageA(Item(main, IDC_SEARCH_START), BM_CLICK, 0, 0);
}

BOOL CALLBACK FindSearchTabs(HWND window, LPARAM result) {
  if (GetDlgCtrlID(window) != IDC_SEARCH_TABS) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

HWND SearchTabs(HWND main) {
  HWND found = nullptr;
  EnumChildWindows(main, &FindSearchTabs, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string TabTitle(HWND tabs, int tab) {
  char title[256] = "";
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = title;
  item.cchTextMax = sizeof title;
  SendMessageA(tabs, TCM_GETITEMA, tab, reinterpret_cast<LPARAM>(&item));
  return title;
}

// The list of the visible results page.
HWND VisibleResults(HWND tabs) {
  for (HWND page = GetWindow(tabs, GW_CHILD); page != nullptr; page = GetWindow(page, GW_HWNDNEXT))
    if (IsWindowVisible(page)) return GetDlgItem(page, IDC_RESULTS_LIST);
  return nullptr;
}

void ReportRows(HWND view) {
  Report("  | %-18s | %-4s | %12s | %-6s | %-6s | %-3s | %-4s | %6s | %s", "文件名", "类型", "大小", "拓瓦号", "昵称",
         "拓币", "连接", "带宽", "注释");
  for (int row = 0; row < RowCount(view); ++row)
    Report("  | %-18s | %-4s | %12s | %-6s | %-6s | %-4s | %-4s | %6s | %s", CellText(view, row, 0).c_str(),
           CellText(view, row, 1).c_str(), CellText(view, row, 3).c_str(), CellText(view, row, 4).c_str(),
           CellText(view, row, 5).c_str(), CellText(view, row, 6).c_str(), CellText(view, row, 7).c_str(),
           CellText(view, row, 8).c_str(), CellText(view, row, 9).c_str());
}

void SelectOnly(HWND view, int row) {
  LVITEMA state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(view, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

// A menu choice on the page that holds the list.
void ChooseFromMenu(HWND view, int command) {
  SendMessageA(GetParent(view), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

// The "mailto:" handler of the prefix while it lives: the logger beside the
// program; the previous handler comes back after.
class MailtoHandler {
 public:
  MailtoHandler(const std::string& logger, const std::string& log) {
    char value[1024] = "";
    LONG size = sizeof value;
    hadValue_ = RegQueryValueA(HKEY_CLASSES_ROOT, kCommandKey, value, &size) == ERROR_SUCCESS;
    previous_ = value;
    std::string command = "\"" + logger + "\" \"" + log + "\" \"%1\"";
    ok_ = RegSetValueA(HKEY_CLASSES_ROOT, kCommandKey, REG_SZ, command.c_str(), static_cast<DWORD>(command.size())) ==
          ERROR_SUCCESS;
  }
  ~MailtoHandler() {
    if (hadValue_) {
      RegSetValueA(HKEY_CLASSES_ROOT, kCommandKey, REG_SZ, previous_.c_str(), static_cast<DWORD>(previous_.size()));
    } else {
      RegDeleteKeyA(HKEY_CLASSES_ROOT, kCommandKey);
    }
  }
  bool Ok() const { return ok_; }

 private:
  bool hadValue_ = false, ok_ = false;
  std::string previous_;
};

std::string FolderOfProgram() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string program = path;
  return program.substr(0, program.find_last_of("\\/"));
}

bool RefusedQueries(HWND main, const DialogWatcher& watcher, LoggingHost& host) {
  struct Refused {
    const char* keyword;
    int type;
    const char* target;
    const char* what;
  };
  const Refused refused[] = {{"ab", 1, "全部", "\"ab\", 音乐"},
                             {"abc", 0, "全部", "\"abc\", 全部, no target"},
                             {"功夫", 3, "12a", "\"功夫\", 视频, target \"12a\""},
                             {"功夫", 3, "99999999999", "\"功夫\", 视频, target \"99999999999\""},
                             {"色情电影", 3, "全部", "\"色情电影\", 视频 (light list)"}};
  bool ok = true;
  size_t searchesBefore = host.Searches().size();
  for (const Refused& query : refused) {
    size_t seen = watcher.Seen().size();
    Search(main, query.keyword, query.type, query.target);
    std::string message = watcher.Seen().size() > seen ? Narrow(watcher.Seen().back().text) : "(no message)";
    std::string caption = watcher.Seen().size() > seen ? Narrow(watcher.Seen().back().caption) : "";
    Report("refused: %-40s -> [%s] %s", query.what, caption.c_str(), message.c_str());
    ok = ok && caption == "拓瓦";
  }
  return ReportCheck(ok && host.Searches().size() == searchesBefore, "refused queries sent nothing to the host") && ok;
}

void ReportSearchCall(const LoggingHost::SearchCall& call) {
  Report("host Search(queryId %u, sequence %u, %d, type %d, target %u, scope %d, \"%s\")", call.queryId, call.sequence,
         call.maxResults, call.fileType, call.targetPeer, call.scope, call.keyword.c_str());
}

// Finds a top-level window of this process by class.
HWND WaitForWindow(const char* windowClass) {
  HWND found = nullptr;
  PumpUntil([&] { return (found = FindWindowA(windowClass, nullptr)) != nullptr; }, 3000);
  return found;
}

}  // namespace

bool LayOut(const std::string& programFolder, const std::string& dataFolder, const std::string& binFolder) {
  // The same lists as the operator's: the search centre reads them once at Start.
  return WriteText(dataFolder + "\\config\\filter.txt", "色情\r\n反动\r\n赌博\r\n") &&
         WriteText(dataFolder + "\\config\\litefilter.txt", "色情\r\n反动\r\n") &&
         CopyFileA((programFolder + "\\TvSendMail.dll").c_str(), (binFolder + "\\Plugins\\TvSendMail.dll").c_str(),
                   FALSE) &&
         CopyFileA((programFolder + "\\mailto_logger.exe").c_str(), (binFolder + "\\mailto_logger.exe").c_str(), FALSE);
}

bool Drive(PluginInterface& plugin, LoggingHost& host, HWND main, WindowPicture& pictures, const std::string& work,
           const std::string& binFolder) {
  DialogWatcher watcher;
  plugin.ShowPanel(2);
  HWND tabs = SearchTabs(main);
  bool ok = ReportCheck(tabs != nullptr, "search centre's tab control");
  if (tabs == nullptr) return false;
  Report("tab 0: \"%s\"", TabTitle(tabs, 0).c_str());
  PumpUntil([] { return false; }, 200);
  ok = ReportCheck(pictures.Save(main, Wide(work + "\\search-centre.png")), "picture search-centre.png") && ok;
  ok = RefusedQueries(main, watcher, host) && ok;

  // Search 1: a keyword for films.
  host.searchResults = {
      Result("功夫.rmvb", 734003200, 3, 20001, "张三", 3, 2048, "null\n", "3c9d1a7e5b2f4680a1b2c3d4e5f60718"),
      Result("功夫熊猫.avi", 3000000, 3, 20002, "李四", 4, 0, "国语中字", "4d0e2b8f6c3a5791b2c3d4e5f6071829"),
      Result("功夫色情片.avi", 100000, 3, 20003, "王五", 2, 512, "", "5e1f3c907d4b68a2c3d4e5f60718293a"),
      Result("我的功夫.mp3", 4404019, 1, kUser, "我", 3, 1024, "自己的", "6f20409a8e5c79b3d4e5f60718293a4b")};
  Search(main, "功夫", 3, "全部");
  auto searches = host.Searches();
  ok = ReportCheck(!searches.empty() && searches.back().keyword == "功夫", "search 1 reached the host") && ok;
  if (searches.empty()) return false;
  ReportSearchCall(searches.back());
  Report("tab %d while searching: \"%s\"", TabCtrl_GetCurSel(tabs), TabTitle(tabs, TabCtrl_GetCurSel(tabs)).c_str());
  host.ReportSearchResults(plugin, searches.back().queryId);
  PumpUntil([] { return false; }, 200);
  HWND view = VisibleResults(tabs);
  Report("host reported %u results; the page shows %d (the light list keeps the rest)",
         static_cast<unsigned>(host.searchResults.size()), RowCount(view));
  ReportRows(view);
  Report("tab after \"search finished\": \"%s\"", TabTitle(tabs, TabCtrl_GetCurSel(tabs)).c_str());
  ok = ReportCheck(pictures.Save(main, Wide(work + "\\search-results.png")), "picture search-results.png") && ok;

  // A double-click downloads the row of another peer into the download list;
  // the transfers before have spent most of the coins and run two files,
  // as many as a non-member may.
  plugin.SetAccount(500, 800, 400);
  int32_t wasMember = host.member;
  host.member = 1;
  Report("client: SetAccount(500 coins, 800, 400); IsMember answers 1");
  int row = 1;
  RECT cell = {LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(view, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
  LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
  size_t startedBefore = host.CallsOf("StartDownload").size();
  size_t dialogsBefore = watcher.Seen().size();
  SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(view, WM_LBUTTONUP, 0, at);
  SendMessageA(view, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(view, WM_LBUTTONUP, 0, at);
  PumpUntil([] { return false; }, 200);
  auto started = host.CallsOf("StartDownload");
  ok = ReportCheck(started.size() == startedBefore + 1, "double-click on a row: the download list started it") && ok;
  if (started.size() > startedBefore) Report("host %s", started.back().c_str());
  for (size_t seen = dialogsBefore; seen < watcher.Seen().size(); ++seen)
    Report("dialog [%s] %s", Narrow(watcher.Seen()[seen].caption).c_str(), Narrow(watcher.Seen()[seen].text).c_str());
  host.member = wasMember;

  // Search 2: the empty search, checked against the full list.
  host.searchResults = {
      Result("风景.jpg", 204800, 2, 20004, "赵六", 3, 300, "null\n", "708152ab9f6d8ac4e5f60718293a4b5c"),
      Result("赌博技巧.txt", 2048, 5, 20005, "钱七", 3, 300, "", "81927abc0a7e9bd5f60718293a4b5c6d"),
      Result("歌曲合集.mp3", 52428800, 1, 20006, "孙八", 5, 8192, "好听", "92a38bcd1b8facf60718293a4b5c6d7e")};
  Search(main, "请输入影片名", 0, "全部");
  searches = host.Searches();
  ReportSearchCall(searches.back());
  Report("tab %d while searching: \"%s\"", TabCtrl_GetCurSel(tabs), TabTitle(tabs, TabCtrl_GetCurSel(tabs)).c_str());
  host.ReportSearchResults(plugin, searches.back().queryId);
  PumpUntil([] { return false; }, 200);
  view = VisibleResults(tabs);
  Report("host reported %u results; the page shows %d (the full list keeps the rest)",
         static_cast<unsigned>(host.searchResults.size()), RowCount(view));
  ReportRows(view);
  Report("tabs now: \"%s\", \"%s\"", TabTitle(tabs, 0).c_str(), TabTitle(tabs, 1).c_str());

  // The mails of a page, with a name that tries to add a recipient.
  std::string mailLog = work + "\\mailto.log";
  DeleteFileA(mailLog.c_str());
  host.searchResults = {Result("坏&cc=boss@x.cn%0A.avi", 1000, 3, 20007, "周九", 3, 100, "", "a3b49cde2c90bd07"
                                                                                            "18293a4b5c6d7e8f")};
  Search(main, "avi", 3, "全部");
  host.ReportSearchResults(plugin, host.Searches().back().queryId);
  PumpUntil([] { return false; }, 200);
  view = VisibleResults(tabs);
  {
    MailtoHandler handler(FolderOfProgram() + "\\mailto_logger.exe", mailLog);
    ok = ReportCheck(handler.Ok(), "mailto handler registered (logs its addresses)") && ok;
    SelectOnly(view, 0);
    ChooseFromMenu(view, ID_RESULT_RECOMMEND);
    ChooseFromMenu(view, ID_RESULT_REPORT);
    PumpUntil([&] { return LinesOf(mailLog).size() >= 2; }, 5000);
  }
  for (const std::string& line : LinesOf(mailLog)) {
    size_t tab = line.find('\t');
    Report("mail opened: %s", FromUtf8(tab != std::string::npos ? line.substr(tab + 1) : line).c_str());
  }
  ok = ReportCheck(LinesOf(mailLog).size() == 2, "both mails reached the mail program, one address each") && ok;

  // The mail plug-in: opened by button 3175, closed by its "done".
  std::string mailPluginLog = binFolder + "\\Plugins\\TvSendMail.log";
  DeleteFileA(mailPluginLog.c_str());
  SendMessageA(Item(main, IDC_MAIL_REPORT), BM_CLICK, 0, 0);
  HWND mailWindow = WaitForWindow("TvSendMailDouble");
  ok = ReportCheck(mailWindow != nullptr, "button 3175 opened the mail plug-in's window") && ok;
  if (mailWindow != nullptr) {
    PumpUntil([] { return false; }, 300);
    ok = ReportCheck(pictures.Save(mailWindow, Wide(work + "\\mail-plugin.png")), "picture mail-plugin.png") && ok;
    SendMessageA(mailWindow, WM_APP + 1, 0, 0);
    PumpUntil([&] { return GetModuleHandleA((binFolder + "\\Plugins\\TvSendMail.dll").c_str()) == nullptr; }, 3000);
  }
  for (const std::string& line : LinesOf(mailPluginLog)) Report("TvSendMail.dll: %s", line.c_str());
  ok = ReportCheck(GetModuleHandleA((binFolder + "\\Plugins\\TvSendMail.dll").c_str()) == nullptr,
                   "after \"done\" the plug-in is unloaded") &&
       ok;
  plugin.ShowPanel(1);
  return ok;
}

}  // namespace SearchDemo
