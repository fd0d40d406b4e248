#include "button/ButtonJobRunner.h"

#include <cwchar>

namespace {

// Added to a job's command when the job was ended before it finished.
constexpr WPARAM kJobCancelled = 0x10000;

}  // namespace

ButtonJobRunner::ButtonJobRunner(const ButtonJobTable* jobs, int commandId, IToolbarButton* button)
    : jobs_(jobs), commandId_(commandId), button_(button) {}

ButtonJobRunner::~ButtonJobRunner() {
  Stop();
  ReleaseProcessLock();
}

void ButtonJobRunner::Tick() {
  RestartTimer(false);
  if (!HoldsMutex() && RunningJob() == 0 && TakeProcessLock() && !TakeJob()) ReleaseProcessLock();
  RestartTimer(true);
}

// False when another browser process runs this button's job.
bool ButtonJobRunner::TakeProcessLock() {
  wchar_t name[200];
  swprintf(name, 200, L"ToolbarBaseObjJob__%d", commandId_);
  win::UniqueMutex mutex(CreateMutexW(nullptr, TRUE, name));
  if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return false;
  processLock_.store(mutex.Release());
  return true;
}

void ButtonJobRunner::ReleaseProcessLock() { win::UniqueMutex taken(processLock_.exchange(nullptr)); }

void ButtonJobRunner::Start() {
  if (thread_ && WaitForSingleObject(thread_.Get(), 0) == WAIT_TIMEOUT) return;
  thread_.Reset(CreateThread(nullptr, 0, &ButtonJobRunner::JobThread, this, 0, nullptr));
  if (!thread_) {
    runningJob_.store(0);
    ReleaseProcessLock();
  }
}

void ButtonJobRunner::Stop() {
  // A thread that has cleared the running id is done with its job and only
  // exiting; killed there it can leave the loader lock held, and the process
  // hangs at its exit. Let it end instead.
  const DWORD wait = RunningJob() == 0 ? 5000 : 0;
  if (thread_ && WaitForSingleObject(thread_.Get(), wait) == WAIT_TIMEOUT) {
    TerminateThread(thread_.Get(), static_cast<DWORD>(-1));
    // Termination is asynchronous: let it land before the state is touched.
    WaitForSingleObject(thread_.Get(), 1000);
  }
  thread_.Reset();
  const int running = runningJob_.exchange(0);
  if (running != 0) {
    const ButtonJobEntry* entry = jobs_ != nullptr ? jobs_->Find(running) : nullptr;
    const WPARAM command = entry != nullptr ? entry->command : 0;
    PostMessageW(window_, WM_COMMAND, command + kJobCancelled, 0);
    ReleaseProcessLock();
  }
}

void ButtonJobRunner::RestartTimer(bool start) {
  if (jobs_ == nullptr || window_ == nullptr) return;
  if (start) {
    SetTimer(window_, jobs_->timerId, jobs_->periodMs, nullptr);
  } else {
    KillTimer(window_, jobs_->timerId);
  }
}

bool ButtonJobRunner::TakeJob() {
  if (jobs_ == nullptr) return false;
  if (pendingJob_ != 0) {
    const int pending = pendingJob_;
    pendingJob_ = 0;
    if (jobs_->Find(pending) == nullptr || !button_->AcceptJob(pending)) return false;
    Take(pending);
    return true;
  }
  for (const ButtonJobEntry* entry = jobs_->jobs; entry != nullptr && entry->jobId != 0; ++entry) {
    if (button_->AcceptJob(entry->jobId)) {
      Take(entry->jobId);
      return true;
    }
  }
  return false;
}

// Through the button's slot, so that a button may start the job its own way.
void ButtonJobRunner::Take(int jobId) {
  runningJob_.store(jobId);
  button_->StartJob();
}

DWORD WINAPI ButtonJobRunner::JobThread(void* self) {
  static_cast<ButtonJobRunner*>(self)->RunJob();
  return 0;
}

// On the job thread. The thread handle stays with the UI thread, which may
// still wait on it; everything else the job held is let go here.
void ButtonJobRunner::RunJob() {
  const int jobId = RunningJob();
  const int result = button_->JobResult(jobId);
  const ButtonJobEntry* entry = jobs_->Find(jobId);
  if (entry != nullptr && entry->command != 0) PostMessageW(window_, WM_COMMAND, entry->command, result);
  ReleaseProcessLock();
  runningJob_.store(0);
}
