// The row menu of the download list (menu 3055, first sub-menu).
#include "transfer/DownloadList.h"

#include "controls/Clipboard.h"
#include "controls/MenuCommands.h"
#include "frame/HostClient.h"
#include "frame/HostTransfer.h"
#include "frame/ModuleState.h"
#include "frame/ResourceIds.h"
#include "share/ShareLink.h"
#include "transfer/FieldText.h"

namespace {

struct ShowEntry {
  int command;
  int column;
};
constexpr ShowEntry kShowEntries[] = {{ID_SHOW_UP_SPEED, DownloadList::kUpSpeed},
                                      {ID_SHOW_TIME_USED, DownloadList::kTimeUsed},
                                      {ID_SHOW_DOWNLOADED, DownloadList::kDownloaded},
                                      {ID_SHOW_UPLOADED, DownloadList::kUploaded},
                                      {ID_SHOW_COMMENT, DownloadList::kComment}};

}  // namespace

win::UniqueMenu DownloadList::LoadRowMenu() const {
  return win::UniqueMenu(LoadMenuA(ModuleState::ResourceModule(), MAKEINTRESOURCEA(IDM_TRANSFER_ROWS)));
}

void DownloadList::PrepareMenu(HMENU menu) const {
  std::vector<Row> selected = SelectedRows();
  bool anyStoppedTask = false, anyRunningTask = false;
  for (const Row& row : selected) {
    if (row.source != nullptr) continue;
    DownloadTask::State state = row.task->CurrentState();
    anyRunningTask = anyRunningTask || state == DownloadTask::kDownloading;
    anyStoppedTask = anyStoppedTask || state != DownloadTask::kDownloading;
  }
  bool oneSource = selected.size() == 1 && selected[0].source != nullptr;
  bool oneTask = selected.size() == 1 && selected[0].source == nullptr;
  EnableMenuCommand(menu, ID_DOWNLOAD_START, anyStoppedTask);
  EnableMenuCommand(menu, ID_DOWNLOAD_PAUSE, anyRunningTask);
  EnableMenuCommand(menu, ID_DOWNLOAD_DELETE, !selected.empty());
  EnableMenuCommand(menu, ID_DOWNLOAD_DELETE_ALL, !rows_.empty());
  EnableMenuCommand(menu, ID_DOWNLOAD_COMMENT, !selected.empty());
  for (int command : {ID_PEER_COINS, ID_PEER_DETAILS, ID_PEER_MESSAGE, ID_PEER_FRIEND, ID_PEER_BLACKLIST,
                      ID_PEER_COPY_NUMBER})
    EnableMenuCommand(menu, command, oneSource);
  for (int command : {ID_DOWNLOAD_BLOCK_MAP, ID_MODE_RANDOM, ID_MODE_SEQUENTIAL, ID_DOWNLOAD_COPY_LINK,
                      ID_DOWNLOAD_PUSH_LINK})
    EnableMenuCommand(menu, command, oneTask);
  EnableMenuCommand(menu, ID_MODE_PLAY, false);
  EnableMenuCommand(menu, ID_DOWNLOAD_TRAFFIC, false);
  EnableMenuCommand(menu, ID_DOWNLOAD_REFRESH_SOURCES, oneTask && IsMember());
  int mode = 0;
  if (oneTask && selected[0].task->transfer != nullptr) mode = selected[0].task->transfer->CurrentMode();
  CheckMenuCommand(menu, ID_MODE_RANDOM, mode == kModeRandom);
  CheckMenuCommand(menu, ID_MODE_SEQUENTIAL, mode == kModeSequential);
  CheckMenuCommand(menu, ID_MODE_PLAY, mode != 0 && mode != kModeRandom && mode != kModeSequential);
  for (const ShowEntry& entry : kShowEntries) {
    EnableMenuCommand(menu, entry.command, true);
    CheckMenuCommand(menu, entry.command, IsColumnShown(entry.column));
  }
  EnableMenuCommand(menu, ID_SHOW_OTHER_PERCENT, true);
  CheckMenuCommand(menu, ID_SHOW_OTHER_PERCENT, document_.OtherPercent());
}

void DownloadList::ShowRowMenu(POINT screen) {
  win::UniqueMenu menu = LoadRowMenu();
  HMENU rows = GetSubMenu(menu.Get(), 0);
  if (rows == nullptr) return;
  PrepareMenu(rows);
  int command = TrackPopupMenu(rows, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr);
  if (command != 0) RunCommand(command);
}

