#include "controls/PlayImage.h"

#include <algorithm>

#include "frame/ModuleState.h"
#include "frame/ResourceIds.h"

bool PlayImage::Load() {
  bitmap_.Reset(static_cast<HBITMAP>(
      LoadImageA(ModuleState::ResourceModule(), MAKEINTRESOURCEA(IDB_PLAY), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  BITMAP size = {};
  if (!bitmap_ || !GetObjectA(bitmap_.Get(), sizeof size, &size)) return false;
  dc_.Reset(CreateCompatibleDC(nullptr));
  if (dc_) SelectObject(dc_.Get(), bitmap_.Get());
  size_ = {size.bmWidth, size.bmHeight};
  return Loaded();
}

void PlayImage::Draw(HDC dc, const RECT& cell) const {
  if (!dc_) return;
  int x = cell.left + std::max(0L, (cell.right - cell.left - size_.cx) / 2);
  int y = cell.top + std::max(0L, (cell.bottom - cell.top - size_.cy) / 2);
  BitBlt(dc, x, y, std::min<int>(size_.cx, cell.right - cell.left), std::min<int>(size_.cy, cell.bottom - cell.top),
         dc_.Get(), 0, 0, SRCCOPY);
}
