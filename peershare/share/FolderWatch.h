#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win/Handles.h"

// The folder-watch thread: follows the first ten media folders (each folder
// itself, not its subfolders) through overlapped change notifications with
// completion routines. A removed entry asks the worker for a hash pass; a
// quiet time-out asks for a rescan. It ends when the stop event is
// signalled.
class FolderWatch {
 public:
  static constexpr DWORD kDefaultTimeout = 15 * 60 * 1000;
  static constexpr DWORD kBufferSize = 2048;

  // What the watch asks of the worker.
  struct Requests {
    std::function<void()> hashPass;
    std::function<void()> rescan;
  };

  FolderWatch();
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Starts the thread; folders that cannot be opened are left out. False
  // when the thread could not be made or is running.
  bool Start(const std::vector<std::string>& folders, HANDLE stopEvent, DWORD timeout, Requests requests);
  // Waits for the thread after the stop event was signalled.
  void Join();
  bool Running() const { return thread_.IsValid(); }
  // Folders opened by the running watch.
  size_t WatchedCount() const { return watched_.size(); }

  // Counts the "removed" records of a notification buffer of `size` bytes;
  // records whose offsets leave the buffer end the walk.
  static int RemovedRecords(const BYTE* buffer, DWORD size);

 private:
  struct Watched;
  static DWORD WINAPI ThreadMain(void* self);
  static VOID CALLBACK Completed(DWORD error, DWORD bytes, OVERLAPPED* overlapped);
  void Run();
  bool Arm(Watched& folder);
  void CancelAll();

  std::vector<std::unique_ptr<Watched>> watched_;
  HANDLE stop_ = nullptr;
  DWORD timeout_ = kDefaultTimeout;
  Requests requests_;
  win::UniqueThread thread_;
};
