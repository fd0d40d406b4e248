// The upload manager's records, the messages the client's threads post and
// the upload record report.
#include "transfer/UploadManager.h"

#include <algorithm>
#include <new>

#include "transfer/TaskSource.h"

namespace {

// Records the client may still hold when the manager goes: kept, quiet,
// until the library itself goes.
std::mutex abandonedLock;
std::vector<std::unique_ptr<UploadRecord>>& Abandoned() {
  static std::vector<std::unique_ptr<UploadRecord>> records;
  return records;
}

UploadItem ItemOf(const char* name, const char* localPath, int32_t category, uint32_t size, int32_t value) {
  UploadItem item;
  item.name = name != nullptr ? name : "";
  item.localPath = localPath != nullptr ? localPath : "";
  item.category = category;
  item.size = size;
  item.value = value;
  return item;
}

}  // namespace

UploadManager::UploadManager(HostClient* host, Clock clock) : host_(host), clock_(std::move(clock)) {
  lastReportStart_ = Now();
}

UploadManager::~UploadManager() {
  Stop();
  DestroyListWindow();
  std::lock_guard<std::mutex> hold(lock_);
  std::lock_guard<std::mutex> keep(abandonedLock);
  for (auto* records : {&records_, &retiring_}) {
    for (auto& [id, record] : *records) {
      record->Cut();
      Abandoned().push_back(std::move(record));
    }
    records->clear();
  }
}

bool UploadManager::Create(HWND parent, int id, const RECT& area) {
  if (Handle() != nullptr) return true;
  if (stopped_ || !CreateListWindow(parent, id, area, LVS_OWNERDATA)) return false;
  windowThread_ = GetCurrentThreadId();
  shared_->mailbox.SetWindow(Handle());
  CreateColumns();
  RebuildRows(RecordOrder());
  SetTimer(Handle(), kRefreshTimer, kRefreshInterval, nullptr);
  SetTimer(Handle(), kReportTimer, kReportInterval, nullptr);
  return true;
}

void UploadManager::Stop() {
  if (stopped_.exchange(true)) return;
  if (Handle() != nullptr) {
    KillTimer(Handle(), kRefreshTimer);
    KillTimer(Handle(), kReportTimer);
  }
  shared_->mailbox.SetWindow(nullptr);
  // A thread that is still waiting for a silent server holds the report and
  // the library by itself.
  WaitForReports(kReportStopWait);
  reportThreads_.clear();
}

void UploadManager::OnListGone() { shared_->mailbox.SetWindow(nullptr); }

// --- records -----------------------------------------------------------------

uint32_t UploadManager::Insert(std::unique_ptr<UploadRecord> record) {
  std::lock_guard<std::mutex> hold(lock_);
  if (stopped_) return 0;
  uint32_t id = record->Id();
  records_.emplace(id, std::move(record));
  return id;
}

UploadRecord* UploadManager::AddUpload(const char* name, const char* localPath, int32_t category, uint32_t size,
                                       int32_t value) {
  try {
    auto record = std::make_unique<UploadRecord>(ItemOf(name, localPath, category, size, value), shared_);
    UploadRecord* added = record.get();
    uint32_t id = Insert(std::move(record));
    if (id == 0) return nullptr;
    if (Handle() != nullptr && OnWindowThread()) {
      OnNewUpload(id);
    } else {
      shared_->mailbox.Post(kNewUploadMessage, id, 0, 10);
    }
    return added;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

uint32_t UploadManager::AddFinishedDownload(const UploadItem& item) {
  try {
    uint32_t id = Insert(std::make_unique<UploadRecord>(item, shared_));
    if (id != 0) shared_->mailbox.Post(kNewUploadMessage, id, 0, 10);
    return id;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

size_t UploadManager::UploadCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return records_.size();
}

size_t UploadManager::RetiringCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return retiring_.size();
}

UploadRecord* UploadManager::FindRecord(uint32_t id) const {
  std::lock_guard<std::mutex> hold(lock_);
  auto found = records_.find(id);
  if (found != records_.end()) return found->second.get();
  found = retiring_.find(id);
  return found != retiring_.end() ? found->second.get() : nullptr;
}

void UploadManager::OnNewUpload(uint32_t id) {
  UploadRecord* record = nullptr;
  {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = records_.find(id);
    if (found == records_.end()) return;  // ended before its row came
    record = found->second.get();
  }
  std::vector<UploadRecord*> order = RecordOrder();
  if (std::find(order.begin(), order.end(), record) != order.end()) return;
  order.insert(order.begin(), record);
  RebuildRows(order);
  ReportStatus(-1);
}

// The client's last call on the record: it is freed here.
void UploadManager::OnEnded(uint32_t id) {
  std::unique_ptr<UploadRecord> record;
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto* records : {&records_, &retiring_}) {
      auto found = records->find(id);
      if (found == records->end()) continue;
      record = std::move(found->second);
      records->erase(found);
      break;
    }
  }
  if (record == nullptr) return;
  RemoveRows(*record);
  record.reset();
  ReportStatus(-1);
}

void UploadManager::OnSourceAdded(uint32_t id, TaskSource* source) {
  UploadRecord* record = FindRecord(id);
  if (record == nullptr || !record->Sources().TakeReported(source)) return;
  if (record->expanded) RebuildRows(RecordOrder());
}

void UploadManager::OnSourceRemoved(uint32_t id, TaskSource* source) {
  UploadRecord* record = FindRecord(id);
  if (record == nullptr || record->Sources().Find(source) == nullptr) return;
  record->Sources().Retire(source);
  RebuildRows(RecordOrder());
}

