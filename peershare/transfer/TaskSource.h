#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "frame/HostTransfer.h"
#include "transfer/TransferMessages.h"

// One peer that serves a download: made when the client reports a new source
// or when a request names a peer, shown as a row below its task while the
// task is expanded. The client reports the peer's progress through the
// virtual operations, in slot order, from its own threads; they touch only
// this record and post to the list.
class TaskSource {
 public:
  TaskSource(uint32_t taskId, const TransferMailbox& mailbox);
  TaskSource(const TaskSource&) = delete;
  TaskSource& operator=(const TaskSource&) = delete;

  // slot 0
  virtual void Progress(int32_t percent, uint32_t speed, uint32_t downloaded, uint32_t uploaded);
  // slot 1: the row shows the new text at once
  virtual void SetStatusText(const char* text);
  // slot 2: the client dropped the peer; the last call on this record
  virtual void Removed();
  // After the client's slots.
  virtual ~TaskSource() = default;

  uint32_t Id() const { return id_; }
  uint32_t TaskId() const { return taskId_; }
  // "%s(%d)": nickname and peer number.
  std::string RowName() const;
  std::string StatusText() const;
  void Describe(const std::string& nickname, uint32_t peerId, uint32_t peerTag);
  const std::string& Nickname() const { return nickname_; }
  uint32_t PeerId() const { return peerId_; }
  uint32_t PeerTag() const { return peerTag_; }
  HostSource* Handle() const { return handle_; }
  void SetHandle(HostSource* handle) { handle_ = handle; }

  int32_t Percent() const { return percent_.load(); }
  uint32_t Speed() const { return speed_.load(); }
  uint32_t Downloaded() const { return downloaded_.load(); }
  uint32_t Uploaded() const { return uploaded_.load(); }

 private:
  const uint32_t id_;
  const uint32_t taskId_;
  const TransferMailbox& mailbox_;
  std::string nickname_;
  uint32_t peerId_ = 0, peerTag_ = 0;
  HostSource* handle_ = nullptr;
  std::atomic<int32_t> percent_{0};
  std::atomic<uint32_t> speed_{0}, downloaded_{0}, uploaded_{0};
  mutable std::mutex lock_;
  std::string status_;
};
