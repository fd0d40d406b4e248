#include "transfer/TaskSource.h"

#include <algorithm>
#include <cstdio>

TaskSource::TaskSource(uint32_t taskId, const TransferMailbox& mailbox)
    : id_(NextTransferId()), taskId_(taskId), mailbox_(mailbox) {}

void TaskSource::Progress(int32_t percent, uint32_t speed, uint32_t downloaded, uint32_t uploaded) {
  percent_.store(std::clamp(percent, 0, 100));
  speed_.store(speed);
  downloaded_.store(downloaded);
  uploaded_.store(uploaded);
}

void TaskSource::SetStatusText(const char* text) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    status_ = text != nullptr ? text : "";
  }
  mailbox_.Post(kSourceChangedMessage, taskId_, reinterpret_cast<LPARAM>(this));
}

void TaskSource::Removed() { mailbox_.Post(kSourceRemovedMessage, taskId_, reinterpret_cast<LPARAM>(this)); }

std::string TaskSource::RowName() const {
  char text[128];
  std::snprintf(text, sizeof text, "%s(%d)", nickname_.c_str(), static_cast<int>(peerId_));
  return text;
}

std::string TaskSource::StatusText() const {
  std::lock_guard<std::mutex> hold(lock_);
  return status_;
}

void TaskSource::Describe(const std::string& nickname, uint32_t peerId, uint32_t peerTag) {
  nickname_ = nickname;
  peerId_ = peerId;
  peerTag_ = peerTag;
}
