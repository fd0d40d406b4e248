#pragma once

#include <string>

#include "controls/Dialog.h"

// Dialog 3251 "密码验证": asks for a peer's collection password.
class PeerPasswordDialog : public Dialog {
 public:
  // True with the entry when the user pressed "确定"; false for "放弃".
  static bool Ask(HWND owner, std::string& entry);

 protected:
  bool OnCommand(int id, int code) override;

 private:
  std::string entry_;
};
