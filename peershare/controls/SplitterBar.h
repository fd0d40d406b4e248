#pragma once

#include <windows.h>

// A bar of 3 pixels that the user drags across its parent. While it moves
// it tells the parent through WM_COMMAND (its id, code kMoved), so that the
// parent lays its panes out again. The window goes with its parent.
class SplitterBar {
 public:
  static constexpr WORD kMoved = 1;
  static constexpr int kThickness = 3;
  enum class Direction { Horizontal, Vertical };

  // `position` is the bar's first pixel from the parent's top (horizontal)
  // or left (vertical).
  bool Create(HWND parent, int id, Direction direction, int position);
  HWND Handle() const { return window_; }
  int Position() const { return position_; }
  // Moves the bar without telling the parent; `from`/`to` are its extent
  // along the other axis.
  void Place(int from, int to);
  // As a drag to `position` (clamped to the parent): the parent is told.
  void MoveTo(int position);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  int Clamp(int position) const;

  HWND window_ = nullptr;
  Direction direction_ = Direction::Horizontal;
  int position_ = 0;
  int from_ = 0, to_ = 0;
  bool dragging_ = false;
  int grip_ = 0;
};
