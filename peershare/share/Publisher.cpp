#include "share/Publisher.h"

#include "frame/HostClient.h"
#include "share/CodePageText.h"
#include "share/ShareCategories.h"
#include "share/SharePaths.h"

void Publisher::SetHost(HostClient* host, int32_t appServer) {
  host_ = host;
  appServer_ = appServer;
}

void Publisher::Handle(const Publication& record) {
  if (record.publish) {
    if (record.code != ShareCategories::kCollectionQueueCode && record.code != ShareCategories::kCollectionCode)
      Publish(record);
  } else {
    Withdraw(record);
  }
}

void Publisher::Publish(const Publication& record) {
  const std::string name = SharePaths::DisplayName(record.path);
  if (host_ != nullptr) {
    host_->PublishFile(record.hash.c_str(), name.c_str(), record.size, record.code, record.categoryPath.c_str(),
                       record.comment.c_str());
    if (appServer_ != 0) host_->ReportPublishedFile(name.c_str(), record.hash.c_str(), record.size, record.code);
  }
  Count(GetTickCount64());
}

void Publisher::Withdraw(const Publication& record) {
  if (host_ == nullptr) return;
  host_->UnpublishFile(record.code, record.hash.c_str(), record.categoryPath.c_str());
  if (appServer_ != 0)
    host_->ReportUnpublishedFile(CodePageText::FileNameOf(record.path).c_str(), record.hash.c_str());
  host_->NotifyUnpublishDone();
}

void Publisher::Count(ULONGLONG now) {
  ++counter_;
  published_ = true;
  lastPublication_ = now;
  if (counter_ >= kSaveEvery) SaveAndNotify();
}

void Publisher::CheckDelayedSave(ULONGLONG now) {
  if (published_ && (now - lastPublication_ > quietPeriod_ || counter_ >= kSaveEvery)) SaveAndNotify();
}

void Publisher::SaveAndNotify() {
  if (saveDocument) saveDocument();
  if (host_ != nullptr) host_->NotifyShareChanged();
  Reset();
}

void Publisher::Reset() {
  counter_ = 0;
  published_ = false;
  lastPublication_ = 0;
}
