#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/ListView.h"
#include "controls/Panel.h"
#include "controls/TreeView.h"
#include "share/PeerPasswords.h"
#include "share/PeerShareList.h"
#include "win/Handles.h"

class HostClient;
class MainWindow;
class XmlElement;

// Panel 4 of the main window (template 3052): the peer tree 3102, one root
// item per peer with the categories of the peer's last received share list
// below it, and the file list 3103 of the selected category. Each peer's
// collection is guarded by the peer's password. The tree and the rows are
// here, the menus and their commands in FriendPanelMenu.cpp.
class FriendPanel : public Panel {
 public:
  // Icon sizes: the host's image list and the tree's item height.
  enum IconSize { kLarge = 0, kMedium = 1, kSmall = 2 };
  static constexpr int kItemHeights[3] = {32, 20, 16};
  // Categories nested deeper below a peer are left out with their contents.
  static constexpr int kMaxDepth = 1024;
  // The link type when no category is selected.
  static constexpr int kNoCategoryType = 3;

  explicit FriendPanel(MainWindow& main) : main_(main) {}

  bool Create(HWND parent);

  // Adds a root item unless the peer is already there. False when not added.
  bool AddPeer(uint32_t peer, int32_t image, const std::string& name, const std::string& remark = std::string());
  // Removes the peer; an emptied tree also empties the file list.
  bool RemovePeer(uint32_t peer);
  bool UpdatePeer(uint32_t peer, int32_t image, const std::string& name);
  bool HasPeer(uint32_t peer) const { return peers_.count(peer) != 0; }
  // The remark kept for the peer; empty when none or unknown.
  std::string Remark(uint32_t peer) const;
  int PeerCount() const;
  std::string PeerText(uint32_t peer) const;
  int PeerImage(uint32_t peer) const;
  HTREEITEM PeerItem(uint32_t peer) const;
  int FileCount() const { return static_cast<int>(rows_.size()); }
  const PeerShareList::FileRow& FileRow(int row) const { return rows_[static_cast<size_t>(row)]; }

  // The host's image list for the peer items (not owned; may be null).
  void SetImages(HIMAGELIST images) { tree_.SetImageList(images); }
  // Empties the tree and the file list.
  void Clear();
  // Clears, then fills the tree from the host's image list and friend list;
  // a host without either leaves the tree empty or without images.
  void Rebuild(HostClient* host, uint32_t user);
  // Asks the host for the peer's list: OpenPeerShares with the remark, or
  // null without one. False for a peer not in the tree.
  bool RequestShares(uint32_t peer);

  // A received list of the peer's (a bzip2 copy at `path`) replaces the
  // peer's categories: the collection's password goes to the password table,
  // categories that are not shown are left out, and the peer's 视频 is
  // selected. A copy that cannot be read leaves the peer without categories;
  // a peer not in the tree drops the list. False in both cases.
  bool ShowShareList(uint32_t peer, const std::string& path);

  TreeView& Tree() { return tree_; }
  ListView& Files() { return files_; }
  // The peer an item belongs to (a peer item or a category below one); 0 for none.
  uint32_t PeerOf(HTREEITEM item) const;
  // The category element of an item; null for a peer item or none.
  const XmlElement* CategoryOf(HTREEITEM item) const;
  // The category item directly below the peer that holds `item`, or null.
  HTREEITEM TopLevelOf(HTREEITEM item) const;
  bool NeedsPassword(uint32_t peer) const { return passwords_.NeedsPassword(peer); }
  // The peer whose rows the file list shows; 0 for none.
  uint32_t RowsPeer() const { return rowsPeer_; }
  IconSize CurrentIconSize() const { return iconSize_; }
  // Unfiltered mode: the keyword list hides no file (placeholders stay hidden).
  void SetFilterOff(bool off) { filterOff_ = off; }
  void SetIconSize(IconSize size);

  // --- FriendPanelMenu.cpp ---
  // Menu 3037; its sub-menu "FriendShare" is for the file list, "FriendTree"
  // for the peer tree.
  win::UniqueMenu FriendMenu() const;
  static constexpr int kFileMenu = 1, kTreeMenu = 2;
  void PrepareFileMenu(HMENU menu) const;
  void PrepareTreeMenu(HMENU menu, HTREEITEM item) const;
  // Commands of the file menu on the selected rows, and of the tree menu on
  // `item`. True when the command was one of them.
  bool FileCommand(int id);
  bool TreeCommand(int id, HTREEITEM item);
  // The link of a row with the type of its category's top-level label.
  std::string RowLink(int row) const;

 protected:
  bool OnInitDialog() override;
  void OnDestroy() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool OnNotify(const NMHDR& header, LRESULT& answer) override;

 private:
  struct Peer {
    HTREEITEM item = nullptr;
    std::string name;
    std::string remark;
    std::unique_ptr<PeerShareList> list;
  };

  void Layout();
  void DeleteChildren(HTREEITEM item);
  void AddCategories(HTREEITEM peerItem, const PeerShareList& list);
  HTREEITEM FindTopLevel(HTREEITEM peerItem, const std::string& label) const;
  bool IsInCollection(HTREEITEM item) const;
  // Whether the user may open the item: a guarded collection asks for the
  // peer's password first.
  bool MayOpen(HTREEITEM item);
  void ShowFiles(HTREEITEM item);
  void ClearFiles();
  bool OnTreeNotify(const NMHDR& header, LRESULT& result);
  bool OnListNotify(const NMHDR& header, LRESULT& result);
  void PutCell(NMLVDISPINFOA& info) const;

  // --- FriendPanelMenu.cpp ---
  void ShowFileMenu(POINT screen);
  void ShowTreeMenu(POINT screen);
  std::vector<int> SelectedRows() const;
  // The label of the top-level category that holds the shown rows; empty for none.
  std::string RowsTopLabel() const;
  bool PeerCommand(int id, uint32_t peer);
  void DownloadSelected(int32_t mode);
  void Recommend(int row);
  uint32_t PeerTag(uint32_t peer) const;
  std::string PeerName(uint32_t peer) const;

  MainWindow& main_;
  TreeView tree_;
  ListView files_;
  std::map<uint32_t, Peer> peers_;
  PeerPasswords passwords_;
  std::vector<PeerShareList::FileRow> rows_;
  uint32_t rowsPeer_ = 0;
  HTREEITEM rowsItem_ = nullptr;
  IconSize iconSize_ = kSmall;
  bool filterOff_ = false;
  // While a peer's categories are replaced, selection changes open nothing.
  bool replacing_ = false;
};
