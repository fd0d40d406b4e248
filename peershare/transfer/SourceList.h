#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "transfer/TaskSource.h"

class HostSource;

// The peers of one transfer (the serving peers of a download, the
// receiving peers of an upload). The client reports a new peer from its own
// threads; the record waits under the list's lock until the window thread
// takes it in. Records are freed with the list only, since the client may
// still hold one it was given.
class SourceList {
 public:
  SourceList() = default;
  SourceList(const SourceList&) = delete;
  SourceList& operator=(const SourceList&) = delete;

  // On a client thread: a record for the peer the source describes, posted
  // to the owner's window as a new source; null when it describes nothing.
  TaskSource* Report(HostSource* source, uint32_t ownerId, const TransferMailbox& mailbox);
  // On the window thread.
  bool TakeReported(TaskSource* source);
  void Add(std::unique_ptr<TaskSource> source) { sources_.push_back(std::move(source)); }
  const std::vector<std::unique_ptr<TaskSource>>& Taken() const { return sources_; }
  TaskSource* Find(const TaskSource* source) const;
  TaskSource* FindById(uint32_t id) const;
  void Retire(const TaskSource* source);

 private:
  std::mutex lock_;
  // Guarded by lock_.
  std::vector<std::unique_ptr<TaskSource>> reported_;
  std::vector<std::unique_ptr<TaskSource>> sources_;
  std::vector<std::unique_ptr<TaskSource>> retired_;
};
