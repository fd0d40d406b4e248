#include "webslice/WindowPlacement.h"

#include <gtest/gtest.h>

#include "win/Handles.h"

namespace {

using WindowPlacement::Over;
using WindowPlacement::Rule;

const RECT kWorkArea = {0, 0, 1024, 738};
const SIZE kSize = {460, 402};

POINT At(LONG x, LONG y) { return POINT{x, y}; }

bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }

TEST(WindowPlacement, CentresOverTheReferenceInsideTheWorkArea) {
  EXPECT_TRUE(Over(RECT{100, 100, 700, 500}, kSize, kWorkArea, Rule::Centred) == At(400 - 230, 300 - 201));
  // Before the start on both axes: the work area's start.
  EXPECT_TRUE(Over(RECT{-300, -200, 100, 100}, kSize, kWorkArea, Rule::Centred) == At(0, 0));
  // Past the end on both axes: moved back to end there.
  EXPECT_TRUE(Over(RECT{900, 600, 1200, 800}, kSize, kWorkArea, Rule::Centred) == At(1024 - 460, 738 - 402));
  // A work area that does not start at 0.
  const RECT shifted = {50, 30, 1024, 738};
  EXPECT_TRUE(Over(RECT{0, 0, 200, 100}, kSize, shifted, Rule::Centred) == At(50, 30));
}

TEST(WindowPlacement, UpperFifthPutsAFifthOfTheRoomAbove) {
  const SIZE dialog = {268, 128};
  // An owner 800 x 600 at (100, 50): 472 pixels of room, 94 above.
  EXPECT_TRUE(Over(RECT{100, 50, 900, 650}, dialog, kWorkArea, Rule::UpperFifth) == At(500 - 134, 50 + 94));
  // A toolbar strip lower than the dialog: the room is negative and the dialog rises.
  EXPECT_TRUE(Over(RECT{0, 300, 400, 324}, dialog, kWorkArea, Rule::UpperFifth) == At(200 - 134, 300 - 20));
  // Near the right and bottom edges.
  EXPECT_TRUE(Over(RECT{900, 700, 1020, 730}, dialog, kWorkArea, Rule::UpperFifth) == At(1024 - 268, 738 - 128));
  // The whole work area as reference.
  EXPECT_TRUE(Over(kWorkArea, dialog, kWorkArea, Rule::UpperFifth) == At(512 - 134, (738 - 128) / 5));
}

TEST(WindowPlacement, HiddenOrMinimisedReferenceGivesWayToTheWorkArea) {
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  win::UniqueWindow referenceWindow(
      CreateWindowExW(0, L"STATIC", L"reference", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr));
  win::UniqueWindow placed(
      CreateWindowExW(0, L"STATIC", L"placed", WS_POPUP, 0, 0, 300, 150, nullptr, nullptr, nullptr, nullptr));
  HWND reference = referenceWindow.Get(), window = placed.Get();
  WindowPlacement::PlaceWindow(window, reference, Rule::Centred);
  RECT frame;
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.left, (work.left + work.right) / 2 - 150);
  EXPECT_EQ(frame.top, (work.top + work.bottom) / 2 - 75);
  ShowWindow(reference, SW_SHOWNOACTIVATE);
  WindowPlacement::PlaceWindow(window, reference, Rule::Centred);
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.left, 0);  // centred at 100 - 150, then inside the work area
  EXPECT_EQ(frame.top, 0);
  EXPECT_EQ(frame.right - frame.left, 300);
  ShowWindow(reference, SW_MINIMIZE);
  WindowPlacement::PlaceWindow(window, reference, Rule::UpperFifth);
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.top, work.top + (work.bottom - work.top - 150) / 5);
}

}  // namespace
