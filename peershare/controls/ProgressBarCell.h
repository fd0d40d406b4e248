#pragma once

#include <windows.h>

#include <cstdint>

#include "win/Handles.h"

// The progress bar a transfer list draws into a cell: the done part in blue
// on white, framed, with "%d%%" in the middle.
class ProgressBarCell {
 public:
  ProgressBarCell();
  void Draw(HDC dc, const RECT& cell, int32_t percent) const;

 private:
  win::UniqueBrush bar_, background_;
};