void UploadManager::OnSourceChanged(uint32_t id, TaskSource* source) {
  UploadRecord* record = FindRecord(id);
  if (record == nullptr || record->Sources().Find(source) == nullptr) return;
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].source == source) Control().RedrawItems(static_cast<int>(i), static_cast<int>(i));
}

std::vector<uint32_t> UploadManager::EndedIds() const {
  std::vector<uint32_t> ended;
  std::lock_guard<std::mutex> hold(lock_);
  for (const auto* records : {&records_, &retiring_})
    for (const auto& [id, record] : *records)
      if (record->HasEnded()) ended.push_back(id);
  return ended;
}

int32_t UploadManager::PeerCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  size_t peers = 0;
  for (const auto& [id, record] : records_) peers += record->Sources().Taken().size();
  return static_cast<int32_t>(peers);
}

void UploadManager::ReportStatus(int32_t peers) {
  if (onStatus) onStatus(static_cast<int32_t>(UploadCount()), peers);
}

void UploadManager::TakeUploadedBytes() {
  int64_t bytes = shared_->uploadedBytes.exchange(0);
  if (bytes > 0 && onUploadedBytes) onUploadedBytes(bytes);
}

void UploadManager::SetTunnelCounts(int32_t maximum, int32_t member) {
  maxTunnels_ = maximum;
  memberTunnels_ = member;
}

void UploadManager::Refresh() {
  if (stopped_) return;
  TakeUploadedBytes();
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto& [id, record] : records_) {
      record->timeUsed += 2;
      record->refreshed = true;
    }
  }
  for (uint32_t id : EndedIds()) OnEnded(id);
  ReportStatus(PeerCount());
  // Rows of uploads that are no longer there go.
  std::vector<UploadRecord*> order = RecordOrder(), live;
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (UploadRecord* record : order)
      if (records_.count(record->Id()) != 0) live.push_back(record);
  }
  if (live.size() != order.size()) RebuildRows(live);
  RedrawVisibleRows();
}

// --- messages ------------------------------------------------------------------

LRESULT UploadManager::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  auto id = static_cast<uint32_t>(wParam);
  auto* source = reinterpret_cast<TaskSource*>(lParam);
  switch (message) {
    case WM_TIMER:
      if (wParam == kRefreshTimer) Refresh();
      if (wParam == kReportTimer) CheckReportDay();
      return 0;
    case kNewUploadMessage:
      OnNewUpload(id);
      return 0;
    case kTaskEndedMessage:
      OnEnded(id);
      return 0;
    case kSourceAddedMessage:
      OnSourceAdded(id, source);
      return 0;
    case kSourceRemovedMessage:
      OnSourceRemoved(id, source);
      return 0;
    case kSourceChangedMessage:
      OnSourceChanged(id, source);
      return 0;
    default:
      return ListWindow::OnListMessage(message, wParam, lParam);
  }
}

LRESULT UploadManager::OnListNotify(NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOA:
      FillCell(reinterpret_cast<NMLVDISPINFOA&>(header));
      return 0;
    case NM_CUSTOMDRAW:
      return CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    case NM_DBLCLK: {
      int row = reinterpret_cast<NMITEMACTIVATE&>(header).iItem;
      if (row >= 0 && row < static_cast<int>(rows_.size()) && rows_[row].source == nullptr)
        ToggleExpanded(*rows_[row].record);
      return 0;
    }
    case NM_RCLICK: {
      POINT at;
      GetCursorPos(&at);
      ShowRowMenu(at);
      return 0;
    }
    default:
      return 0;
  }
}

// --- report ----------------------------------------------------------------------

UploadRecordReport::Inputs UploadManager::ReportInputs() const {
  UploadRecordReport::Inputs inputs;
  inputs.uploadRecord = settings_.uploadRecord;
  inputs.uploadUrl = settings_.uploadUrl;
  inputs.user = user_;
  inputs.logPath = trafficLogPath_;
  inputs.now = Now();
  return inputs;
}

// The report at start-up waits on a thread of its own like the hourly one:
// a slow operator's server never holds up the window.
void UploadManager::OnSettingsApplied(const ServerSettings::Values& values) {
  settings_ = values;
  if (startupReportStarted_ || !values.UploadRecordsEnabled()) return;
  startupReportStarted_ = true;
  StartReport();
}

void UploadManager::CheckReportDay() {
  int64_t now = Now();
  if (LocalClock::SameDay(now, lastReportStart_)) return;
  lastReportStart_ = now;
  StartReport();
}

bool UploadManager::StartReport() {
  if (stopped_) return false;
  RunningReports();
  UploadRecordReport::Inputs inputs = ReportInputs();
  if (inputs.uploadRecord == 0 || inputs.uploadUrl.empty()) return false;
  win::UniqueThread thread = UploadRecordReport::StartThread(report_, inputs);
  if (!thread) return false;
  reportThreads_.push_back(std::move(thread));
  return true;
}

size_t UploadManager::RunningReports() {
  reportThreads_.erase(std::remove_if(reportThreads_.begin(), reportThreads_.end(),
                                      [](const win::UniqueThread& thread) {
                                        return WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0;
                                      }),
                       reportThreads_.end());
  return reportThreads_.size();
}

bool UploadManager::WaitForReports(DWORD milliseconds) {
  DWORD end = GetTickCount() + milliseconds;
  while (RunningReports() > 0) {
    LONG left = static_cast<LONG>(end - GetTickCount());
    if (left <= 0) return false;
    WaitForSingleObject(reportThreads_.front().Get(), static_cast<DWORD>(left));
  }
  return true;
}
