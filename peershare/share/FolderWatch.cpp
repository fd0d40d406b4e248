#include "share/FolderWatch.h"

#include <utility>

#include "share/ShareDirectories.h"

namespace {

constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE |
                           FILE_NOTIFY_CHANGE_LAST_ACCESS | FILE_NOTIFY_CHANGE_CREATION |
                           FILE_NOTIFY_CHANGE_SECURITY;

}  // namespace

// One folder: its handle, the request in flight and the buffer it fills. The
// completion routine finds the record through the OVERLAPPED's event field,
// which requests with a completion routine leave to the caller.
struct FolderWatch::Watched {
  OVERLAPPED overlapped = {};
  FolderWatch* owner = nullptr;
  win::UniqueFile folder;
  bool pending = false;
  bool completed = false;
  alignas(DWORD) BYTE buffer[kBufferSize];
};

FolderWatch::FolderWatch() = default;

FolderWatch::~FolderWatch() { Join(); }

bool FolderWatch::Start(const std::vector<std::string>& folders, HANDLE stopEvent, DWORD timeout,
                        Requests requests) {
  if (thread_ || stopEvent == nullptr) return false;
  watched_.clear();
  for (const std::string& path : folders) {
    if (watched_.size() == ShareDirectories::kMaxWatched) break;
    auto watched = std::make_unique<Watched>();
    watched->owner = this;
    watched->folder.Reset(CreateFileA(path.c_str(), FILE_LIST_DIRECTORY | GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (watched->folder) watched_.push_back(std::move(watched));
  }
  stop_ = stopEvent;
  timeout_ = timeout;
  requests_ = std::move(requests);
  thread_.Reset(CreateThread(nullptr, 0, &FolderWatch::ThreadMain, this, 0, nullptr));
  if (!thread_) watched_.clear();
  return thread_.IsValid();
}

void FolderWatch::Join() {
  if (!thread_) return;
  WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
  watched_.clear();
}

DWORD WINAPI FolderWatch::ThreadMain(void* self) {
  static_cast<FolderWatch*>(self)->Run();
  return 0;
}

bool FolderWatch::Arm(Watched& folder) {
  folder.overlapped = OVERLAPPED{};
  folder.overlapped.hEvent = &folder;
  folder.completed = false;
  folder.pending = ReadDirectoryChangesW(folder.folder.Get(), folder.buffer, kBufferSize, FALSE, kChanges, nullptr,
                                         &folder.overlapped, &FolderWatch::Completed) != FALSE;
  return folder.pending;
}

VOID CALLBACK FolderWatch::Completed(DWORD error, DWORD bytes, OVERLAPPED* overlapped) {
  auto* folder = static_cast<Watched*>(overlapped->hEvent);
  folder->pending = false;
  folder->completed = true;
  if (error != ERROR_SUCCESS || bytes == 0) return;
  int removed = RemovedRecords(folder->buffer, bytes);
  for (int i = 0; i < removed; ++i) folder->owner->requests_.hashPass();
}

int FolderWatch::RemovedRecords(const BYTE* buffer, DWORD size) {
  int removed = 0;
  DWORD offset = 0;
  while (offset + sizeof(FILE_NOTIFY_INFORMATION) <= size) {
    const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + offset);
    if (record->Action == FILE_ACTION_REMOVED) ++removed;
    // A zero offset ends the list; an offset that is not a whole record
    // further on would read outside the buffer.
    if (record->NextEntryOffset == 0 || record->NextEntryOffset % sizeof(DWORD) != 0) break;
    offset += record->NextEntryOffset;
  }
  return removed;
}

void FolderWatch::Run() {
  for (auto& folder : watched_) Arm(*folder);
  for (;;) {
    DWORD result = WaitForSingleObjectEx(stop_, timeout_, TRUE);
    if (result == WAIT_IO_COMPLETION) {
      for (auto& folder : watched_)
        if (folder->completed) Arm(*folder);
    } else if (result == WAIT_TIMEOUT) {
      requests_.rescan();
    } else {
      break;
    }
  }
  CancelAll();
}

// The buffers must outlive the requests: each cancelled request still
// delivers its completion routine, which an alertable wait lets run.
void FolderWatch::CancelAll() {
  for (auto& folder : watched_)
    if (folder->pending) CancelIo(folder->folder.Get());
  for (int round = 0; round < 50; ++round) {
    bool pending = false;
    for (auto& folder : watched_) pending = pending || folder->pending;
    if (!pending) break;
    SleepEx(10, TRUE);
  }
  // A request the system never gave back keeps its buffer for good.
  for (auto& folder : watched_)
    if (folder->pending) static_cast<void>(folder.release());
}
