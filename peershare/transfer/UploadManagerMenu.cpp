// The row menu of the upload list (menu 3055, sub-menu "Manger").
#include "transfer/UploadManager.h"

#include "controls/Clipboard.h"
#include "controls/MenuCommands.h"
#include "frame/HostClient.h"
#include "frame/HostTransfer.h"
#include "frame/ModuleState.h"
#include "frame/ResourceIds.h"
#include "share/ShareLink.h"
#include "transfer/TaskSource.h"
#include "transfer/TemporaryChannelDialog.h"
#include "transfer/TrafficSettingsDialog.h"

namespace {

constexpr int kManagerMenu = 1;
constexpr int kPeerCommands[] = {ID_UPLOAD_PEER_FRIEND, ID_UPLOAD_PEER_BLACKLIST, ID_UPLOAD_PEER_DETAILS,
                                 ID_UPLOAD_PEER_MESSAGE, ID_UPLOAD_PEER_COPY_NUMBER, ID_UPLOAD_TRAFFIC};
constexpr int kUploadCommands[] = {ID_UPLOAD_BLOCK_MAP, ID_UPLOAD_COPY_LINK, ID_UPLOAD_PUSH_LINK};

}  // namespace

win::UniqueMenu UploadManager::LoadRowMenu() const {
  return win::UniqueMenu(LoadMenuA(ModuleState::ResourceModule(), MAKEINTRESOURCEA(IDM_TRANSFER_ROWS)));
}

void UploadManager::PrepareMenu(HMENU menu) const {
  std::vector<Row> selected = SelectedRows();
  bool onePeer = selected.size() == 1 && selected[0].source != nullptr;
  bool oneUpload = selected.size() == 1 && selected[0].source == nullptr;
  EnableMenuCommand(menu, ID_UPLOAD_MESSAGE_ALL, !rows_.empty());
  EnableMenuCommand(menu, ID_UPLOAD_CUT, !selected.empty());
  for (int command : kPeerCommands) EnableMenuCommand(menu, command, onePeer);
  for (int command : kUploadCommands) EnableMenuCommand(menu, command, oneUpload);
  EnableMenuCommand(menu, ID_UPLOAD_GREEN_CHANNEL, true);
  EnableMenuCommand(menu, ID_UPLOAD_TEMPORARY_CHANNEL, true);
}

void UploadManager::ShowRowMenu(POINT screen) {
  win::UniqueMenu menu = LoadRowMenu();
  HMENU rows = GetSubMenu(menu.Get(), kManagerMenu);
  if (rows == nullptr) return;
  PrepareMenu(rows);
  int command = TrackPopupMenu(rows, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr);
  if (command != 0) RunCommand(command);
}

void UploadManager::RunCommand(int command) {
  if (stopped_) return;
  std::vector<Row> selected = SelectedRows();
  switch (command) {
    case ID_UPLOAD_MESSAGE_ALL:
      if (!rows_.empty()) SendToAllPeers();
      return;
    case ID_UPLOAD_CUT:
      CutSelected();
      return;
    case ID_UPLOAD_GREEN_CHANNEL:
      if (openGreenChannel) openGreenChannel(Handle());
      return;
    case ID_UPLOAD_TEMPORARY_CHANNEL:
      OpenTemporaryChannels(Handle());
      return;
    default:
      break;
  }
  if (selected.size() != 1) return;
  if (selected[0].source != nullptr) return RunPeerCommand(command, *selected[0].source);
  const UploadRecord& record = *selected[0].record;
  switch (command) {
    case ID_UPLOAD_COPY_LINK:
      CopyTextToClipboard(Handle(), ShareLink(record));
      return;
    case ID_UPLOAD_PUSH_LINK:
      if (host_ != nullptr) host_->PushLinkToFriend(ShareLink(record).c_str());
      return;
    default:
      return;
  }
}

// Every receiving peer of every upload, in row order.
void UploadManager::SendToAllPeers() {
  if (host_ == nullptr) return;
  std::vector<uint32_t> peers, tags;
  std::string nicknames;
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (UploadRecord* record : RecordOrder()) {
      for (const auto& source : record->Sources().Taken()) {
        peers.push_back(source->PeerId());
        tags.push_back(source->PeerTag());
        nicknames += (nicknames.empty() ? "" : ";") + source->Nickname();
      }
    }
  }
  if (peers.empty()) return;
  host_->SendMessageToPeers(peers.data(), tags.data(), static_cast<int32_t>(peers.size()), nicknames.c_str(), "", 0,
                            0);
}

void UploadManager::RunPeerCommand(int command, const TaskSource& source) {
  uint32_t peer = source.PeerId(), tag = source.PeerTag();
  if (command == ID_UPLOAD_PEER_COPY_NUMBER) {
    CopyTextToClipboard(Handle(), std::to_string(peer));
    return;
  }
  if (command == ID_UPLOAD_TRAFFIC) return AskPeerLimit();
  if (host_ == nullptr) return;
  switch (command) {
    case ID_UPLOAD_PEER_FRIEND: host_->AddFriend(peer, tag); return;
    case ID_UPLOAD_PEER_BLACKLIST: host_->AddToBlacklist(peer, tag); return;
    case ID_UPLOAD_PEER_DETAILS: host_->ShowPeerDetails(peer, tag); return;
    case ID_UPLOAD_PEER_MESSAGE: host_->SendMessageToPeer(peer, tag, source.Nickname().c_str()); return;
    default: return;
  }
}

// Each selected upload stops (the client hears it from Alive) and leaves the
// list; each selected peer row is dropped.
void UploadManager::CutSelected() {
  std::vector<Row> selected = SelectedRows();
  if (selected.empty()) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (const Row& row : selected) {
      if (row.source != nullptr) continue;
      auto found = records_.find(row.record->Id());
      if (found == records_.end()) continue;
      found->second->Cut();
      retiring_.emplace(found->first, std::move(found->second));
      records_.erase(found);
    }
  }
  std::vector<UploadRecord*> order;
  for (UploadRecord* record : RecordOrder())
    if (!record->IsCut()) order.push_back(record);
  for (const Row& row : selected)
    if (row.source != nullptr && !row.record->IsCut()) row.record->Sources().Retire(row.source);
  Control().Select(-1, false);
  RebuildRows(order);
  ReportStatus(PeerCount());
}

void UploadManager::AskPeerLimit() {
  TrafficSettingsDialog dialog(TrafficSettingsDialog::Mode::OutputOnly);
  TrafficSettingsDialog::Limits limits;
  if (dialog.Ask(Handle(), limits)) LimitSelectedPeer(limits.input, limits.output);
}

bool UploadManager::LimitSelectedPeer(int32_t inputKBps, int32_t outputKBps) {
  std::lock_guard<std::mutex> hold(lock_);
  for (const Row& row : SelectedRows()) {
    if (row.source == nullptr || row.source->Handle() == nullptr) continue;
    row.source->Handle()->SetSpeedLimits(inputKBps, outputKBps);
    return true;
  }
  return false;
}

std::string UploadManager::ShareLink(const UploadRecord& record) const {
  const UploadItem& item = record.Item();
  std::string hash = item.hash;
  if (hash.empty() && hashOfFile) hash = hashOfFile(item.localPath);
  return ::ShareLink(hash, item.name, item.size, item.category);
}

void UploadManager::OpenTemporaryChannels(HWND owner) { TemporaryChannelDialog(temporaryChannels_).Show(owner); }
