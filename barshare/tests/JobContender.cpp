// A second browser process with the same button: one JobTick, then the exit
// code tells whether this process was offered the job (1) or found another
// process holding the button's job mutex (2).
#include <windows.h>

#include "JobButton.h"
#include "win/ComPtr.h"

int main() {
  auto button = win::ComPtr<JobButton>::Adopt(new JobButton(68, 0));
  button->JobTick();
  const bool offered = button->offered != 0;
  button->StopJob();
  return offered ? 1 : 2;
}
