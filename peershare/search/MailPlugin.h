#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "search/MailInterfaces.h"
#include "share/ServerSettings.h"
#include "win/Handles.h"

class HostClient;

// The client's mail plug-in, opened by the main window for a mail report:
// at most one at a time. The plug-in says it is done through the mail
// holder, which posts kDoneMessage to the main window; the main window then
// closes it, and a new mail can be opened.
class MailPlugin {
 public:
  static constexpr UINT kDoneMessage = WM_USER + 60;
  static constexpr DWORD kUnloadWait = 100;
  static constexpr const char* kLibrary = "\\Plugins\\TvSendMail.dll";

  explicit MailPlugin(std::string programFolder);
  ~MailPlugin();
  MailPlugin(const MailPlugin&) = delete;
  MailPlugin& operator=(const MailPlugin&) = delete;

  // Loads the plug-in and opens its window for the account the host names,
  // with the operator's mail values. 1 when the window is open; 0 when one
  // is open already or the plug-in is missing, has no "init", gives no
  // object or does not open.
  int32_t Open(HWND window, HostClient* host, const ServerSettings::Values& settings);
  bool IsOpen() const { return sender_ != nullptr; }
  // kDoneMessage: wParam is the plug-in's value, lParam the holder's number.
  // A message of an earlier holder (a "done" said twice, or after the
  // plug-in was closed) is ignored.
  void OnDone(WPARAM value, LPARAM holderNumber);
  // Waits, unloads the plug-in and releases the holder.
  void Close();

 private:
  class WindowHolder;

  std::string programFolder_;
  std::unique_ptr<WindowHolder> holder_;
  win::UniqueModule library_;
  MailSender* sender_ = nullptr;
  uint32_t holderNumber_ = 0;
};
