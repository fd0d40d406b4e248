#include "transfer/SourceList.h"

#include <algorithm>

#include "frame/HostTransfer.h"

namespace {

template <typename List>
auto Position(List& list, const TaskSource* source) {
  return std::find_if(list.begin(), list.end(), [source](const auto& own) { return own.get() == source; });
}

}  // namespace

TaskSource* SourceList::Report(HostSource* source, uint32_t ownerId, const TransferMailbox& mailbox) {
  SourceDescription description = {};
  if (source == nullptr || source->Describe(&description) == 0) return nullptr;
  description.nickname[sizeof description.nickname - 1] = '\0';
  auto record = std::make_unique<TaskSource>(ownerId, mailbox);
  record->Describe(description.nickname, description.peerId, description.peerTag);
  record->SetHandle(source);
  record->Progress(description.percent, 0, 0, 0);
  TaskSource* reported = record.get();
  {
    std::lock_guard<std::mutex> hold(lock_);
    reported_.push_back(std::move(record));
  }
  mailbox.Post(kSourceAddedMessage, ownerId, reinterpret_cast<LPARAM>(reported));
  return reported;
}

bool SourceList::TakeReported(TaskSource* source) {
  std::lock_guard<std::mutex> hold(lock_);
  auto found = Position(reported_, source);
  if (found == reported_.end()) return false;
  sources_.push_back(std::move(*found));
  reported_.erase(found);
  return true;
}

TaskSource* SourceList::Find(const TaskSource* source) const {
  auto found = Position(sources_, source);
  return found != sources_.end() ? found->get() : nullptr;
}

TaskSource* SourceList::FindById(uint32_t id) const {
  for (const auto& own : sources_)
    if (own->Id() == id) return own.get();
  return nullptr;
}

void SourceList::Retire(const TaskSource* source) {
  auto found = Position(sources_, source);
  if (found == sources_.end()) return;
  retired_.push_back(std::move(*found));
  sources_.erase(found);
}
