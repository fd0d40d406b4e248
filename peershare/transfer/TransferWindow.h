#pragma once

#include <cstdint>
#include <set>

#include "controls/Panel.h"
#include "transfer/TransferDocument.h"

class DownloadList;

// The transfer window, shown as the main window's home panel: the download
// list in the upper half ("传入状态"), the uploads below ("传出状态"), and the
// tunnel counts with the green channel above the list.
class TransferWindow : public Panel {
 public:
  // The list is created in this window as soon as both exist.
  void SetDownloadList(DownloadList* downloads);
  DownloadList* Downloads() const { return downloads_; }
  // The green-channel numbers, read from the document when the list is
  // created.
  std::set<uint32_t>& GreenChannel() { return greenChannel_; }
  int32_t TunnelCount(TransferDocument::Tunnel tunnel) const;
  void OpenGreenChannel();

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void CreateDownloadList();
  void ShowTunnelCounts();
  // A field the user left: a count above 4 is taken and saved, anything else
  // puts the previous count back.
  void TakeTunnelCount(TransferDocument::Tunnel tunnel);
  void Layout();

  DownloadList* downloads_ = nullptr;
  int32_t maxTunnel_ = 0, memberTunnel_ = 0;
  std::set<uint32_t> greenChannel_;
};
