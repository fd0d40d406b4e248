#pragma once

#include <windows.h>

// The state of a popup menu's entries by command id, as the row menus of
// the lists and trees set them before they show.
inline void EnableMenuCommand(HMENU menu, int command, bool enable) {
  EnableMenuItem(menu, command, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

inline void CheckMenuCommand(HMENU menu, int command, bool check) {
  CheckMenuItem(menu, command, MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED));
}
