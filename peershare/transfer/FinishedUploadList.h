#pragma once

#include "transfer/HistoryList.h"

// The finished uploads (menu "上传管理"): the HasUpload records of the
// TransferDocument, which the client writes and this list only reads and
// removes.
class FinishedUploadList final : public HistoryList {
 public:
  enum Column { kName, kCategory, kSize, kDate, kPeer, kNickname, kEarned, kComment, kColumnCount };
  static constexpr const char* kElement = "HasUpload";

  FinishedUploadList();

  void PrepareMenu(HMENU menu) const override;
  void RunCommand(int command) override;

 protected:
  std::string Cell(const XmlElement& element, int column) const override;
};
