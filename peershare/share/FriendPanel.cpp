#include "share/FriendPanel.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "frame/AmountFormat.h"
#include "frame/HostClient.h"
#include "frame/MainWindow.h"
#include "frame/ResourceIds.h"
#include "share/PeerPasswordDialog.h"

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

constexpr int kTreeWidth = 200, kPaneGap = 4;
constexpr const char* kVideo = "视频";

// Raises a flag for the lifetime of a scope.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

POINT CursorPosition() {
  POINT cursor = {};
  GetCursorPos(&cursor);
  return cursor;
}

}  // namespace

bool FriendPanel::Create(HWND parent) { return Dialog::Create(IDD_FRIEND_SHARES, parent); }

bool FriendPanel::OnInitDialog() {
  tree_.Attach(Item(IDC_PEER_TREE));
  TreeView_SetItemHeight(tree_.Handle(), kItemHeights[kSmall]);
  files_.Attach(Item(IDC_PEER_FILES));
  files_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  files_.InsertColumn(0, "文件名", 250);
  files_.InsertColumn(1, "大小", 80, LVCFMT_RIGHT);
  files_.InsertColumn(2, "注释", 100);
  Layout();
  return true;
}

void FriendPanel::OnDestroy() {
  tree_.Attach(nullptr);
  files_.Attach(nullptr);
  rows_.clear();
  rowsPeer_ = 0;
  rowsItem_ = nullptr;
  peers_.clear();
}

void FriendPanel::Layout() {
  RECT area = {};
  GetClientRect(Handle(), &area);
  MoveWindow(tree_.Handle(), 0, 0, kTreeWidth, area.bottom, TRUE);
  MoveWindow(files_.Handle(), kTreeWidth + kPaneGap, 0, std::max<int>(0, area.right - kTreeWidth - kPaneGap),
             area.bottom, TRUE);
}

// --- peers ---

bool FriendPanel::AddPeer(uint32_t peer, int32_t image, const std::string& name, const std::string& remark) {
  if (tree_.Handle() == nullptr || HasPeer(peer)) return false;
  HTREEITEM item = tree_.InsertRoot(name, image, static_cast<LPARAM>(peer));
  if (item == nullptr) return false;
  Peer& entry = peers_[peer];
  entry.item = item;
  entry.name = name;
  entry.remark = remark;
  return true;
}

bool FriendPanel::RemovePeer(uint32_t peer) {
  auto found = peers_.find(peer);
  if (found == peers_.end()) return false;
  {
    FlagScope replacing(replacing_);
    if (rowsPeer_ == peer) ClearFiles();
    tree_.Delete(found->second.item);
  }
  // The items named the list's elements: the list goes after them.
  peers_.erase(found);
  if (peers_.empty()) ClearFiles();
  return true;
}

bool FriendPanel::UpdatePeer(uint32_t peer, int32_t image, const std::string& name) {
  auto found = peers_.find(peer);
  if (found == peers_.end() || !tree_.SetItem(found->second.item, name, image)) return false;
  found->second.name = name;
  return true;
}

std::string FriendPanel::Remark(uint32_t peer) const {
  auto found = peers_.find(peer);
  return found != peers_.end() ? found->second.remark : std::string();
}

int FriendPanel::PeerCount() const { return static_cast<int>(peers_.size()); }

std::string FriendPanel::PeerText(uint32_t peer) const { return tree_.Text(PeerItem(peer)); }

int FriendPanel::PeerImage(uint32_t peer) const {
  HTREEITEM item = PeerItem(peer);
  return item != nullptr ? tree_.Image(item) : -1;
}

HTREEITEM FriendPanel::PeerItem(uint32_t peer) const {
  auto found = peers_.find(peer);
  return found != peers_.end() ? found->second.item : nullptr;
}

void FriendPanel::Clear() {
  {
    FlagScope replacing(replacing_);
    ClearFiles();
    tree_.DeleteAll();
  }
  peers_.clear();
}

void FriendPanel::Rebuild(HostClient* host, uint32_t user) {
  Clear();
  if (host == nullptr || tree_.Handle() == nullptr) return;
  SetIconSize(iconSize_);
  FriendCollector collector(*this, user);
  if (host->GetFriendList(&collector) == 0) Clear();
}

bool FriendPanel::RequestShares(uint32_t peer) {
  HostClient* host = main_.Host();
  if (!HasPeer(peer) || host == nullptr) return false;
  const std::string remark = Remark(peer);
  host->OpenPeerShares(peer, remark.empty() ? nullptr : remark.c_str());
  return true;
}

