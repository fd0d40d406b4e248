#include "frame/FriendPanel.h"

#include <commctrl.h>

#include <cstring>

#include "frame/HostClient.h"
#include "frame/ResourceIds.h"

namespace {

// Fills the panel from the host's friend list, skipping the user himself.
class FriendCollector : public FriendList {
 public:
  FriendCollector(FriendPanel& panel, uint32_t user) : panel_(panel), user_(user) {}
  void Add(const FriendRecord& record) override {
    if (record.peerId == user_) return;
    panel_.AddPeer(record.peerId, record.image, std::string(record.name, strnlen(record.name, sizeof record.name)),
                   std::string(record.remark, strnlen(record.remark, sizeof record.remark)));
  }

 private:
  FriendPanel& panel_;
  uint32_t user_;
};

// The small images of the host's list.
constexpr int32_t kSmallImages = 2;

}  // namespace

bool FriendPanel::Create(HWND parent) { return Dialog::Create(IDD_FRIEND_SHARES, parent); }

bool FriendPanel::OnInitDialog() {
  tree_.Attach(Item(IDC_PEER_TREE));
  return true;
}

void FriendPanel::OnDestroy() {
  tree_.Attach(nullptr);
  peers_.clear();
}

bool FriendPanel::AddPeer(uint32_t peer, int32_t image, const std::string& name, const std::string& remark) {
  if (tree_.Handle() == nullptr || HasPeer(peer)) return false;
  HTREEITEM item = tree_.InsertRoot(name, image, static_cast<LPARAM>(peer));
  if (item == nullptr) return false;
  peers_[peer] = Peer{item, remark};
  return true;
}

bool FriendPanel::RemovePeer(uint32_t peer) {
  auto found = peers_.find(peer);
  if (found == peers_.end()) return false;
  tree_.Delete(found->second.item);
  peers_.erase(found);
  if (tree_.Count() == 0) ListView_DeleteAllItems(Item(IDC_PEER_FILES));
  return true;
}

bool FriendPanel::UpdatePeer(uint32_t peer, int32_t image, const std::string& name) {
  auto found = peers_.find(peer);
  return found != peers_.end() && tree_.SetItem(found->second.item, name, image);
}

std::string FriendPanel::Remark(uint32_t peer) const {
  auto found = peers_.find(peer);
  return found != peers_.end() ? found->second.remark : std::string();
}

std::string FriendPanel::PeerText(uint32_t peer) const {
  auto found = peers_.find(peer);
  return found != peers_.end() ? tree_.Text(found->second.item) : std::string();
}

int FriendPanel::PeerImage(uint32_t peer) const {
  auto found = peers_.find(peer);
  return found != peers_.end() ? tree_.Image(found->second.item) : -1;
}

int FriendPanel::FileCount() const {
  HWND list = Item(IDC_PEER_FILES);
  return list != nullptr ? ListView_GetItemCount(list) : 0;
}

void FriendPanel::Clear() {
  tree_.DeleteAll();
  peers_.clear();
  if (HWND list = Item(IDC_PEER_FILES)) ListView_DeleteAllItems(list);
}

void FriendPanel::Rebuild(HostClient* host, uint32_t user) {
  Clear();
  if (host == nullptr || tree_.Handle() == nullptr) return;
  tree_.SetImageList(host->GetImageList(kSmallImages));
  FriendCollector collector(*this, user);
  if (host->GetFriendList(&collector) == 0) Clear();
}
