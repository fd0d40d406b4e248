#pragma once

#include <windows.h>

#include <atomic>

#include "button/ButtonConfig.h"
#include "button/ToolbarInterfaces.h"
#include "win/Handles.h"

// The periodic job of a toolbar button: a timer on the toolbar window, a
// named mutex that lets one browser process at a time run the button's job,
// and the thread the job runs on. Which job runs and what it answers is
// asked of the button through its AcceptJob and JobResult slots.
class ButtonJobRunner {
 public:
  // jobs may be null (a button without jobs); button is not owned and must
  // outlive the runner.
  ButtonJobRunner(const ButtonJobTable* jobs, int commandId, IToolbarButton* button);
  ~ButtonJobRunner();
  ButtonJobRunner(const ButtonJobRunner&) = delete;
  ButtonJobRunner& operator=(const ButtonJobRunner&) = delete;

  // The toolbar window that gets the timer and the job's commands.
  void SetWindow(HWND toolbarWindow) { window_ = toolbarWindow; }
  bool IsJobTimer(UINT timerId) const { return jobs_ != nullptr && LOWORD(timerId) == jobs_->timerId; }

  // One timer tick: unless a job runs, takes the button's job mutex and
  // starts the first job the button accepts.
  void Tick();
  // Starts the thread for the running job, unless one is still busy.
  void Start();
  // Ends a running job and tells the toolbar it was cancelled.
  void Stop();
  void RestartTimer(bool start);

  int RunningJob() const { return runningJob_.load(); }
  bool HoldsMutex() const { return processLock_.load() != nullptr; }
  // A job to offer first at the next tick.
  void SetPendingJob(int jobId) { pendingJob_ = jobId; }

 private:
  bool TakeProcessLock();
  bool TakeJob();
  void Take(int jobId);
  void ReleaseProcessLock();
  static DWORD WINAPI JobThread(void* self);
  void RunJob();

  const ButtonJobTable* const jobs_;
  const int commandId_;
  IToolbarButton* const button_;
  HWND window_ = nullptr;

  // Shared with the job thread, which lets go of both when its job is done.
  // The mutex is not held by an owner object because either thread may close
  // it; the exchange lets exactly one of them do it.
  std::atomic<HANDLE> processLock_{nullptr};
  std::atomic<int> runningJob_{0};
  int pendingJob_ = 0;
  win::UniqueThread thread_;
};
