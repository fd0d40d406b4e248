// The friend panel's menus: "FriendShare" on the selected rows of the file
// list, "FriendTree" on the item under the cursor, and what their commands
// do: downloads through the download list, the peer's operations through
// the host, links, mails and the icon size.
#include "share/FriendPanel.h"

#include "controls/Clipboard.h"
#include "controls/MenuCommands.h"
#include "frame/HostClient.h"
#include "frame/HostTransfer.h"
#include "frame/MainWindow.h"
#include "frame/ModuleState.h"
#include "frame/PlayableExtension.h"
#include "frame/ResourceIds.h"
#include "search/MailLinks.h"
#include "share/ShareCategories.h"
#include "share/ShareLink.h"
#include "transfer/DownloadList.h"

namespace {

// Entries that act on the peer.
constexpr int kPeerEntries[] = {ID_FRIEND_MESSAGE, ID_FRIEND_DETAILS, ID_FRIEND_COINS, ID_FRIEND_COPY_NUMBER,
                                ID_FRIEND_REFRESH};

bool IsPeerEntry(int id) {
  for (int entry : kPeerEntries)
    if (entry == id) return true;
  return false;
}

int IconCommand(FriendPanel::IconSize size) {
  static constexpr int kCommands[] = {ID_FRIEND_ICONS_LARGE, ID_FRIEND_ICONS_MEDIUM, ID_FRIEND_ICONS_SMALL};
  return kCommands[size];
}

}  // namespace

win::UniqueMenu FriendPanel::FriendMenu() const {
  return win::UniqueMenu(LoadMenuA(ModuleState::ResourceModule(), MAKEINTRESOURCEA(IDM_REMOTE_FILE)));
}

std::vector<int> FriendPanel::SelectedRows() const {
  std::vector<int> rows;
  for (int row : files_.SelectedItems())
    if (row >= 0 && static_cast<size_t>(row) < rows_.size()) rows.push_back(row);
  return rows;
}

void FriendPanel::PrepareFileMenu(HMENU menu) const {
  const std::vector<int> rows = SelectedRows();
  const bool peer = rowsPeer_ != 0 && HasPeer(rowsPeer_);
  const bool any = peer && !rows.empty();
  EnableMenuCommand(menu, ID_FRIEND_DOWNLOAD, any);
  EnableMenuCommand(menu, ID_FRIEND_SEQUENTIAL, any);
  EnableMenuCommand(menu, ID_FRIEND_PLAY,
                    peer && rows.size() == 1 && IsPlayableName(rows_[static_cast<size_t>(rows[0])].name));
  for (int command : {ID_FRIEND_COPY_LINK, ID_FRIEND_PUSH_LINK, ID_FRIEND_RECOMMEND})
    EnableMenuCommand(menu, command, any);
  for (int command : kPeerEntries) EnableMenuCommand(menu, command, peer);
}

void FriendPanel::PrepareTreeMenu(HMENU menu, HTREEITEM item) const {
  const bool peer = HasPeer(PeerOf(item));
  for (int command : kPeerEntries) EnableMenuCommand(menu, command, peer);
  for (IconSize size : {kLarge, kMedium, kSmall}) CheckMenuCommand(menu, IconCommand(size), size == iconSize_);
}

void FriendPanel::ShowFileMenu(POINT screen) {
  win::UniqueMenu menu = FriendMenu();
  HMENU files = GetSubMenu(menu.Get(), kFileMenu);
  if (files == nullptr) return;
  PrepareFileMenu(files);
  int command = TrackPopupMenu(files, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr);
  if (command != 0) FileCommand(command);
}

void FriendPanel::ShowTreeMenu(POINT screen) {
  TVHITTESTINFO hit = {};
  hit.pt = screen;
  ScreenToClient(tree_.Handle(), &hit.pt);
  HTREEITEM item = TreeView_HitTest(tree_.Handle(), &hit);
  win::UniqueMenu menu = FriendMenu();
  HMENU tree = GetSubMenu(menu.Get(), kTreeMenu);
  if (tree == nullptr) return;
  PrepareTreeMenu(tree, item);
  int command = TrackPopupMenu(tree, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr);
  if (command != 0) TreeCommand(command, item);
}

