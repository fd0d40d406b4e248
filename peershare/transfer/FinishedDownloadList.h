#pragma once

#include "transfer/HistoryList.h"

// The finished downloads (menu "已下载文件管理"): the HasDownload records of
// the TransferDocument. Its commands act through the download list, which
// owns the document, the player link and the download folder.
class FinishedDownloadList final : public HistoryList {
 public:
  enum Column { kName, kCategory, kSize, kDate, kCost, kComment, kColumnCount };
  static constexpr const char* kElement = "HasDownload";

  FinishedDownloadList();

  void PrepareMenu(HMENU menu) const override;
  void RunCommand(int command) override;

 protected:
  std::string Cell(const XmlElement& element, int column) const override;
  void OnActivate() override { PlaySelected(); }

 private:
  // The player, for every selected file that is there.
  void PlaySelected();
  void OpenSelectedFolders();
  void CommentSelected();
};
