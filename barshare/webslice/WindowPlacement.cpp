#include "webslice/WindowPlacement.h"

namespace WindowPlacement {

namespace {

LONG KeepInside(LONG start, LONG length, LONG areaStart, LONG areaEnd) {
  if (start < areaStart) return areaStart;
  if (start + length > areaEnd) return areaEnd - length;
  return start;
}

}  // namespace

POINT Over(const RECT& reference, SIZE size, const RECT& workArea, Rule rule) {
  POINT corner;
  corner.x = (reference.left + reference.right) / 2 - size.cx / 2;
  if (rule == Rule::Centred) {
    corner.y = (reference.top + reference.bottom) / 2 - size.cy / 2;
  } else {
    corner.y = reference.top + (reference.bottom - reference.top - size.cy) / 5;
  }
  corner.x = KeepInside(corner.x, size.cx, workArea.left, workArea.right);
  corner.y = KeepInside(corner.y, size.cy, workArea.top, workArea.bottom);
  return corner;
}

void PlaceWindow(HWND window, HWND reference, Rule rule) {
  RECT workArea = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  RECT over = workArea;
  if (reference != nullptr && IsWindowVisible(reference) && !IsIconic(reference)) GetWindowRect(reference, &over);
  RECT frame = {};
  GetWindowRect(window, &frame);
  const SIZE size = {frame.right - frame.left, frame.bottom - frame.top};
  const POINT corner = Over(over, size, workArea, rule);
  SetWindowPos(window, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace WindowPlacement
