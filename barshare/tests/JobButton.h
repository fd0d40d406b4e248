#pragma once

// A button of the tests' own that takes its jobs, so that the job machinery of
// ToolbarButtonBase can be watched.
#include "button/ToolbarButtonBase.h"

class JobButton : public ToolbarButtonBase {
 public:
  static constexpr UINT16 kTimerId = 555;
  static constexpr UINT16 kCommand = 600;
  static constexpr int kResult = 7;

  // commandId names the job mutex; flags as in ButtonConfig.
  JobButton(UINT8 commandId, UINT32 flags, UINT32 periodMs = 50)
      : ToolbarButtonBase(MakeConfig(commandId, flags), &table_, &imageIndex_),
        table_{kTimerId, periodMs, kJobs} {}

  int STDMETHODCALLTYPE AcceptJob(int jobId) override {
    ++offered;
    return accept && jobId != refusedJob;
  }
  int STDMETHODCALLTYPE JobResult(int jobId) override {
    ranJob = jobId;
    if (release != nullptr) WaitForSingleObject(release, INFINITE);
    return kResult + jobId - 1;
  }

  bool accept = true;
  int refusedJob = 0;
  volatile LONG offered = 0;
  volatile int ranJob = 0;
  HANDLE release = nullptr;  // when set, a job runs until it is signalled

 private:
  static ButtonConfig MakeConfig(UINT8 commandId, UINT32 flags) {
    return ButtonConfig{1, commandId, 0, 0, flags, L"Jobs", 0, 0, 0, 0};
  }
  static constexpr ButtonJobEntry kJobs[] = {{1, kCommand}, {2, kCommand + 1}, {0, 0}};
  ButtonJobTable table_;
  int imageIndex_ = -1;
};
