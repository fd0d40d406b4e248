#include "transfer/DownloadTask.h"

#include <algorithm>
#include <cmath>

#include "frame/HostTransfer.h"

namespace {

constexpr double kMiB = 1048576.0;

uint32_t Clamp32(uint64_t value) { return static_cast<uint32_t>(std::min<uint64_t>(value, UINT32_MAX)); }

uint32_t SpeedOf(double bytesPerSecond) {
  if (!(bytesPerSecond > 0)) return 0;  // also NaN
  return bytesPerSecond >= UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytesPerSecond);
}

// A counter that went back (the client started the file again) is a new
// base, never a refund.
uint64_t Growth(uint64_t now, uint64_t before) { return now > before ? now - before : 0; }

}  // namespace

DownloadTask::DownloadTask(const DownloadItemRecord& record, TaskShared& shared)
    : item(record), id_(NextTransferId()), shared_(shared) {}

DownloadTask::~DownloadTask() = default;

void DownloadTask::Progress(uint64_t downloaded, uint64_t uploaded, uint64_t unbilled, uint64_t, double downloadSpeed,
                            double uploadSpeed, double fraction) {
  int64_t billable = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    uint64_t downloadedGrowth = Growth(downloaded, lastDownloaded_), unbilledGrowth = Growth(unbilled, lastUnbilled_);
    billable = downloadedGrowth > unbilledGrowth ? static_cast<int64_t>(downloadedGrowth - unbilledGrowth) : 0;
    lastDownloaded_ = downloaded;
    lastUnbilled_ = unbilled;
  }
  if (billable > 0) shared_.billableBytes.fetch_add(billable);
  downloaded_.store(Clamp32(downloaded));
  uploaded_.store(Clamp32(uploaded));
  unbilled_.store(Clamp32(unbilled));
  downloadSpeed_.store(SpeedOf(downloadSpeed));
  uploadSpeed_.store(SpeedOf(uploadSpeed));
  // Whole percent from hundredths rounded first: cut straight from the
  // product, 0.6 gives 59 in an i686 build, whose x87 unit keeps 0.6 * 100 as
  // 59.99... in its wider format, and 60 in an x86_64 one.
  const double hundredths = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0) * 10000.0;
  percent_.exchange(static_cast<int32_t>(std::lround(hundredths) / 100));
}

void DownloadTask::SetStatusText(const char* text) {
  std::string status = text != nullptr ? text : "";
  if (status == kPausedText && CurrentState() == kQueued) status = kQueuedText;
  std::lock_guard<std::mutex> hold(lock_);
  status_ = std::move(status);
}

void DownloadTask::Complete() { complete_.store(true); }

void DownloadTask::Ended() { shared_.mailbox.Post(kTaskEndedMessage, id_, 0); }

void DownloadTask::HandedOver() {
  handedOver_.store(true);
  shared_.mailbox.Post(kHandedOverMessage, id_, 0, 10);
}

TaskSource* DownloadTask::NewSource(HostSource* source) {
  SourceDescription description = {};
  if (source == nullptr || source->Describe(&description) == 0) return nullptr;
  description.nickname[sizeof description.nickname - 1] = '\0';
  auto record = std::make_unique<TaskSource>(id_, shared_.mailbox);
  record->Describe(description.nickname, description.peerId, description.peerTag);
  record->SetHandle(source);
  record->Progress(description.percent, 0, 0, 0);
  TaskSource* reported = record.get();
  {
    std::lock_guard<std::mutex> hold(lock_);
    reported_.push_back(std::move(record));
  }
  shared_.mailbox.Post(kSourceAddedMessage, id_, reinterpret_cast<LPARAM>(reported));
  return reported;
}

int32_t DownloadTask::Alive() { return 1; }

std::string DownloadTask::StatusText() const {
  std::lock_guard<std::mutex> hold(lock_);
  return status_;
}

void DownloadTask::SetStatus(const std::string& text) {
  std::lock_guard<std::mutex> hold(lock_);
  status_ = text;
}

void DownloadTask::SetPercent(int32_t percent) { percent_.store(std::clamp(percent, 0, 100)); }

double DownloadTask::RemainingCoins() const {
  return static_cast<double>(100 - Percent()) * static_cast<double>(item.fileSize) / (100.0 * kMiB);
}

int64_t DownloadTask::RemainingSeconds() const {
  uint32_t speed = DownloadSpeed();
  if (speed == 0) return -1;
  int64_t remaining = static_cast<int64_t>(item.fileSize) / 100 * (100 - Percent());
  return remaining / std::max<uint32_t>(speed, 10);
}

bool DownloadTask::TakeReportedSource(TaskSource* source) {
  std::lock_guard<std::mutex> hold(lock_);
  auto found = std::find_if(reported_.begin(), reported_.end(), [source](const auto& s) { return s.get() == source; });
  if (found == reported_.end()) return false;
  sources_.push_back(std::move(*found));
  reported_.erase(found);
  return true;
}

TaskSource* DownloadTask::FindSource(const TaskSource* source) const {
  for (const auto& own : sources_)
    if (own.get() == source) return own.get();
  return nullptr;
}

TaskSource* DownloadTask::FindSourceById(uint32_t id) const {
  for (const auto& own : sources_)
    if (own->Id() == id) return own.get();
  return nullptr;
}

void DownloadTask::RetireSource(const TaskSource* source) {
  auto found = std::find_if(sources_.begin(), sources_.end(), [source](const auto& s) { return s.get() == source; });
  if (found == sources_.end()) return;
  retired_.push_back(std::move(*found));
  sources_.erase(found);
}
