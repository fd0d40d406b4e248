#include "transfer/UploadRecord.h"

#include <algorithm>
#include <cmath>

UploadRecord::UploadRecord(UploadItem item, std::shared_ptr<UploadShared> shared)
    : id_(NextTransferId()), item_(std::move(item)), shared_(std::move(shared)) {}

UploadRecord::~UploadRecord() = default;

// A counter that went back is a new base, never a refund.
void UploadRecord::Progress(uint64_t, uint64_t uploaded, uint64_t, uint64_t, double, double uploadSpeed,
                            double fraction) {
  int64_t growth = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    growth = uploaded > lastUploaded_ ? static_cast<int64_t>(uploaded - lastUploaded_) : 0;
    lastUploaded_ = uploaded;
  }
  if (growth > 0) shared_->uploadedBytes.fetch_add(growth);
  uploaded_.store(uploaded);
  speed_.store(uploadSpeed > 0 ? static_cast<uint32_t>(std::min<double>(uploadSpeed, UINT32_MAX)) : 0);
  double percent = fraction * 100.0;
  percent_.store(std::isnan(percent) ? 0 : static_cast<int32_t>(std::clamp(percent, 0.0, 100.0)));
}

void UploadRecord::SetStatusText(const char* text) {
  std::lock_guard<std::mutex> hold(lock_);
  status_ = text != nullptr ? text : "";
}

void UploadRecord::Complete() {}

// Once ended_ is set the window thread may free the record at its next
// refresh: nothing of it is touched after that.
void UploadRecord::Ended() {
  std::shared_ptr<UploadShared> shared = shared_;
  const uint32_t id = id_;
  ended_.store(true);
  shared->mailbox.Post(kTaskEndedMessage, id, 0, 10);
}

void UploadRecord::HandedOver() {}

TaskSource* UploadRecord::NewSource(HostSource* source) { return sources_.Report(source, id_, shared_->mailbox); }

int32_t UploadRecord::Alive() { return cut_.load() ? 0 : 1; }

std::string UploadRecord::StatusText() const {
  std::lock_guard<std::mutex> hold(lock_);
  return status_;
}
