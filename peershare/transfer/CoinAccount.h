#pragma once

#include <atomic>
#include <cstdint>

class HostClient;

// The user's coins as the download list keeps them: one coin per MiB
// downloaded is charged, one per MiB uploaded is earned, and the host hears
// the difference through AddTraffic once it has grown to 50 coins (or when
// the plug-in closes). The byte accumulators are filled by other threads.
class CoinAccount {
 public:
  static constexpr int64_t kMiB = 1048576;
  static constexpr int64_t kReportStep = 50;

  explicit CoinAccount(std::atomic<int64_t>& billableBytes) : billableBytes_(billableBytes) {}

  // The host's balance; it counts as reported.
  void SetBalance(int32_t coins);
  int32_t Balance() const;
  int64_t ExactBalance() const { return balance_; }
  // Whether the balance covers `coins` (fractions count).
  bool Covers(double coins) const { return !(static_cast<double>(balance_) < coins); }

  // Filled by the upload side.
  void AddUploadedBytes(int64_t bytes) { uploadedBytes_.fetch_add(bytes); }
  int64_t UploadedBytes() const { return uploadedBytes_.load(); }
  int64_t BillableBytes() const { return billableBytes_.load(); }
  int32_t EarnedSinceReport() const { return static_cast<int32_t>(earned_); }
  int32_t LastReported() const { return static_cast<int32_t>(lastReported_); }

  // Charges and credits whole MiB and, when due (or `forced`), reports to
  // the host.
  void Settle(HostClient* host, bool forced);

  // Whole MiB uploaded today, for the traffic report: one counter for the
  // process.
  static std::atomic<uint32_t>& DayUploadMiB();

 private:
  // Takes the whole MiB off an accumulator and answers their number.
  static int64_t TakeWholeMiB(std::atomic<int64_t>& bytes);

  std::atomic<int64_t>& billableBytes_;
  std::atomic<int64_t> uploadedBytes_{0};
  int64_t balance_ = 0;
  int64_t lastReported_ = 0;
  int64_t earned_ = 0;
};
