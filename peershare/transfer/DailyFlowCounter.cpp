#include "transfer/DailyFlowCounter.h"

#include <algorithm>

#include "frame/HostClient.h"

namespace {

uint32_t StampOf(int64_t moment) { return static_cast<uint32_t>(moment); }

}  // namespace

DailyFlowCounter::DailyFlowCounter(std::atomic<uint32_t>& counter, std::string path)
    : counter_(counter), file_(std::move(path)) {}

void DailyFlowCounter::Report(uint32_t mebibytes, int64_t moment) {
  if (appServer_ != 0 && host_ != nullptr) host_->ReportTraffic(mebibytes, static_cast<int32_t>(StampOf(moment)), 1);
}

void DailyFlowCounter::Start() {
  const int64_t now = Now();
  lastStamp_ = now;
  DailyFlowFile::Record stored;
  if (!file_.Read(stored)) return;
  if (LocalClock::SameDay(stored.dayStamp, now)) {
    // A count below zero is no count of uploads.
    counter_.store(static_cast<uint32_t>(std::max(stored.mebibytes, 0)));
    lastStamp_ = stored.dayStamp;
    return;
  }
  if (stored.mebibytes > 0) Report(static_cast<uint32_t>(stored.mebibytes), stored.dayStamp);
  file_.Overwrite({StampOf(now), 0});
}

// A timer that comes late (a busy or sleeping machine) may skip the half
// hour after midnight: the day that ended is told by the date of the last
// stamp, not by the hour alone, so its count never runs into the next day.
void DailyFlowCounter::Tick() {
  const int64_t now = Now();
  if (LocalClock::SameDay(now, lastStamp_)) {
    file_.Replace({StampOf(now), static_cast<int32_t>(counter_.load())});
  } else {
    // An hour before now stands for the finished day, as long as it lies in it.
    int64_t moment = now - kHour;
    if (!LocalClock::SameDay(moment, lastStamp_)) moment = lastStamp_;
    Report(counter_.exchange(0), moment);
    file_.Replace({StampOf(now), 0});
  }
  lastStamp_ = now;
}
