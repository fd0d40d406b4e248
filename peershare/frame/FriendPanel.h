#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "controls/Panel.h"
#include "controls/TreeView.h"

class HostClient;

// Panel 4 of the main window: the peers whose share lists the user can open
// (one root item per peer) and the file list of the selected peer.
class FriendPanel : public Panel {
 public:
  bool Create(HWND parent);

  // Adds a root item unless the peer is already there. False when not added.
  bool AddPeer(uint32_t peer, int32_t image, const std::string& name, const std::string& remark = std::string());
  // Removes the peer; an emptied tree also empties the file list.
  bool RemovePeer(uint32_t peer);
  bool UpdatePeer(uint32_t peer, int32_t image, const std::string& name);
  bool HasPeer(uint32_t peer) const { return peers_.count(peer) != 0; }
  // The remark kept for the peer; empty when none or unknown.
  std::string Remark(uint32_t peer) const;
  int PeerCount() const { return tree_.Count(); }
  std::string PeerText(uint32_t peer) const;
  int PeerImage(uint32_t peer) const;
  int FileCount() const;

  // The host's image list for the peer items (not owned; may be null).
  void SetImages(HIMAGELIST images) { tree_.SetImageList(images); }
  // Empties the tree and the file list.
  void Clear();
  // Clears, then fills the tree from the host's image list and friend list;
  // a host without either leaves the tree empty or without images.
  void Rebuild(HostClient* host, uint32_t user);

 protected:
  bool OnInitDialog() override;
  void OnDestroy() override;

 private:
  struct Peer {
    HTREEITEM item;
    std::string remark;
  };

  TreeView tree_;
  std::map<uint32_t, Peer> peers_;
};
