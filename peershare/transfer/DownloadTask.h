#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "transfer/TaskSource.h"
#include "transfer/TransferDocument.h"
#include "transfer/TransferMessages.h"
#include "transfer/TransferTaskSink.h"

class HostTransfer;

// What the tasks of one download list share with it: the window the client's
// threads post to, and the downloaded bytes not charged yet.
struct TaskShared {
  TransferMailbox mailbox;
  std::atomic<int64_t> billableBytes{0};
};

// One download. The list's window thread owns the record and its rows; the
// client's threads reach it only through the TransferTaskSink operations,
// which touch the counters (atomic), the status text (under the task's lock)
// and the sources the client reports (under the lock, until the list takes
// them), and otherwise post to the list.
class DownloadTask final : public TransferTaskSink {
 public:
  enum State : int32_t { kPaused = 1, kQueued = 2, kPausedForCoins = 3, kDownloading = 4 };
  static constexpr const char* kQueuedText = "本地排队";
  static constexpr const char* kPausedText = "暂停";
  static constexpr const char* kCoinsShortText = "暂停(拓币不够)";

  DownloadTask(const DownloadItemRecord& item, TaskShared& shared);
  ~DownloadTask();
  DownloadTask(const DownloadTask&) = delete;
  DownloadTask& operator=(const DownloadTask&) = delete;

  // TransferTaskSink, on the client's threads.
  void Progress(uint64_t downloaded, uint64_t uploaded, uint64_t unbilled, uint64_t fourth, double downloadSpeed,
                double uploadSpeed, double fraction) override;
  void SetStatusText(const char* text) override;
  void Complete() override;
  void Ended() override;
  void HandedOver() override;
  TaskSource* NewSource(HostSource* source) override;
  int32_t Alive() override;

  uint32_t Id() const { return id_; }
  State CurrentState() const { return static_cast<State>(state_.load()); }
  void SetState(State state) { state_.store(state); }
  std::string StatusText() const;
  void SetStatus(const std::string& text);

  int32_t Percent() const { return percent_.load(); }
  void SetPercent(int32_t percent);
  uint32_t DownloadSpeed() const { return downloadSpeed_.load(); }
  void ClearDownloadSpeed() { downloadSpeed_.store(0); }
  uint32_t UploadSpeed() const { return uploadSpeed_.load(); }
  uint32_t Downloaded() const { return downloaded_.load(); }
  uint32_t Uploaded() const { return uploaded_.load(); }
  bool IsComplete() const { return complete_.load(); }
  bool IsHandedOver() const { return handedOver_.load(); }
  // The coins the rest of the file costs: (100 - percent) x size / (100 x 1 MiB).
  double RemainingCoins() const;
  // size / 100 x (100 - percent) / max(speed, 10) seconds; negative when unknown.
  int64_t RemainingSeconds() const;

  // Sources the client reported that the list has taken in, in order.
  const std::vector<std::unique_ptr<TaskSource>>& Sources() const { return sources_; }
  // Takes in a source the client reported through NewSource; false when it
  // is not one of this task's.
  bool TakeReportedSource(TaskSource* source);
  // A source the list made for a named peer.
  void AddSource(std::unique_ptr<TaskSource> source) { sources_.push_back(std::move(source)); }
  TaskSource* FindSource(const TaskSource* source) const;
  TaskSource* FindSourceById(uint32_t id) const;
  // Out of the sources; kept until the task is freed, as the client may
  // still hold it.
  void RetireSource(const TaskSource* source);

  // What the row shows: taken from the counters at each refresh.
  struct Shown {
    std::string status;
    uint32_t speed = 0, upSpeed = 0, downloaded = 0, uploaded = 0;
    int32_t percent = 0;
    int64_t remaining = -1;
    bool operator==(const Shown& other) const {
      return status == other.status && speed == other.speed && upSpeed == other.upSpeed &&
             downloaded == other.downloaded && uploaded == other.uploaded && percent == other.percent &&
             remaining == other.remaining;
    }
  };

  // Window thread only.
  DownloadItemRecord item;
  Shown shown;
  HostTransfer* transfer = nullptr;
  uint32_t timeUsed = 0;
  int32_t priority = 0;
  bool expanded = false;
  bool deleting = false;
  bool inHistory = false;
  // The status cell shows kCoinsShortText until the next refresh.
  bool coinsShort = false;
  // The row shows something new since the last refresh drew it.
  bool changed = true;
  const TransferMailbox& Mailbox() const { return shared_.mailbox; }

 private:
  const uint32_t id_;
  TaskShared& shared_;
  std::atomic<int32_t> state_{kQueued};
  std::atomic<int32_t> percent_{0};
  std::atomic<uint32_t> downloadSpeed_{0}, uploadSpeed_{0}, downloaded_{0}, uploaded_{0}, unbilled_{0};
  std::atomic<bool> complete_{false}, handedOver_{false};

  mutable std::mutex lock_;
  // Guarded by lock_.
  std::string status_;
  uint64_t lastDownloaded_ = 0, lastUnbilled_ = 0;
  std::vector<std::unique_ptr<TaskSource>> reported_;

  std::vector<std::unique_ptr<TaskSource>> sources_;
  std::vector<std::unique_ptr<TaskSource>> retired_;
};
