#include "controls/ProgressBarCell.h"

#include <algorithm>
#include <string>

ProgressBarCell::ProgressBarCell()
    : bar_(CreateSolidBrush(RGB(0x3A, 0x7B, 0xD5))), background_(CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF))) {}

void ProgressBarCell::Draw(HDC dc, const RECT& cell, int32_t percent) const {
  RECT bar = cell;
  InflateRect(&bar, -2, -2);
  if (bar.right <= bar.left || bar.bottom <= bar.top) return;
  percent = std::clamp(percent, 0, 100);
  FillRect(dc, &bar, background_.Get());
  RECT done = bar;
  done.right = bar.left + (bar.right - bar.left) * percent / 100;
  FillRect(dc, &done, bar_.Get());
  FrameRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  std::string text = std::to_string(percent) + "%";
  int mode = SetBkMode(dc, TRANSPARENT);
  COLORREF colour = SetTextColor(dc, RGB(0, 0, 0));
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &bar, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SetTextColor(dc, colour);
  SetBkMode(dc, mode);
}
