#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "controls/Dialog.h"
#include "win/Handles.h"

class TemporaryChannelTable;

// Dialog 3117 "临时通道设置", drawn on bitmap 3118: a peer number (digits
// only, at most 10) and a second number of at most 2 digits. A click on the
// bitmap's green OK area (or Enter) stores the pair in the table when both
// fields are filled, and closes the dialog.
class TemporaryChannelDialog : public Dialog {
 public:
  // The OK area in pixels of the client area, where the bitmap draws it.
  static constexpr RECT kOkArea = {170, 100, 260, 130};
  static constexpr int kPeerDigits = 10, kNumberDigits = 2;

  explicit TemporaryChannelDialog(TemporaryChannelTable& table);
  INT_PTR Show(HWND owner);
  bool Open(HWND owner);
  // The OK area's action: true when a pair was stored.
  bool Accept();

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  HBRUSH Background() const override { return background_.Get(); }

 private:
  void PaintOkLabel() const;

  TemporaryChannelTable& table_;
  win::UniqueBitmap bitmap_;
  win::UniqueBrush background_;
};
