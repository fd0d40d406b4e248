#pragma once

#include <windows.h>

#include <string>

// The system's folder dialog as the transfer side shows it: title
// "请选择下载目录", starting in a folder, with a check box "每次提示"
// (checked) left of OK whose state the caller keeps as the ask-for-folder
// flag.
class FolderBrowser {
 public:
  static constexpr const char* kTitle = "请选择下载目录";
  static constexpr const char* kAskText = "每次提示";
  // Only file-system folders, browsing for computers.
  static constexpr UINT kFlags = 0x1001;
  static constexpr int kAskBoxId = 0x3F00;

  // True with the chosen folder; `askEveryTime` gets the box's state when
  // the dialog closed either way.
  static bool Browse(HWND owner, const std::string& start, std::string& folder, bool& askEveryTime);
};
