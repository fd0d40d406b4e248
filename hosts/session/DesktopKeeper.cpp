// Keeps the desktop of a Wine session in use from the session's start to
// its end. Wine closes a desktop a moment after the last program on it
// ends, and the next program that makes a window starts the desktop's
// process again. That process takes the program's output along: CTest,
// reading that output, then waits for the desktop to close as well, and a
// test that passed runs out of time. cmake/wine-session.sh starts this
// program, with its output elsewhere, before anything else runs; the
// session's end (wineserver -k) ends it.
#include <windows.h>

int main() {
  // The desktop's process, if it has to start again, starts from here.
  GetDesktopWindow();
  Sleep(INFINITE);
}
