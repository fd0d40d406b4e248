// Download requests, the local queue, the two-second refresh and the coins.
#include "transfer/DownloadList.h"

#include <cstdio>

#include "frame/HostClient.h"
#include "frame/HostTransfer.h"
#include "transfer/FieldText.h"

namespace {

constexpr double kMiB = 1048576.0;
// Coins a download leaves in reserve.
constexpr double kReserve = 2.0;

std::string Format(const char* format, const std::string& a, const std::string& b = std::string()) {
  char text[1024];
  std::snprintf(text, sizeof text, format, a.c_str(), b.c_str());
  return text;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int DownloadList::RunningCount() const {
  int running = 0;
  for (const auto& [id, task] : tasks_) running += task->CurrentState() == DownloadTask::kDownloading ? 1 : 0;
  return running;
}

int DownloadList::SourceCount() const {
  size_t sources = 0;
  for (const auto& [id, task] : tasks_) sources += task->Sources().size();
  return static_cast<int>(sources);
}

double DownloadList::RunningNeed() const {
  double need = 0;
  for (const auto& [id, task] : tasks_)
    if (task->CurrentState() == DownloadTask::kDownloading) need += task->RemainingCoins();
  return need;
}

bool DownloadList::LimitAllows(int running, bool member) const {
  return running < kNonMemberLimit || (member && running < kMemberLimit);
}

DownloadTask* DownloadList::FindTask(uint32_t id) const {
  auto found = tasks_.find(id);
  return found != tasks_.end() ? found->second.get() : nullptr;
}

DownloadTask* DownloadList::FindTaskByHash(const std::string& hash) const {
  for (const Row& row : rows_)
    if (row.source == nullptr && row.task->item.md5 == hash) return row.task;
  return nullptr;
}

std::vector<DownloadItemRecord> DownloadList::PendingItems() const {
  std::vector<DownloadItemRecord> items;
  items.reserve(tasks_.size());
  for (const Row& row : rows_)
    if (row.source == nullptr) items.push_back(row.task->item);
  return items;
}

int32_t DownloadList::Add(const Request& request) {
  // 1: not started, closing, or a request no download can come of.
  if (!Ready() || !FieldText::IsHash(request.hash) || request.fileName.empty()) return kRefused;
  const std::string hash = FieldText::LowerHash(request.hash);
  const bool play = request.mode == kModePlay;

  // 2: the file is shared already.
  std::string sharedPath;
  if (findSharedFile && findSharedFile(hash, sharedPath)) {
    if (request.quiet) return kInShareLibrary;
    if (play) {
      player_.PlayFile(sharedPath);
    } else {
      Prompts().Message(Format("%s本地已经有了,(%s)", request.fileName, sharedPath));
    }
    return kInShareLibrary;
  }

  // 3: the file is in the list already.
  if (DownloadTask* task = FindTaskByHash(hash)) {
    if (task->CurrentState() != DownloadTask::kDownloading) Resume(*task);
    if (task->CurrentState() != DownloadTask::kDownloading) return kRefused;
    if (play) PlayTask(*task);
    if (!request.quiet) {
      if (request.peerId != 0 && request.ip != kLoopback) {
        AddNamedSource(*task, request);
      } else {
        Prompts().Message("已经在下载了");
      }
    }
    return kInList;
  }

  // 4: coins for what runs, for this file and the reserve.
  if (!coins_.Covers(RunningNeed() + request.size / kMiB + kReserve)) {
    if (!request.quiet) Prompts().CoinsShort();
    return kNoCoins;
  }

  // 5: a non-member downloads two files at a time.
  int running = RunningCount();
  bool member = running >= kNonMemberLimit && IsMember();
  if (running >= kNonMemberLimit && !member) {
    Prompts().DownloadRestricted();
    return kRefused;
  }

  // 6 and 7: where the file goes.
  std::string folder;
  if (!ChooseTargetFolder(request, folder)) return kRefused;
  std::string localPath = LocalPathFor(folder, request.fileName);
  if (localPath.empty()) return kRefused;

  // 8: the task and its row at the top.
  DownloadItemRecord item;
  item.fileName = FieldText::Cut(request.fileName, TransferDocument::kNameMax);
  item.fromMobile = request.fromMobile;
  item.md5 = hash;
  item.fileType = request.category;
  item.fileSize = request.size;
  item.comment = FieldText::Cut(request.comment, TransferDocument::kCommentMax);
  item.localFileName = localPath;
  auto owned = std::make_unique<DownloadTask>(item, shared_);
  DownloadTask& task = *owned;
  tasks_.emplace(task.Id(), std::move(owned));
  InsertTaskRow(task, 0);

  // 9: start now, or wait in the local queue.
  if (LimitAllows(running, member)) {
    StartTask(task, request.mode);
    if (request.peerId != 0 && request.ip != kLoopback) AddNamedSource(task, request);
    if (play) PlayTask(task);
  } else {
    task.SetState(DownloadTask::kQueued);
    task.SetStatus(DownloadTask::kQueuedText);
  }
  SnapshotRow(task);
  Redraw();

  // 10
  SaveAndNotify();
  return kAdded;
}

bool DownloadList::ChooseTargetFolder(const Request& request, std::string& folder) {
  if (!request.folder.empty()) {
    folder = request.folder;
    return true;
  }
  folder = document_.DownloadFolder();
  if (!document_.AskForFolder() || request.fromMobile != 0) return true;
  bool ask = true;
  std::string chosen;
  bool picked = Prompts().ChooseFolder(lastChosenFolder_.empty() ? folder : lastChosenFolder_, chosen, ask);
  document_.SetAskForFolder(ask);
  if (!picked) return false;
  lastChosenFolder_ = folder = chosen;
  return true;
}

// "%s/%s", or "%s/%s%d%s" with 1, 2, 3 ... while that name is taken on disk
// or by another download of the list. The name given by the peer stays one
// file inside the folder, and the path fits its field: the base name is cut
// when it must be. Empty when the folder alone leaves no room.
std::string DownloadList::LocalPathFor(const std::string& folder, const std::string& fileName) const {
  std::string name = FieldText::SafeFileName(fileName);
  size_t dot = name.rfind('.');
  std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
  auto taken = [this](const std::string& path) {
    if (Exists(path)) return true;
    for (const auto& [id, task] : tasks_)
      if (_stricmp(task->item.localFileName.c_str(), path.c_str()) == 0) return true;
    return false;
  };
  for (uint32_t counter = 0;; ++counter) {
    std::string number = counter == 0 ? std::string() : std::to_string(counter);
    size_t fixed = folder.size() + 1 + number.size() + extension.size();
    if (fixed >= TransferDocument::kNameMax) return std::string();
    std::string path = folder + "/" + FieldText::Cut(base, TransferDocument::kNameMax - fixed) + number + extension;
    if (!taken(path)) return path;
  }
}

void DownloadList::StartTask(DownloadTask& task, int32_t mode) {
  if (task.transfer != nullptr) {
    task.transfer->Resume();
  } else if (task.CurrentState() != DownloadTask::kDownloading && host_ != nullptr) {
    task.ClearDownloadSpeed();
    task.transfer = host_->StartDownload(task.item.localFileName.c_str(), task.item.md5.c_str(), task.item.fileSize,
                                         task.item.fileType, mode, &task);
  }
  task.SetStatus(std::string());
  task.SetState(DownloadTask::kDownloading);
  // The idle count starts again: a task fresh from the queue has had no
  // time to find a source.
  task.priority = 0;
  task.coinsShort = false;
}

void DownloadList::AddNamedSource(DownloadTask& task, const Request& request) {
  if (task.transfer == nullptr) return;
  auto source = std::make_unique<TaskSource>(task.Id(), shared_.mailbox);
  HostSource* handle = task.transfer->AddSource(source.get(), request.peerId, request.peerTag, request.connectionKind,
                                                request.ip, request.port, request.value4, request.value5);
  // A source the client refused is freed again.
  if (handle == nullptr) return;
  source->Describe(request.nickname, request.peerId, request.peerTag);
  source->SetHandle(handle);
  TaskSource& added = *source;
  task.AddSource(std::move(source));
  if (task.expanded) InsertSourceRow(task, added);
}

void DownloadList::Resume(DownloadTask& task) {
  int running = RunningCount();
  bool member = running >= kNonMemberLimit && IsMember();
  if (!LimitAllows(running, member)) {
    if (task.CurrentState() == DownloadTask::kPaused) {
      task.SetState(DownloadTask::kQueued);
      task.SetStatus(DownloadTask::kQueuedText);
    }
    for (auto& [id, other] : tasks_)
      if (other->CurrentState() == DownloadTask::kQueued) other->priority = 0;
    task.priority = 60;
    SnapshotRow(task);
    Redraw();
    char text[256];
    std::snprintf(text, sizeof text,
                  "同时只能下载%d个文件,为优先下载本文件,您可以先将正在下载的文件暂停下载,然后再来下载本文件",
                  running);
    Prompts().Message(text);
    return;
  }
  if (!coins_.Covers(RunningNeed() + task.RemainingCoins() + kReserve)) {
    task.SetState(DownloadTask::kPausedForCoins);
    task.SetStatus(DownloadTask::kCoinsShortText);
  } else {
    StartTask(task, kModeRandom);
  }
  SnapshotRow(task);
  Redraw();
}

void DownloadList::Pause(DownloadTask& task) {
  if (task.CurrentState() != DownloadTask::kDownloading) return;
  task.SetState(DownloadTask::kPaused);
  task.SetStatus(DownloadTask::kPausedText);
  if (task.transfer != nullptr) task.transfer->Pause();
  SnapshotRow(task);
  Redraw();
}

void DownloadList::Tick() {
  if (++ticks_ <= kSkippedTicks) return;
  Refresh();
}

void DownloadList::Refresh() {
  if (!Ready()) return;
  coins_.Settle(host_, false);
  if (onStatus) onStatus(coins_.Balance(), static_cast<int32_t>(tasks_.size()), SourceCount());
  bool timeShown = IsColumnShown(kTimeUsed);
  for (auto& [id, task] : tasks_) {
    task->timeUsed += 2;
    task->changed = task->changed || task->coinsShort || timeShown;
    task->coinsShort = false;
    SnapshotRow(*task);
  }
  AgeAndRequeue();
  StartFromQueue();
  RedrawChangedRows();
}

// Queued tasks gain priority while they wait; a download that found no
// source for a long time makes room for a queued one.
void DownloadList::AgeAndRequeue() {
  bool anyQueued = false;
  for (auto& [id, task] : tasks_) anyQueued = anyQueued || task->CurrentState() == DownloadTask::kQueued;
  for (auto& [id, task] : tasks_) {
    if (task->CurrentState() == DownloadTask::kQueued) {
      task->priority += 2;
    } else if (task->CurrentState() == DownloadTask::kDownloading && task->Sources().empty()) {
      if (task->priority <= 900) {
        task->priority += 2;
      } else if (anyQueued) {
        task->priority = 0;
        task->SetState(DownloadTask::kQueued);
        task->SetStatus(DownloadTask::kQueuedText);
        if (task->transfer != nullptr) task->transfer->Pause();
        SnapshotRow(*task);
      }
    }
  }
}

void DownloadList::StartFromQueue() {
  int running = RunningCount();
  if (running >= kNonMemberLimit && !LimitAllows(running, IsMember())) return;
  double runningNeed = RunningNeed();
  DownloadTask* best = nullptr;
  for (const Row& row : rows_) {
    DownloadTask* task = row.task;
    if (row.source != nullptr || task->CurrentState() != DownloadTask::kQueued) continue;
    if (!coins_.Covers(runningNeed + task->RemainingCoins() + kReserve)) {
      task->coinsShort = true;
      task->changed = true;
      return;
    }
    if (best == nullptr || task->priority > best->priority) best = task;
  }
  if (best == nullptr) return;
  StartTask(*best, kModeRandom);
  SnapshotRow(*best);
}
