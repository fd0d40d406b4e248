#pragma once

#include <cstdint>

#include "controls/Panel.h"
#include "transfer/TransferDocument.h"

class DownloadList;
class FinishedDownloadList;
class FinishedUploadList;
class UploadManager;

// The transfer window, shown as the main window's home panel: the download
// list in the upper half ("传入状态") below the tunnel counts and the channel
// buttons; in the lower half, behind tabs, the uploads ("传出状态") and the
// two history lists.
class TransferWindow : public Panel {
 public:
  // The lists of the lower half, in the order of the tabs.
  enum LowerList { kUploads, kFinishedDownloads, kFinishedUploads, kLowerListCount };
  struct Lists {
    DownloadList* downloads = nullptr;
    UploadManager* uploads = nullptr;
    FinishedDownloadList* finishedDownloads = nullptr;
    FinishedUploadList* finishedUploads = nullptr;
  };

  // The lists' windows are made in this one as soon as both exist; the
  // download list needs the upload manager, which keeps the tunnel counts
  // and the green channel.
  void SetLists(const Lists& lists);
  const Lists& Transfers() const { return lists_; }
  int32_t TunnelCount(TransferDocument::Tunnel tunnel) const;
  void OpenGreenChannel();
  void OpenTemporaryChannels();
  void ShowLowerList(int list);
  int ShownLowerList() const { return shownList_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void CreateLists();
  void CreateLowerTabs();
  HWND LowerWindow(int list) const;
  void ShowTunnelCounts();
  // A field the user left: a count above 4 is taken and saved, anything else
  // puts the previous count back.
  void TakeTunnelCount(TransferDocument::Tunnel tunnel);
  void Layout();

  Lists lists_;
  int shownList_ = kUploads;
};
