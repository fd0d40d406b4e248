// How a download ends (finished, ended, deleted), the sources the client
// reports, and the player.
#include "transfer/DownloadList.h"

#include <ctime>

#include "frame/HostClient.h"
#include "frame/HostTransfer.h"
#include "frame/PlayableExtension.h"
#include "transfer/FieldText.h"

std::unique_ptr<DownloadTask> DownloadList::TakeTask(uint32_t id) {
  for (auto* tasks : {&tasks_, &retiring_}) {
    auto found = tasks->find(id);
    if (found == tasks->end()) continue;
    std::unique_ptr<DownloadTask> task = std::move(found->second);
    tasks->erase(found);
    return task;
  }
  return nullptr;
}

// A task whose transfer the client still runs stays until the client's last
// call on its sink (operation 3).
void DownloadList::Retire(std::unique_ptr<DownloadTask> task) {
  if (task == nullptr || task->transfer == nullptr) return;
  uint32_t id = task->Id();
  retiring_.emplace(id, std::move(task));
}

void DownloadList::Discard(DownloadTask& task) {
  std::unique_ptr<DownloadTask> owned = TakeTask(task.Id());
  if (owned == nullptr) return;
  RemoveRows(task);
  task.deleting = true;
  if (task.transfer != nullptr) {
    player_.SendDeleted(task.item.md5);
    task.transfer->Stop(1, 0);
  }
  Retire(std::move(owned));
}

void DownloadList::Delete(DownloadTask& task) {
  Discard(task);
  SaveAndNotify();
}

void DownloadList::MoveToHistory(DownloadTask& task) {
  if (task.inHistory || !task.IsComplete()) return;
  task.inHistory = true;
  document_.AppendHasDownload(task.item.fileType, task.item.fileSize, task.item.localFileName, task.item.comment,
                              static_cast<int64_t>(std::time(nullptr)));
  if (addFinishedFile) addFinishedFile(task.item.localFileName, task.item.md5, task.item.fileSize, task.item.fileType);
}

// Operation 4: the file serves uploads now; the download is over.
void DownloadList::OnHandedOver(uint32_t taskId) {
  if (closing_) return;
  std::unique_ptr<DownloadTask> task;
  auto found = tasks_.find(taskId);
  if (found == tasks_.end()) return;
  task = std::move(found->second);
  tasks_.erase(found);
  RemoveRows(*task);
  MoveToHistory(*task);
  Retire(std::move(task));
  SaveAndNotify();
}

// Operation 3: the client's last call; the task is freed here.
void DownloadList::OnTaskEnded(uint32_t taskId) {
  if (closing_) return;
  std::unique_ptr<DownloadTask> task = TakeTask(taskId);
  if (task == nullptr) return;
  if (task->transfer != nullptr) task->transfer->Release();
  task->transfer = nullptr;
  RemoveRows(*task);
  if (!task->deleting) MoveToHistory(*task);
  task.reset();
  SaveAndNotify();
}

void DownloadList::OnTaskRow(uint32_t taskId, int position) {
  DownloadTask* task = FindTask(taskId);
  if (task == nullptr || RowOf(task) >= 0) return;
  SnapshotRow(*task);
  InsertTaskRow(*task, position);
}

void DownloadList::OnSourceAdded(uint32_t taskId, TaskSource* source) {
  DownloadTask* task = FindTask(taskId);
  if (task == nullptr || !task->TakeReportedSource(source)) return;
  if (task->expanded) InsertSourceRow(*task, *source);
}

void DownloadList::OnSourceRemoved(uint32_t taskId, TaskSource* source) {
  DownloadTask* task = FindTask(taskId);
  if (task == nullptr || task->FindSource(source) == nullptr) return;
  RemoveSourceRow(*source);
  task->RetireSource(source);
  if (task->expanded) RebuildRows(TaskOrder());
}

void DownloadList::OnSourceChanged(uint32_t taskId, TaskSource* source) {
  DownloadTask* task = FindTask(taskId);
  if (task == nullptr || task->FindSource(source) == nullptr) return;
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].source == source) view_.RedrawItems(static_cast<int>(i), static_cast<int>(i));
}

// --- player ------------------------------------------------------------------

void DownloadList::PlayTask(DownloadTask& task) {
  if (task.transfer == nullptr) return;
  task.transfer->SetMode(kModePlay, 0);
  char stream[kHostTextMax] = "";
  int32_t number = 0;
  if (task.transfer->PlayerStream(stream, &number) == 0) return;
  stream[sizeof stream - 1] = '\0';
  player_.PlayRunning(task.item.md5, task.item.localFileName, stream, number);
}

void DownloadList::OnCellClick(int row, int logicalColumn) {
  if (logicalColumn != kPlay || row < 0 || row >= static_cast<int>(rows_.size()) || rows_[row].source != nullptr)
    return;
  DownloadTask& task = *rows_[row].task;
  if (IsPlayableName(task.item.fileName)) PlayTask(task);
}

void DownloadList::PlayFileByHash(const std::string& hash) {
  if (DownloadTask* task = FindTaskByHash(hash)) return PlayTask(*task);
  std::string path;
  if (findSharedFile && findSharedFile(hash, path)) player_.PlayFile(path);
}

void DownloadList::OnPlayerRecord(const COPYDATASTRUCT& data) {
  int32_t command = 0;
  std::string text;
  if (closing_ || !PlayerLink::Read(data, command, text)) return;
  if (command == PlayerLink::kClientInfo) {
    player_.SendClientInfo();
  } else if (command == PlayerLink::kPlay) {
    std::string hash = FieldText::LowerHash(text);
    std::string path;
    bool known = FieldText::IsHash(hash) &&
                 (FindTaskByHash(hash) != nullptr || (findSharedFile && findSharedFile(hash, path)));
    if (known) {
      PlayFileByHash(hash);
    } else {
      player_.SendBack(data.lpData, data.cbData);
    }
  }
}
