#pragma once

#include <string>

#include "controls/Dialog.h"

// Dialog 3033 "增加注释": one text of at most 64 bytes.
class CommentDialog : public Dialog {
 public:
  static constexpr size_t kMaxBytes = 64;
  // True with the text when the user pressed OK.
  static bool Ask(HWND owner, std::string& comment);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;

 private:
  std::string text_;
};
