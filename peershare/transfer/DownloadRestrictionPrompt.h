#pragma once

#include "controls/Dialog.h"

// Dialog 3295: a non-member downloads two files at a time, a member ten.
class DownloadRestrictionPrompt : public Dialog {
 public:
  static constexpr const char* kText = "非会员同时只能下载2个文件，会员同时可以下载10个文件。";
  INT_PTR Show(HWND owner);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;
};
