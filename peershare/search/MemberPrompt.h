#pragma once

#include "controls/Dialog.h"

class HostClient;

// Dialog 3304: a non-member may download only what an empty search without
// a target returned; the button "成为会员" asks the host for the upgrade.
class MemberPrompt : public Dialog {
 public:
  static constexpr const char* kText =
      "      非会员只能下载空搜索（且不指定ID号）返回的文件,成为会员后才能下载按关键字搜索返回的文件";

  explicit MemberPrompt(HostClient* host) : host_(host) {}
  // Modal; the button that closed it.
  INT_PTR Show(HWND parent);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;

 private:
  HostClient* host_;
};
