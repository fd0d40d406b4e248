#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "transfer/SourceList.h"
#include "transfer/TransferMessages.h"
#include "transfer/TransferTaskSink.h"

// What an upload is of: the file and what the client or the finished
// download said about it. Fixed when the record is made.
struct UploadItem {
  std::string name;
  std::string localPath;
  int32_t category = 0;
  uint32_t size = 0;
  // The client's fifth value of a new upload, kept unchanged.
  int32_t value = 0;
  // Known when the upload comes from a finished download.
  std::string hash;
  std::string comment;
};

// What the upload records share with their manager: the window the client's
// threads post to, and the uploaded bytes not credited yet. Shared, so that a
// record the client still holds after the manager went touches nothing freed.
struct UploadShared {
  TransferMailbox mailbox;
  std::atomic<int64_t> uploadedBytes{0};
};

// One file that peers fetch from this machine. The client reports through
// the record's callback interface (the TransferTaskSink slots, from its own
// threads): progress, status texts, receiving peers and the end, posting the
// same messages as a download. The window thread owns the rest.
class UploadRecord final : public TransferTaskSink {
 public:
  static constexpr const char* kStartText = "正在下载";

  UploadRecord(UploadItem item, std::shared_ptr<UploadShared> shared);
  ~UploadRecord();
  UploadRecord(const UploadRecord&) = delete;
  UploadRecord& operator=(const UploadRecord&) = delete;

  // TransferTaskSink, on the client's threads. The uploaded counter feeds
  // the coins; the downloaded and unbilled ones mean nothing here.
  void Progress(uint64_t downloaded, uint64_t uploaded, uint64_t unbilled, uint64_t fourth, double downloadSpeed,
                double uploadSpeed, double fraction) override;
  void SetStatusText(const char* text) override;
  void Complete() override;
  // The client's last call: posts WM_USER+55.
  void Ended() override;
  void HandedOver() override;
  TaskSource* NewSource(HostSource* source) override;
  // 1 while the upload may go on; 0 once the user cut the connection.
  int32_t Alive() override;

  uint32_t Id() const { return id_; }
  const UploadItem& Item() const { return item_; }
  std::string StatusText() const;
  uint32_t Speed() const { return speed_.load(); }
  uint64_t Uploaded() const { return uploaded_.load(); }
  int32_t Percent() const { return percent_.load(); }
  // The client made its last call; the record may go even when the
  // message that says so was lost to a full queue.
  bool HasEnded() const { return ended_.load(); }
  void Cut() { cut_.store(true); }
  bool IsCut() const { return cut_.load(); }
  SourceList& Sources() { return sources_; }
  const SourceList& Sources() const { return sources_; }

  // Window thread only.
  uint32_t timeUsed = 0;
  bool expanded = true;
  // Until the first refresh the row shows speed and time as "0".
  bool refreshed = false;

 private:
  const uint32_t id_;
  const UploadItem item_;
  std::shared_ptr<UploadShared> shared_;
  std::atomic<uint32_t> speed_{0};
  std::atomic<uint64_t> uploaded_{0};
  std::atomic<int32_t> percent_{0};
  std::atomic<bool> cut_{false};
  std::atomic<bool> ended_{false};
  mutable std::mutex lock_;
  // Guarded by lock_.
  std::string status_ = kStartText;
  uint64_t lastUploaded_ = 0;
  SourceList sources_;
};

// Where a download that finished hands its file over to the upload side:
// called on the client's thread; answers the new upload's id (0: none).
class UploadIntake {
 public:
  virtual uint32_t AddFinishedDownload(const UploadItem& item) = 0;

 protected:
  ~UploadIntake() = default;
};
