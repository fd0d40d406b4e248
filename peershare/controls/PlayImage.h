#pragma once

#include <windows.h>

#include "win/Handles.h"

// The play image (bitmap 3255) that the lists draw into their "点播"
// cells, held selected in a memory DC of its own.
class PlayImage {
 public:
  // Loads the bitmap from the resource module; false when it is missing.
  bool Load();
  bool Loaded() const { return static_cast<bool>(dc_); }
  // Centred in the cell, cut to it.
  void Draw(HDC dc, const RECT& cell) const;

 private:
  win::UniqueBitmap bitmap_;
  // Holds the bitmap selected; goes before it.
  win::UniqueMemoryDc dc_;
  SIZE size_ = {};
};
