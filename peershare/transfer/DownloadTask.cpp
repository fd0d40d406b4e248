#include "transfer/DownloadTask.h"

#include <algorithm>
#include <cmath>

#include "frame/HostTransfer.h"
#include "transfer/UploadRecord.h"

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

// The file serves uploads from now on: the upload side gets its record
// before the list hears of the end of the download.
void DownloadTask::HandedOver() {
  handedOver_.store(true);
  if (UploadIntake* uploads = shared_.uploads.load()) {
    UploadItem upload;
    upload.name = item.fileName;
    upload.localPath = item.localFileName;
    upload.category = item.fileType;
    upload.size = item.fileSize;
    upload.hash = item.md5;
    upload.comment = Comment();
    uploads->AddFinishedDownload(upload);
  }
  shared_.mailbox.Post(kHandedOverMessage, id_, 0, 10);
}

TaskSource* DownloadTask::NewSource(HostSource* source) { return sources_.Report(source, id_, shared_.mailbox); }

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

void DownloadTask::SetComment(const std::string& comment) {
  std::lock_guard<std::mutex> hold(lock_);
  item.comment = comment;
}

std::string DownloadTask::Comment() const {
  std::lock_guard<std::mutex> hold(lock_);
  return item.comment;
}
