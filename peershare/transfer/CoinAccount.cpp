#include "transfer/CoinAccount.h"

#include <algorithm>

#include "frame/HostClient.h"

namespace {

int32_t Clamp32(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

}  // namespace

void CoinAccount::SetBalance(int32_t coins) {
  balance_ = coins;
  lastReported_ = coins;
}

int32_t CoinAccount::Balance() const { return Clamp32(balance_); }

std::atomic<uint32_t>& CoinAccount::DayUploadMiB() {
  static std::atomic<uint32_t> counter{0};
  return counter;
}

int64_t CoinAccount::TakeWholeMiB(std::atomic<int64_t>& bytes) {
  int64_t current = bytes.load();
  // Other threads keep adding: take off exactly what was counted.
  while (current >= kMiB && !bytes.compare_exchange_weak(current, current % kMiB)) {
  }
  return current >= kMiB ? current / kMiB : 0;
}

void CoinAccount::Settle(HostClient* host, bool forced) {
  balance_ -= TakeWholeMiB(billableBytes_);
  int64_t earned = TakeWholeMiB(uploadedBytes_);
  balance_ += earned;
  earned_ += earned;
  DayUploadMiB().fetch_add(static_cast<uint32_t>(earned));
  if (!forced && balance_ - lastReported_ < kReportStep && lastReported_ - balance_ < kReportStep) return;
  int64_t spent = lastReported_ + earned_ - balance_;
  if ((earned_ > 0 || spent > 0) && host != nullptr) host->AddTraffic(Clamp32(std::max<int64_t>(spent, 0)), Clamp32(earned_));
  earned_ = 0;
  lastReported_ = balance_;
}
