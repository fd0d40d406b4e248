#include "share/PublicationQueue.h"

#include <utility>

bool PublicationQueue::Append(Publication record) {
  std::lock_guard<std::mutex> guard(lock_);
  records_.push_back(std::move(record));
  if (wakeUpPending_) return false;
  wakeUpPending_ = true;
  return true;
}

void PublicationQueue::AppendQuietly(Publication record) {
  std::lock_guard<std::mutex> guard(lock_);
  records_.push_back(std::move(record));
}

bool PublicationQueue::Take(Publication& record, bool& more) {
  std::lock_guard<std::mutex> guard(lock_);
  more = false;
  if (records_.empty()) {
    wakeUpPending_ = false;
    return false;
  }
  record = std::move(records_.front());
  records_.pop_front();
  more = !records_.empty();
  wakeUpPending_ = more;
  return true;
}

void PublicationQueue::WakeUpLost() {
  std::lock_guard<std::mutex> guard(lock_);
  wakeUpPending_ = false;
}

bool PublicationQueue::Rewake() {
  std::lock_guard<std::mutex> guard(lock_);
  if (wakeUpPending_ || records_.empty()) return false;
  wakeUpPending_ = true;
  return true;
}

void PublicationQueue::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  records_.clear();
  wakeUpPending_ = false;
}

std::deque<Publication> PublicationQueue::TakeAll() {
  std::lock_guard<std::mutex> guard(lock_);
  std::deque<Publication> taken;
  taken.swap(records_);
  wakeUpPending_ = false;
  return taken;
}

size_t PublicationQueue::Size() const {
  std::lock_guard<std::mutex> guard(lock_);
  return records_.size();
}