void FriendPanel::SetIconSize(IconSize size) {
  HostClient* host = main_.Host();
  if (host != nullptr) tree_.SetImageList(host->GetImageList(size));
  TreeView_SetItemHeight(tree_.Handle(), kItemHeights[size]);
  iconSize_ = size;
}

// --- a peer's share list ---

bool FriendPanel::ShowShareList(uint32_t peer, const std::string& path) {
  auto found = peers_.find(peer);
  if (found == peers_.end()) return false;
  Peer& entry = found->second;
  {
    FlagScope replacing(replacing_);
    // The selection leaves the old categories before they go.
    HTREEITEM selected = TreeView_GetSelection(tree_.Handle());
    if (selected != nullptr && selected != entry.item && PeerOf(selected) == peer)
      TreeView_SelectItem(tree_.Handle(), entry.item);
    if (rowsPeer_ == peer) ClearFiles();
    TreeView_Expand(tree_.Handle(), entry.item, TVE_COLLAPSE);
    DeleteChildren(entry.item);
    entry.list = PeerShareList::Read(path);
    if (entry.list == nullptr) return false;
    std::string password;
    if (entry.list->CollectionPassword(password)) passwords_.Receive(peer, password);
    AddCategories(entry.item, *entry.list);
  }
  TreeView_Expand(tree_.Handle(), entry.item, TVE_EXPAND);
  if (HTREEITEM video = FindTopLevel(entry.item, kVideo)) TreeView_SelectItem(tree_.Handle(), video);
  return true;
}

void FriendPanel::DeleteChildren(HTREEITEM item) {
  while (HTREEITEM child = TreeView_GetChild(tree_.Handle(), item)) tree_.Delete(child);
}

// Depth first with a stack of its own: a peer's nesting never reaches the
// thread's stack. Children are stacked last first, so each parent gets
// them in document order.
void FriendPanel::AddCategories(HTREEITEM peerItem, const PeerShareList& list) {
  struct Pending {
    const XmlElement* type;
    HTREEITEM parent;
    int depth;
  };
  std::vector<Pending> pending;
  auto stackChildren = [&pending](const XmlElement& element, HTREEITEM parent, int depth) {
    if (depth > kMaxDepth) return;
    for (size_t i = element.ChildCount(); i-- > 0;) {
      const XmlElement& child = *element.Child(i);
      if (child.Name() == "Type" && PeerShareList::IsShown(child)) pending.push_back({&child, parent, depth});
    }
  };
  // The last two images of the host's large list are the closed and the open category.
  HostClient* host = main_.Host();
  const int images = host != nullptr ? ImageList_GetImageCount(host->GetImageList(kLarge)) : 0;
  const int closed = images >= 2 ? images - 2 : 0, open = images >= 2 ? images - 1 : 0;
  stackChildren(list.Root(), peerItem, 1);
  while (!pending.empty()) {
    const Pending next = pending.back();
    pending.pop_back();
    HTREEITEM item = tree_.InsertChild(next.parent, AttributeOf(*next.type, "name"), closed,
                                       reinterpret_cast<LPARAM>(next.type));
    if (item == nullptr) continue;
    tree_.SetSelectedImage(item, open);
    stackChildren(*next.type, item, next.depth + 1);
  }
}

HTREEITEM FriendPanel::FindTopLevel(HTREEITEM peerItem, const std::string& label) const {
  for (HTREEITEM item = TreeView_GetChild(tree_.Handle(), peerItem); item != nullptr;
       item = TreeView_GetNextSibling(tree_.Handle(), item))
    if (AttributeOf(*CategoryOf(item), "name") == label) return item;
  return nullptr;
}

uint32_t FriendPanel::PeerOf(HTREEITEM item) const {
  if (item == nullptr) return 0;
  while (HTREEITEM parent = TreeView_GetParent(tree_.Handle(), item)) item = parent;
  return static_cast<uint32_t>(tree_.Data(item));
}

const XmlElement* FriendPanel::CategoryOf(HTREEITEM item) const {
  if (item == nullptr || TreeView_GetParent(tree_.Handle(), item) == nullptr) return nullptr;
  return reinterpret_cast<const XmlElement*>(tree_.Data(item));
}

HTREEITEM FriendPanel::TopLevelOf(HTREEITEM item) const {
  HTREEITEM parent = item != nullptr ? TreeView_GetParent(tree_.Handle(), item) : nullptr;
  if (parent == nullptr) return nullptr;
  while (HTREEITEM above = TreeView_GetParent(tree_.Handle(), parent)) {
    item = parent;
    parent = above;
  }
  return item;
}

