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
  // Let a job this process took finish first: StopJob terminates a running
  // job thread, and one killed while it still starts up can hold the loader
  // lock, so that this process never exits.
  for (int i = 0; i < 500 && button->RunningJob() != 0; ++i) Sleep(10);
  button->StopJob();
  return offered ? 1 : 2;
}
