#include "transfer/UploadRecordReport.h"

#include <cstdio>
#include <new>

#include "transfer/LocalClock.h"

namespace {

constexpr double kKiB = 1024.0;

uint64_t SaturatingAdd(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

class MutexHold {
 public:
  MutexHold(HANDLE mutex, DWORD wait) : mutex_(mutex) {
    DWORD result = WaitForSingleObject(mutex, wait);
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  }
  ~MutexHold() {
    if (held_) ReleaseMutex(mutex_);
  }
  MutexHold(const MutexHold&) = delete;
  MutexHold& operator=(const MutexHold&) = delete;
  bool Held() const { return held_; }

 private:
  HANDLE mutex_;
  bool held_ = false;
};

struct ThreadStart {
  std::shared_ptr<UploadRecordReport> report;
  UploadRecordReport::Inputs inputs;
  HMODULE module = nullptr;
};

DWORD WINAPI ReportThread(void* parameter) {
  auto* start = static_cast<ThreadStart*>(parameter);
  HMODULE module = start->module;
  start->report->Run(start->inputs);
  delete start;
  // Lets go of the module and ends in one step: no code of it runs after.
  if (module != nullptr) FreeLibraryAndExitThread(module, 0);
  return 0;
}

}  // namespace

UploadRecordReport::UploadRecordReport() : mutex_(CreateMutexA(nullptr, FALSE, nullptr)) {}

std::vector<std::string> UploadRecordReport::Parameters(uint32_t user, int64_t now, uint64_t total,
                                                        const std::string& connectors) {
  LocalClock::Date today;
  LocalClock::Split(now, today);
  char text[3][64];
  std::snprintf(text[0], sizeof text[0], "ClientID=%lu", static_cast<unsigned long>(user));
  std::snprintf(text[1], sizeof text[1], "Timestamp=%02d%02d%02d", today.year, today.month, today.day);
  std::snprintf(text[2], sizeof text[2], "Flow=%.2f", static_cast<double>(total) / kKiB);
  return {text[0], text[1], text[2], "Connectors=" + connectors};
}

std::string UploadRecordReport::Connector(const TrafficRecord& record) {
  return std::to_string(record.friendId) + "@" + FlowReportPost::EscapeValue(record.realIp);
}

UploadRecordReport::Outcome UploadRecordReport::Run(const Inputs& inputs) {
  Outcome outcome;
  if (inputs.uploadRecord == 0 || inputs.uploadUrl.empty()) return outcome;
  MutexHold hold(mutex_.Get(), kMutexWait);
  if (!hold.Held()) {
    outcome.step = Step::Busy;
    return outcome;
  }
  try {
    return RunHoldingMutex(inputs);
  } catch (...) {
    // Out of memory with a huge log: the records stay for the next run.
    outcome.step = Step::Unreadable;
    return outcome;
  }
}

UploadRecordReport::Outcome UploadRecordReport::RunHoldingMutex(const Inputs& inputs) {
  Outcome outcome;
  if (!log_.Load(inputs.logPath)) {
    outcome.step = Step::Unreadable;
    return outcome;
  }
  TrafficLog::Selection selection = log_.RecordsBefore(LocalClock::Midnight(inputs.now));
  std::vector<TrafficRecord> sendable;
  sendable.reserve(selection.records.size());
  uint64_t total = 0;
  for (TrafficRecord& record : selection.records) {
    if (record.realIp.size() > kMaxAddress) {
      ++selection.skipped;
      continue;
    }
    total = SaturatingAdd(total, record.uploadNum);
    sendable.push_back(std::move(record));
  }
  outcome.skipped = selection.skipped;
  outcome.step = Step::NothingToSend;
  if (total > 0) {
    outcome.step = Step::Sent;
    FlowReportPost::Address address;
    if (FlowReportPost::Split(inputs.uploadUrl, address)) {
      Send(inputs, address, sendable, outcome);
    } else {
      outcome.posts = 1;  // a post that fails before it leaves
    }
  }
  log_.Save();
  return outcome;
}

bool UploadRecordReport::Send(const Inputs& inputs, const FlowReportPost::Address& address,
                              const std::vector<TrafficRecord>& records, Outcome& outcome) {
  const size_t fixed = FlowReportPost::Target(address.path, Parameters(inputs.user, inputs.now, UINT64_MAX, "")).size();
  size_t first = 0;
  while (first < records.size()) {
    std::string connectors;
    uint64_t flow = 0;
    size_t end = first;
    for (; end < records.size(); ++end) {
      std::string entry = Connector(records[end]);
      if (end > first && fixed + connectors.size() + 1 + entry.size() > kMaxTarget) break;
      if (end > first) connectors += ",";
      connectors += entry;
      flow = SaturatingAdd(flow, records[end].uploadNum);
    }
    std::vector<TrafficRecord> batch(records.begin() + first, records.begin() + end);
    std::string target = FlowReportPost::Target(address.path, Parameters(inputs.user, inputs.now, flow, connectors));
    outcome.answer = FlowReportPost::Post(address, target, timeouts_);
    ++outcome.posts;
    outcome.reported += batch.size();
    if (outcome.answer != 0 && outcome.answer != 2) return false;
    log_.Remove(batch);
    outcome.removed += batch.size();
    first = end;
  }
  return true;
}

win::UniqueThread UploadRecordReport::StartThread(std::shared_ptr<UploadRecordReport> report, const Inputs& inputs) {
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ReportThread), &self);
  win::UniqueModule pin(self);
  auto* start = new (std::nothrow) ThreadStart{std::move(report), inputs, pin.Get()};
  if (start == nullptr) return win::UniqueThread();
  win::UniqueThread thread(CreateThread(nullptr, 0, &ReportThread, start, 0, nullptr));
  if (!thread) {
    delete start;
    return thread;
  }
  (void)pin.Release();  // the thread lets go of it
  return thread;
}
