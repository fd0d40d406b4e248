#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "transfer/FlowReportPost.h"
#include "transfer/TrafficLog.h"
#include "win/Handles.h"

// The upload record report: the TrafficLog records of earlier days are
// summed and posted to the operator's flow-report endpoint; the records the
// server accepted (answer 0 or 2) leave the log. One run at a time, under
// the report mutex; a run may come from the window thread or a thread of
// its own (StartThread).
class UploadRecordReport {
 public:
  static constexpr DWORD kMutexWait = 3000;
  // The longest request target of one post. More records than fit go in
  // further posts of the same form, each with the flow of its own records.
  static constexpr size_t kMaxTarget = 8000;
  // A realIP longer than this is no address: such a record is not sent.
  static constexpr size_t kMaxAddress = 255;

  struct Inputs {
    int32_t uploadRecord = 0;
    std::string uploadUrl;
    uint32_t user = 0;
    std::string logPath;
    int64_t now = 0;  // seconds since 1970
  };
  enum class Step { Disabled, Busy, Unreadable, NothingToSend, Sent };
  struct Outcome {
    Step step = Step::Disabled;
    int32_t answer = FlowReportPost::kFailed;  // of the last post
    size_t posts = 0;
    size_t reported = 0;  // records of earlier days that were sent
    size_t removed = 0;
    size_t skipped = 0;   // records whose numbers did not read
  };

  UploadRecordReport();
  UploadRecordReport(const UploadRecordReport&) = delete;
  UploadRecordReport& operator=(const UploadRecordReport&) = delete;

  void SetTimeouts(const FlowReportPost::Timeouts& timeouts) { timeouts_ = timeouts; }
  HANDLE Mutex() const { return mutex_.Get(); }

  // Runs the report once; never throws.
  Outcome Run(const Inputs& inputs);

  // Runs the report on a new thread. The thread holds the report and keeps
  // the module that holds this code loaded until it ends, so the plug-in may
  // stop and be unloaded while a slow server keeps it waiting.
  static win::UniqueThread StartThread(std::shared_ptr<UploadRecordReport> report, const Inputs& inputs);

  // The four parameter texts of one post, in the order the server reads them.
  static std::vector<std::string> Parameters(uint32_t user, int64_t now, uint64_t total,
                                             const std::string& connectors);
  // "friendid@realIP", the address escaped so that it stays one entry.
  static std::string Connector(const TrafficRecord& record);

 private:
  Outcome RunHoldingMutex(const Inputs& inputs);
  // Sends `records` in posts of at most kMaxTarget bytes; removes what the
  // server accepted. False when a post was not accepted.
  bool Send(const Inputs& inputs, const FlowReportPost::Address& address, const std::vector<TrafficRecord>& records,
            Outcome& outcome);

  win::UniqueMutex mutex_;
  TrafficLog log_;
  FlowReportPost::Timeouts timeouts_;
};
