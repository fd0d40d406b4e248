// The results page's window, its query and its rows.
#include "search/ResultsPage.h"

#include <commctrl.h>
#include <shellapi.h>

#include "frame/MainWindow.h"
#include "frame/ModuleState.h"
#include "controls/WindowClass.h"
#include "frame/ResourceIds.h"
#include "search/SearchCentre.h"

namespace {

constexpr const char* kWindowClass = "TovakResultsPage";
constexpr COLORREF kHighlight = RGB(0xFF, 0xD8, 0x60);

}  // namespace

ResultsPage::ResultsPage(SearchCentre& centre)
    : centre_(centre), highlightBrush_(CreateSolidBrush(kHighlight)) {}

ResultsPage::~ResultsPage() { window_.Reset(); }

bool ResultsPage::Create(HWND parent, const RECT& area) {
  if (window_) return true;
  if (!RegisterWindowClassOnce(kWindowClass, &ResultsPage::WindowProc)) return false;
  HWND window = CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_CLIPCHILDREN, area.left, area.top,
                                area.right - area.left, area.bottom - area.top, parent, nullptr,
                                ModuleState::LibraryModule(), this);
  if (window == nullptr) return false;
  window_.Reset(window);
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                                  LVS_SHAREIMAGELISTS,
                              0, 0, area.right - area.left, area.bottom - area.top, window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_RESULTS_LIST)),
                              ModuleState::LibraryModule(), nullptr);
  view_.Attach(list);
  view_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  // The system's small icons, shared: the list must not destroy them.
  SHFILEINFOA info = {};
  auto icons = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "file", FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (icons != nullptr) SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons));
  CreateColumns();
  playImage_.Load();
  return true;
}

void ResultsPage::CreateColumns() {
  static constexpr const char* kHeaders[ResultRecord::kColumnCount] = {
      "文件名", "类型", "点播", "大小", "拓瓦号", "昵称", "拓币", "连接类型", "带宽 kbps", "注释"};
  for (int column = 0; column < ResultRecord::kColumnCount; ++column) {
    bool right = column == ResultRecord::kSize || column == ResultRecord::kBandwidth;
    view_.InsertColumn(column, kHeaders[column], kWidths[column], right ? LVCFMT_RIGHT : LVCFMT_LEFT);
  }
}

void ResultsPage::Place(const RECT& area) const {
  if (window_)
    MoveWindow(window_.Get(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

void ResultsPage::Layout() {
  RECT client;
  GetClientRect(window_.Get(), &client);
  MoveWindow(view_.Handle(), 0, 0, client.right, client.bottom, TRUE);
}

LRESULT CALLBACK ResultsPage::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ResultsPage*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    // Destroyed with its parent: nothing is left to destroy.
    (void)self->window_.Release();
    self->view_.Attach(nullptr);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return self->OnMessage(window, message, wParam, lParam);
}

LRESULT ResultsPage::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
      if (wParam == kHighlightTimer) OnHighlightTick();
      return 0;
    case kSyncRowsMessage:
      SyncRows();
      return 0;
    // A menu command sent by the client as a user's choice.
    case WM_COMMAND:
      if (lParam == 0) RunCommand(LOWORD(wParam));
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT ResultsPage::OnNotify(NMHDR& header) {
  if (header.hwndFrom != view_.Handle()) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOA:
      FillCell(reinterpret_cast<NMLVDISPINFOA&>(header));
      return 0;
    case NM_CUSTOMDRAW:
      return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    case LVN_COLUMNCLICK:
      SortBy(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
      return 0;
    case NM_DBLCLK:
      OnDoubleClick(reinterpret_cast<NMITEMACTIVATE&>(header).iItem);
      return 0;
    case NM_CLICK: {
      int column = -1;
      int row = view_.SubItemHitTest(reinterpret_cast<NMITEMACTIVATE&>(header).ptAction, column);
      if (row >= 0) OnCellClick(row, column);
      return 0;
    }
    case NM_RCLICK: {
      POINT at;
      GetCursorPos(&at);
      ShowRowMenu(at);
      return 0;
    }
    default:
      return 0;
  }
}

// --- query -------------------------------------------------------------------

bool ResultsPage::Accepts(const SearchQuery& query) const {
  return !InUse() || (query.keyword == query_.keyword && query.target == query_.target);
}

void ResultsPage::TakeQuery(const SearchQuery& query, uint32_t queryId) {
  query_ = query;
  queryId_ = queryId;
}

void ResultsPage::RepeatQuery(const SearchQuery& query) {
  query_ = query;
  SyncRows();
  if (!rows_.empty()) SendMessageA(view_.Handle(), LVM_ENSUREVISIBLE, rows_.size() - 1, FALSE);
}

// --- rows --------------------------------------------------------------------

bool ResultsPage::Filtered(const ResultRecord& record) const {
  return centre_.Keywords().FiltersSearchResult(record.fileName, query_.HasKeyword(), centre_.FilterOff());
}

bool ResultsPage::AddResult(uint32_t queryId, const ResultRecord& record) {
  if (!InUse() || queryId != queryId_ || Filtered(record)) return false;
  rows_.push_back(std::make_unique<ResultRecord>(record));
  // One count update for a run of results, not one per row.
  if (!syncPosted_ && window_) syncPosted_ = PostMessageA(window_.Get(), kSyncRowsMessage, 0, 0) != FALSE;
  return true;
}

void ResultsPage::SyncRows() {
  syncPosted_ = false;
  if (static_cast<size_t>(view_.ItemCount()) != rows_.size())
    view_.SetVirtualCount(static_cast<int>(rows_.size()));
}

void ResultsPage::Clear() {
  if (window_) KillTimer(window_.Get(), kHighlightTimer);
  highlighted_ = nullptr;
  highlightLeft_ = 0;
  view_.Select(-1, false);
  rows_.clear();
  view_.SetVirtualCount(0, 0);
}

bool ResultsPage::IsOwn(const ResultRecord& record) const { return record.peerId == centre_.Main().User(); }

std::vector<int> ResultsPage::SelectedRows() const {
  std::vector<int> rows;
  for (int row : view_.SelectedItems())
    if (row < static_cast<int>(rows_.size())) rows.push_back(row);
  return rows;
}