bool FriendPanel::IsInCollection(HTREEITEM item) const {
  const XmlElement* top = CategoryOf(TopLevelOf(item));
  return top != nullptr && PeerShareList::IsCollectionLabel(AttributeOf(*top, "name"));
}

bool FriendPanel::MayOpen(HTREEITEM item) {
  const uint32_t peer = PeerOf(item);
  if (!IsInCollection(item) || !passwords_.NeedsPassword(peer)) return true;
  std::string entry;
  if (!PeerPasswordDialog::Ask(Handle(), entry)) return false;
  if (passwords_.Verify(peer, entry)) return true;
  MessageBoxA(Handle(), "密码错误", "拓瓦", MB_OK | MB_ICONWARNING);
  return false;
}

// --- the file list ---

void FriendPanel::ShowFiles(HTREEITEM item) {
  ClearFiles();
  const XmlElement* category = CategoryOf(item);
  if (category == nullptr) return;
  ShareLibrary& library = main_.Library();
  const ServerSettings::Values settings = library.Settings().Current();
  const bool unfiltered = filterOff_;
  KeywordLists& keywords = library.Keywords();
  rows_ = PeerShareList::Files(*category, IsInCollection(item),
                               [&](const std::string& path, const std::string& md5, bool inCollection) {
                                 return keywords.HidesFriendFile(path, md5, inCollection, settings, unfiltered);
                               });
  rowsPeer_ = PeerOf(item);
  rowsItem_ = item;
  // The list asks for the cells it shows: a category of any size fills at once.
  files_.SetVirtualCount(static_cast<int>(rows_.size()), 0);
}

void FriendPanel::ClearFiles() {
  rows_.clear();
  rowsPeer_ = 0;
  rowsItem_ = nullptr;
  files_.SetVirtualCount(0, 0);
}

void FriendPanel::PutCell(NMLVDISPINFOA& info) const {
  if (!(info.item.mask & LVIF_TEXT) || info.item.pszText == nullptr || info.item.cchTextMax <= 0) return;
  if (info.item.iItem < 0 || static_cast<size_t>(info.item.iItem) >= rows_.size()) return;
  const PeerShareList::FileRow& row = rows_[static_cast<size_t>(info.item.iItem)];
  std::string text;
  switch (info.item.iSubItem) {
    case 0: text = row.name; break;
    case 1: text = FormatAmount(row.size, "KB"); break;
    case 2: text = row.comment; break;
    default: break;
  }
  lstrcpynA(info.item.pszText, text.c_str(), info.item.cchTextMax);
}

// --- notifications ---

bool FriendPanel::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR&) {
  if (message != WM_SIZE) return false;
  Layout();
  return true;
}

bool FriendPanel::OnNotify(const NMHDR& header, LRESULT& answer) {
  return OnTreeNotify(header, answer) || OnListNotify(header, answer);
}

bool FriendPanel::OnTreeNotify(const NMHDR& header, LRESULT& result) {
  if (tree_.Handle() == nullptr || header.hwndFrom != tree_.Handle()) return false;
  const auto& view = reinterpret_cast<const NMTREEVIEWA&>(header);
  switch (header.code) {
    case TVN_SELCHANGINGA:
      result = replacing_ || MayOpen(view.itemNew.hItem) ? FALSE : TRUE;
      return true;
    case TVN_SELCHANGEDA:
      if (replacing_)
        ClearFiles();
      else
        ShowFiles(view.itemNew.hItem);
      return true;
    case TVN_ITEMEXPANDINGA:
      result = replacing_ || !(view.action & TVE_EXPAND) || MayOpen(view.itemNew.hItem) ? FALSE : TRUE;
      return true;
    case NM_RCLICK:
      ShowTreeMenu(CursorPosition());
      result = TRUE;
      return true;
    default:
      return false;
  }
}

bool FriendPanel::OnListNotify(const NMHDR& header, LRESULT& result) {
  if (files_.Handle() == nullptr || header.hwndFrom != files_.Handle()) return false;
  switch (header.code) {
    case LVN_GETDISPINFOA:
      PutCell(reinterpret_cast<NMLVDISPINFOA&>(const_cast<NMHDR&>(header)));
      return true;
    case NM_RCLICK:
      ShowFileMenu(CursorPosition());
      result = TRUE;
      return true;
    case NM_DBLCLK:
      FileCommand(ID_FRIEND_DOWNLOAD);
      return true;
    default:
      return false;
  }
}