// Each command checks again what its menu entry was enabled for.
bool FriendPanel::FileCommand(int id) {
  if (IsPeerEntry(id)) return PeerCommand(id, rowsPeer_);
  const std::vector<int> rows = SelectedRows();
  switch (id) {
    case ID_FRIEND_DOWNLOAD: DownloadSelected(kModeRandom); return true;
    case ID_FRIEND_SEQUENTIAL: DownloadSelected(kModeSequential); return true;
    case ID_FRIEND_PLAY: DownloadSelected(kModePlay); return true;
    case ID_FRIEND_COPY_LINK:
      if (!rows.empty()) CopyTextToClipboard(Handle(), RowLink(rows[0]));
      return true;
    case ID_FRIEND_PUSH_LINK:
      if (!rows.empty() && main_.Host() != nullptr) main_.Host()->PushLinkToFriend(RowLink(rows[0]).c_str());
      return true;
    case ID_FRIEND_RECOMMEND:
      if (!rows.empty()) Recommend(rows[0]);
      return true;
    default:
      return false;
  }
}

bool FriendPanel::TreeCommand(int id, HTREEITEM item) {
  switch (id) {
    case ID_FRIEND_ICONS_LARGE: SetIconSize(kLarge); return true;
    case ID_FRIEND_ICONS_MEDIUM: SetIconSize(kMedium); return true;
    case ID_FRIEND_ICONS_SMALL: SetIconSize(kSmall); return true;
    default: return IsPeerEntry(id) && PeerCommand(id, PeerOf(item));
  }
}

bool FriendPanel::PeerCommand(int id, uint32_t peer) {
  if (!HasPeer(peer)) return true;
  if (id == ID_FRIEND_COPY_NUMBER) return CopyTextToClipboard(Handle(), std::to_string(peer)), true;
  if (id == ID_FRIEND_REFRESH) return RequestShares(peer), true;
  HostClient* host = main_.Host();
  if (host == nullptr) return true;
  const uint32_t tag = PeerTag(peer);
  const std::string name = PeerName(peer);
  switch (id) {
    case ID_FRIEND_MESSAGE: host->SendMessageToPeer(peer, tag, name.c_str()); break;
    case ID_FRIEND_DETAILS: host->ShowPeerDetails(peer, tag); break;
    case ID_FRIEND_COINS: host->QueryPeerCoins(peer, tag, name.c_str()); break;
    default: break;
  }
  return true;
}

// The peer's tag from the host's friend record; 0 for a peer the host does
// not count among the friends.
uint32_t FriendPanel::PeerTag(uint32_t peer) const {
  HostClient* host = main_.Host();
  if (host == nullptr) return 0;
  uint32_t tag = 0;
  int32_t image = 0, online = 0, reserved = 0;
  char name[kHostTextMax] = "", remark[kHostTextMax] = "";
  return host->GetFriendInfo(peer, &tag, &image, name, remark, &online, &reserved) != 0 ? tag : 0;
}

std::string FriendPanel::PeerName(uint32_t peer) const {
  auto found = peers_.find(peer);
  return found != peers_.end() ? found->second.name : std::string();
}

std::string FriendPanel::RowsTopLabel() const {
  const XmlElement* top = CategoryOf(TopLevelOf(rowsItem_));
  return top != nullptr ? AttributeOf(*top, "name") : std::string();
}

std::string FriendPanel::RowLink(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return std::string();
  const PeerShareList::FileRow& file = rows_[static_cast<size_t>(row)];
  const std::string label = RowsTopLabel();
  const int type = label.empty() ? kNoCategoryType : ShareCategories::LabelCode(label);
  return ShareLink(file.md5, file.name, file.size, type);
}

// The rows are copied first: a prompt of the download list lets the panel
// change under the loop.
void FriendPanel::DownloadSelected(int32_t mode) {
  DownloadList* downloads = main_.Downloads();
  const uint32_t peer = rowsPeer_;
  if (downloads == nullptr || !HasPeer(peer)) return;
  std::vector<PeerShareList::FileRow> chosen;
  for (int row : SelectedRows()) chosen.push_back(rows_[static_cast<size_t>(row)]);
  if (chosen.empty() || (mode == kModePlay && (chosen.size() != 1 || !IsPlayableName(chosen[0].name)))) return;
  DownloadList::Request request;
  request.category = ShareCategories::QueueCode(RowsTopLabel());
  request.peerId = peer;
  request.peerTag = PeerTag(peer);
  request.nickname = PeerName(peer);
  request.mode = mode;
  for (const PeerShareList::FileRow& file : chosen) {
    request.hash = file.md5;
    request.fileName = file.name;
    request.size = file.size;
    request.comment = file.comment;
    downloads->Add(request);
  }
}

void FriendPanel::Recommend(int row) {
  const MailLinks links = MailLinks::Read(main_.Config().IniPath());
  MailLinks::Open(Handle(), links.Recommendation(rows_[static_cast<size_t>(row)].name, main_.User()));
}
