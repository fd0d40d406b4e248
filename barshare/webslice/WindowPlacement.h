#pragma once

#include <windows.h>

// Placing a new window over another one without leaving the work area.
namespace WindowPlacement {

enum class Rule {
  Centred,     // centred on both axes
  UpperFifth,  // centred across; down by a fifth of the room left above and below
};

// The top-left corner for a window of `size` over `reference` by `rule`,
// then moved inside workArea on each axis: a start before the work area
// takes its start, else an end past it is moved back to end there.
POINT Over(const RECT& reference, SIZE size, const RECT& workArea, Rule rule);

// Moves window (keeping its size, Z order and activation) over reference; a
// reference that is hidden or minimised gives way to the work area.
void PlaceWindow(HWND window, HWND reference, Rule rule);

}  // namespace WindowPlacement
