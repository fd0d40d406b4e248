#pragma once

#include <string>

#include "controls/Dialog.h"

// Dialog 3124 "设置珍藏目录密码": the collection password typed twice. OK
// with two different entries says so and keeps the dialog open.
class CollectionPasswordDialog : public Dialog {
 public:
  // True with the password when the user confirmed two equal entries.
  static bool Ask(HWND owner, std::string& password);

 protected:
  bool OnCommand(int id, int code) override;

 private:
  std::string password_;
};
