// The download list's window, its document and the messages it receives.
#include "transfer/DownloadList.h"

#include <commctrl.h>

#include <algorithm>

#include "controls/WindowClass.h"
#include "frame/HostClient.h"
#include "frame/HostTransfer.h"
#include "frame/ModuleState.h"
#include "frame/ResourceIds.h"
#include "transfer/FieldText.h"

namespace {

constexpr const char* kWindowClass = "TovakDownloadList";

}  // namespace

DownloadList::DownloadList(HostClient* host, std::string programFolder)
    : host_(host),
      programFolder_(std::move(programFolder)),
      player_(programFolder_),
      windowPrompts_(std::make_unique<WindowPrompts>(nullptr, host)),
      barBrush_(CreateSolidBrush(RGB(0x3A, 0x7B, 0xD5))),
      barBackground_(CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF))) {}

DownloadList::~DownloadList() {
  Stop();
  window_.Reset();
}

void DownloadList::SetPrompts(DownloadPrompts* prompts) { prompts_ = prompts; }

DownloadPrompts& DownloadList::Prompts() { return prompts_ != nullptr ? *prompts_ : *windowPrompts_; }

bool DownloadList::IsMember() const { return host_ != nullptr && host_->IsMember() != 0; }

bool DownloadList::Create(HWND parent, int id, const RECT& area) {
  if (window_) return true;
  if (closing_ || !RegisterWindowClassOnce(kWindowClass, &DownloadList::WindowProc)) return false;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  HWND window = CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, area.left, area.top,
                                area.right - area.left, area.bottom - area.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleState::LibraryModule(), this);
  if (window == nullptr) return false;
  window_.Reset(window);
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0,
                              area.right - area.left, area.bottom - area.top, window, nullptr,
                              ModuleState::LibraryModule(), nullptr);
  view_.Attach(list);
  view_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  shared_.mailbox.SetWindow(window);
  player_.SetWindow(window);
  windowPrompts_->SetOwner(window);
  if (!playImage_.Loaded()) playImage_.Load();
  // A list whose window went with an earlier main window keeps its tasks.
  bool restore = !loaded_;
  if (restore) LoadDocument();
  CreateColumns();
  if (restore) {
    RestoreDownloads();
  } else {
    RebuildRows(TaskOrder());
  }
  SetTimer(window, kRefreshTimer, kRefreshInterval, nullptr);
  return true;
}

void DownloadList::LoadDocument() {
  document_.Load(documentPath_);
  loaded_ = true;
}

// Every pending download comes back queued, with the completed part the
// client knows of.
void DownloadList::RestoreDownloads() {
  for (const DownloadItemRecord& item : document_.DownloadItems()) {
    auto task = std::make_unique<DownloadTask>(item, shared_);
    task->SetState(DownloadTask::kQueued);
    task->SetStatus(DownloadTask::kQueuedText);
    if (host_ != nullptr) task->SetPercent(host_->GetDownloadPercent(item.localFileName.c_str()));
    SnapshotRow(*task);
    rows_.push_back({task.get(), nullptr});
    uint32_t id = task->Id();
    tasks_.emplace(id, std::move(task));
  }
  SyncControl();
}

void DownloadList::Stop() {
  if (closing_) return;
  for (auto* tasks : {&tasks_, &retiring_})
    for (auto& [id, task] : *tasks)
      if (task->transfer != nullptr) task->transfer->Stop(0, 1);
  closing_ = true;
  coins_.Settle(host_, true);
  if (loaded_) document_.Save(PendingItems());
  if (window_) KillTimer(window_.Get(), kRefreshTimer);
  shared_.mailbox.SetWindow(nullptr);
  rows_.clear();
  SyncControl();
  tasks_.clear();
  retiring_.clear();
  document_.Release();
}

bool DownloadList::SaveDocument() { return loaded_ && !closing_ && document_.Save(PendingItems()); }

void DownloadList::SaveAndNotify() {
  SaveDocument();
  player_.SendClientInfo();
}

void DownloadList::SetDownloadFolder(const char* path) {
  if (!loaded_ || closing_) return;
  std::string folder;
  if (path != nullptr && *path != '\0') {
    folder = FieldText::Cut(path, TransferDocument::kNameMax);
  } else {
    bool ask = document_.AskForFolder();
    if (!Prompts().ChooseFolder(document_.DownloadFolder(), folder, ask)) return;
    document_.SetAskForFolder(ask);
  }
  document_.SetDownloadFolder(folder);
  SaveDocument();
}

// --- window ------------------------------------------------------------------

LRESULT CALLBACK DownloadList::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<DownloadList*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    // Destroyed with its parent: nothing is left to post to or to destroy.
    self->shared_.mailbox.SetWindow(nullptr);
    (void)self->window_.Release();
    self->view_.Attach(nullptr);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return self->OnMessage(window, message, wParam, lParam);
}

LRESULT DownloadList::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto taskId = static_cast<uint32_t>(wParam);
  auto* source = reinterpret_cast<TaskSource*>(lParam);
  switch (message) {
    case WM_TIMER:
      if (wParam == kRefreshTimer) Tick();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_COPYDATA:
      OnPlayerRecord(*reinterpret_cast<COPYDATASTRUCT*>(lParam));
      return TRUE;
    case kTaskRowMessage:
      OnTaskRow(taskId, static_cast<int>(lParam));
      return 0;
    case kSourceAddedMessage:
      OnSourceAdded(taskId, source);
      return 0;
    case kHandedOverMessage:
      OnHandedOver(taskId);
      return 0;
    case kTaskEndedMessage:
      OnTaskEnded(taskId);
      return 0;
    case kSourceRemovedMessage:
      OnSourceRemoved(taskId, source);
      return 0;
    case kSourceChangedMessage:
      OnSourceChanged(taskId, source);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void DownloadList::Layout() {
  RECT client;
  GetClientRect(window_.Get(), &client);
  MoveWindow(view_.Handle(), 0, 0, client.right, client.bottom, TRUE);
}

LRESULT DownloadList::OnNotify(NMHDR& header) {
  if (header.hwndFrom != view_.Handle()) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOA:
      FillCell(reinterpret_cast<NMLVDISPINFOA&>(header));
      return 0;
    case NM_CUSTOMDRAW:
      return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    case LVN_COLUMNCLICK: {
      int position = reinterpret_cast<NMLISTVIEW&>(header).iSubItem;
      if (position >= 0 && position < static_cast<int>(shownColumns_.size())) SortBy(shownColumns_[position]);
      return 0;
    }
    case NM_DBLCLK: {
      int row = reinterpret_cast<NMITEMACTIVATE&>(header).iItem;
      if (row >= 0 && row < static_cast<int>(rows_.size()) && rows_[row].source == nullptr)
        ToggleExpanded(*rows_[row].task);
      return 0;
    }
    case NM_CLICK: {
      auto& click = reinterpret_cast<NMITEMACTIVATE&>(header);
      int subItem = -1;
      int row = view_.SubItemHitTest(click.ptAction, subItem);
      if (row >= 0 && subItem >= 0 && subItem < static_cast<int>(shownColumns_.size()))
        OnCellClick(row, shownColumns_[subItem]);
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
