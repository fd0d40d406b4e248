// The download list's window, its document and the messages it receives.
#include "transfer/DownloadList.h"

#include <commctrl.h>

#include <algorithm>

#include "frame/HostClient.h"
#include "frame/HostTransfer.h"
#include "frame/ModuleState.h"
#include "frame/ResourceIds.h"
#include "transfer/FieldText.h"

DownloadList::DownloadList(HostClient* host, std::string programFolder)
    : host_(host),
      programFolder_(std::move(programFolder)),
      player_(programFolder_),
      dailyFlow_(CoinAccount::DayUploadMiB(), DailyFlowFile::PathIn(programFolder_)),
      windowPrompts_(std::make_unique<WindowPrompts>(nullptr, host)) {
  dailyFlow_.SetHost(host);
}

DownloadList::~DownloadList() {
  Stop();
  DestroyListWindow();
}

void DownloadList::SetPrompts(DownloadPrompts* prompts) { prompts_ = prompts; }

DownloadPrompts& DownloadList::Prompts() { return prompts_ != nullptr ? *prompts_ : *windowPrompts_; }

bool DownloadList::IsMember() const { return host_ != nullptr && host_->IsMember() != 0; }

bool DownloadList::Create(HWND parent, int id, const RECT& area) {
  if (Handle() != nullptr) return true;
  if (closing_ || !CreateListWindow(parent, id, area, LVS_OWNERDATA)) return false;
  HWND window = Handle();
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
    dailyFlow_.Start();
  } else {
    RebuildRows(TaskOrder());
  }
  SetTimer(window, kRefreshTimer, kRefreshInterval, nullptr);
  SetTimer(window, kDailyFlowTimer, DailyFlowCounter::kTickInterval, nullptr);
  return true;
}

void DownloadList::LoadDocument() {
  document_.Load(documentPath_);
  loaded_ = true;
  if (onHistoryLoaded) onHistoryLoaded(document_.Transmit());
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
  if (Handle() != nullptr) {
    KillTimer(Handle(), kRefreshTimer);
    KillTimer(Handle(), kDailyFlowTimer);
  }
  shared_.mailbox.SetWindow(nullptr);
  shared_.uploads.store(nullptr);
  rows_.clear();
  SyncControl();
  tasks_.clear();
  retiring_.clear();
  if (onHistoryReleased) onHistoryReleased();
  document_.Release();
}

bool DownloadList::SaveDocument() { return loaded_ && !closing_ && document_.Save(PendingItems()); }

void DownloadList::RemoveHistory(const std::vector<XmlElement*>& records) {
  if (!loaded_ || closing_ || records.empty()) return;
  document_.RemoveRecords(records);
  SaveAndNotify();
}

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

// Destroyed with its parent: nothing is left to post to.
void DownloadList::OnListGone() { shared_.mailbox.SetWindow(nullptr); }

LRESULT DownloadList::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  auto taskId = static_cast<uint32_t>(wParam);
  auto* source = reinterpret_cast<TaskSource*>(lParam);
  switch (message) {
    case WM_TIMER:
      if (wParam == kRefreshTimer) Tick();
      if (wParam == kDailyFlowTimer) dailyFlow_.Tick();
      return 0;
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
      return ListWindow::OnListMessage(message, wParam, lParam);
  }
}

LRESULT DownloadList::OnListNotify(NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOA:
      FillCell(reinterpret_cast<NMLVDISPINFOA&>(header));
      return 0;
    case NM_CUSTOMDRAW:
      return CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
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
      int row = Control().SubItemHitTest(click.ptAction, subItem);
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
