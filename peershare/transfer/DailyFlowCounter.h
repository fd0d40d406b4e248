#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "transfer/DailyFlowFile.h"
#include "transfer/LocalClock.h"

class HostClient;

// The whole MiB uploaded each day: the count of the current day lives in
// the process-wide counter (the coin accounting adds to it) and in the
// DailyFlowFile; the count of a finished day goes to the client's
// ReportTraffic when "appServer" is nonzero. Runs on the window thread.
class DailyFlowCounter {
 public:
  static constexpr unsigned kTickInterval = 1800000;  // 30 minutes
  static constexpr int64_t kHour = 3600;

  DailyFlowCounter(std::atomic<uint32_t>& counter, std::string path);

  void SetHost(HostClient* host) { host_ = host; }
  void SetAppServer(int32_t appServer) { appServer_ = appServer; }
  void SetClock(Clock clock) { clock_ = std::move(clock); }
  const DailyFlowFile& File() const { return file_; }

  // At the creation of the download list: the day's count goes on where
  // the file's day is today; a finished day's count is reported and the
  // file starts the new day. A missing or short file changes nothing.
  void Start();
  // Every 30 minutes: after a day ended, its count is reported and the
  // counter starts again; otherwise the file takes the count so far.
  void Tick();
  // The moment the file was last written or found current.
  int64_t LastStamp() const { return lastStamp_; }

 private:
  void Report(uint32_t mebibytes, int64_t moment);
  int64_t Now() const { return clock_ ? clock_() : LocalClock::SystemNow(); }

  std::atomic<uint32_t>& counter_;
  DailyFlowFile file_;
  HostClient* host_ = nullptr;
  int32_t appServer_ = 0;
  Clock clock_;
  int64_t lastStamp_ = 0;
};