bool DownloadList::LimitSelectedTransfer(int32_t inputKBps, int32_t outputKBps) {
  for (DownloadTask* task : SelectedTasks()) {
    if (task->transfer == nullptr) continue;
    task->transfer->SetSpeedLimits(inputKBps, outputKBps);
    return true;
  }
  return false;
}

void DownloadList::RunCommand(int command) {
  if (!Ready()) return;
  std::vector<Row> selected = SelectedRows();
  DownloadTask* one = selected.size() == 1 && selected[0].source == nullptr ? selected[0].task : nullptr;
  for (const ShowEntry& entry : kShowEntries) {
    if (command == entry.command) return ShowOptionalColumn(entry.column, !IsColumnShown(entry.column));
  }
  switch (command) {
    case ID_DOWNLOAD_START:
      for (DownloadTask* task : SelectedTasks())
        if (task->CurrentState() != DownloadTask::kDownloading) Resume(*task);
      return;
    case ID_DOWNLOAD_PAUSE:
      for (DownloadTask* task : SelectedTasks()) Pause(*task);
      return;
    case ID_DOWNLOAD_DELETE:
      if (!selected.empty() && Prompts().Confirm("确定删除吗?")) DeleteSelected();
      return;
    case ID_DOWNLOAD_DELETE_ALL:
      if (!rows_.empty() && Prompts().Confirm("确定删除吗?")) DeleteAll();
      return;
    case ID_DOWNLOAD_COMMENT:
      if (!selected.empty()) CommentSelected();
      return;
    case ID_SHOW_OTHER_PERCENT:
      SetOtherPercent(!document_.OtherPercent());
      return;
    default:
      break;
  }
  if (selected.size() == 1 && selected[0].source != nullptr) return RunPeerCommand(command, *selected[0].source);
  if (one == nullptr) return;
  switch (command) {
    case ID_DOWNLOAD_BLOCK_MAP:
      if (one->transfer != nullptr) one->transfer->ShowBlockMap();
      return;
    case ID_MODE_RANDOM:
    case ID_MODE_SEQUENTIAL:
      if (one->transfer != nullptr) one->transfer->SetMode(command == ID_MODE_RANDOM ? kModeRandom : kModeSequential, 0);
      return;
    case ID_DOWNLOAD_REFRESH_SOURCES:
      if (one->transfer != nullptr && IsMember()) one->transfer->RefreshSources();
      return;
    case ID_DOWNLOAD_COPY_LINK:
      CopyText(ShareLink(*one));
      return;
    case ID_DOWNLOAD_PUSH_LINK:
      if (host_ != nullptr) host_->PushLinkToFriend(ShareLink(*one).c_str());
      return;
    default:
      return;
  }
}

void DownloadList::RunPeerCommand(int command, const TaskSource& source) {
  if (host_ == nullptr && command != ID_PEER_COPY_NUMBER) return;
  uint32_t peer = source.PeerId(), tag = source.PeerTag();
  switch (command) {
    case ID_PEER_COINS: host_->QueryPeerCoins(peer, tag, source.Nickname().c_str()); return;
    case ID_PEER_DETAILS: host_->ShowPeerDetails(peer, tag); return;
    case ID_PEER_MESSAGE: host_->SendMessageToPeer(peer, tag, source.Nickname().c_str()); return;
    case ID_PEER_FRIEND: host_->AddFriend(peer, tag); return;
    case ID_PEER_BLACKLIST: host_->AddToBlacklist(peer, tag); return;
    case ID_PEER_COPY_NUMBER: CopyText(std::to_string(peer)); return;
    default: return;
  }
}

std::string DownloadList::ShareLink(const DownloadTask& task) const {
  return ::ShareLink(task.item.md5, task.item.fileName, task.item.fileSize, task.item.fileType);
}

void DownloadList::CopyText(const std::string& text) const { CopyTextToClipboard(Handle(), text); }

void DownloadList::DeleteSelected() {
  std::vector<Row> selected = SelectedRows();
  for (const Row& row : selected) {
    if (row.source != nullptr || FindTask(row.task->Id()) != row.task) continue;
    Discard(*row.task);
  }
  for (const Row& row : selected) {
    if (row.source == nullptr || FindTask(row.task->Id()) != row.task) continue;
    row.task->RetireSource(row.source);
  }
  RebuildRows(TaskOrder());
  SaveAndNotify();
}

void DownloadList::DeleteAll() {
  for (DownloadTask* task : TaskOrder()) Discard(*task);
  SaveAndNotify();
}

void DownloadList::CommentSelected() {
  std::string comment;
  if (!Prompts().AskComment(comment)) return;
  for (DownloadTask* task : SelectedTasks()) task->SetComment(FieldText::Cut(comment, TransferDocument::kCommentMax));
  Redraw();
}
