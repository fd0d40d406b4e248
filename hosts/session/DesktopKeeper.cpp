// Keeps the desktop of a Wine session in use from the session's start to
// its end. Wine closes a desktop a moment after the last program on it
// ends, and the next program that makes a window starts the desktop's
// process again. That process takes the program's output along: CTest,
// reading that output, then waits for the desktop to close as well, and a
// test that passed runs out of time. cmake/wine-session.sh starts this
// program before anything else runs and waits for its "ready" line; the
// session's end (wineserver -k) ends it.
#include <windows.h>

#include <cstdio>

int main() {
  // The desktop's process, if it has to start again, starts from here.
  GetDesktopWindow();
  std::puts("ready");
  std::fflush(stdout);
  Sleep(INFINITE);
}
