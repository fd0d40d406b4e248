#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

// One thing to tell the host about a shared file.
struct Publication {
  bool publish = true;   // false: withdraw the digest
  int code = 0;          // hashing queue code: 1 to 7, 8 for 珍藏
  std::string path;      // the file's local path
  std::string hash;
  uint32_t size = 0;
  std::string comment;
  std::string categoryPath;  // "/3/2"
};

// The records the worker queues for the window thread, in order. A window
// message wakes the window thread for the first records; handling them asks
// for the next wake-up while more are waiting, so however long the queue
// grows, at most one wake-up is in the window's message queue (which holds
// a limited number of posted messages).
class PublicationQueue {
 public:
  // True when the caller must post a wake-up: none is pending.
  bool Append(Publication record);
  // Appends without a wake-up; the caller asks for one through Rewake.
  void AppendQuietly(Publication record);
  // Takes the first record. `more` tells whether the caller must post the
  // next wake-up. False when the queue is empty.
  bool Take(Publication& record, bool& more);
  // A wake-up could not be posted: the next Append or Rewake asks again.
  void WakeUpLost();
  // True when records wait without a pending wake-up (one was lost); the
  // caller then posts one.
  bool Rewake();
  // Drops every record: they belong to a session that ended.
  void Clear();
  // Takes every record, in order.
  std::deque<Publication> TakeAll();
  size_t Size() const;

 private:
  mutable std::mutex lock_;
  std::deque<Publication> records_;
  bool wakeUpPending_ = false;
};
