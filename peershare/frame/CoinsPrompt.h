#pragma once

#include <string>

#include "controls/Dialog.h"
#include "controls/HyperLink.h"

class HostClient;

// Dialog 3246: the coin balance is too low for a download. Offers the
// membership upgrade (through the host) to non-members and the pages about
// buying coins by phone.
class CoinsPrompt : public Dialog {
 public:
  explicit CoinsPrompt(HostClient* host) : host_(host) {}

  // Modal, for the download list.
  INT_PTR Show(HWND parent);
  // Modeless, for a caller that keeps running (and for pictures of it).
  bool Open(HWND parent);

  static const char* Text(bool member);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;

 private:
  HostClient* host_;
  HyperLink phoneLink_;
  HyperLink areasLink_;
};
