#pragma once

#include <windows.h>

#include <string>

class HostClient;

// Everything the download list asks or tells the user, modally. The list
// uses WindowPrompts; a test hands in one that answers by itself.
class DownloadPrompts {
 public:
  virtual ~DownloadPrompts() = default;
  // A message box captioned "拓瓦" with OK.
  virtual void Message(const std::string& text) = 0;
  // A question captioned "拓瓦" with OK and Cancel; true for OK.
  virtual bool Confirm(const std::string& text) = 0;
  // Dialog 3246.
  virtual void CoinsShort() = 0;
  // Dialog 3295.
  virtual void DownloadRestricted() = 0;
  // The folder browser; `askEveryTime` gets the state of its check box
  // whether or not a folder was chosen. True with a folder.
  virtual bool ChooseFolder(const std::string& start, std::string& folder, bool& askEveryTime) = 0;
  // Dialog 3033; true with a text of at most 64 bytes.
  virtual bool AskComment(std::string& comment) = 0;
};

// The real dialogs, owned by the list's window.
class WindowPrompts : public DownloadPrompts {
 public:
  WindowPrompts(HWND owner, HostClient* host) : owner_(owner), host_(host) {}
  void SetOwner(HWND owner) { owner_ = owner; }

  void Message(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void CoinsShort() override;
  void DownloadRestricted() override;
  bool ChooseFolder(const std::string& start, std::string& folder, bool& askEveryTime) override;
  bool AskComment(std::string& comment) override;

 private:
  HWND owner_;
  HostClient* host_;
};
