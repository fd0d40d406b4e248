#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "win/Handles.h"

// The share library's worker thread and its thread message queue. At start
// it runs the start-up task and fetches the server settings, repeating the
// fetch from a thread timer until it reports success; then it handles
// thread messages until told to end. A long task waits through
// WaitPumping, which keeps handling the messages meanwhile.
class ShareWorker {
 public:
  // Thread messages of the worker.
  static constexpr UINT kRunHashPass = 1124;
  static constexpr UINT kEnd = 1127;
  static constexpr UINT kRescan = 1129;
  // List the folders dropped on the share tree.
  static constexpr UINT kListFolders = 1130;
  static constexpr DWORD kDefaultRetryInterval = 5 * 60 * 1000;

  struct Tasks {
    std::function<void()> onStart;
    // True when no repeat is needed.
    std::function<bool()> fetchSettings;
    // Every other thread message.
    std::function<void(const MSG&)> onMessage;
  };

  enum class Wait { Signalled, End, Failed, TimedOut };

  ShareWorker();
  ~ShareWorker();
  ShareWorker(const ShareWorker&) = delete;
  ShareWorker& operator=(const ShareWorker&) = delete;

  void SetRetryInterval(DWORD milliseconds) { retryInterval_ = milliseconds; }
  // Starts the thread once its queue exists; false when it could not be made
  // or is running.
  bool Start(Tasks tasks);
  // Signals the stop event, posts kEnd and waits for the thread: `grace`
  // milliseconds, then up to `patience` more. False when it did not end.
  bool Stop(DWORD grace = 1000, DWORD patience = 60000);
  bool Running() const { return thread_.IsValid(); }
  bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  // The worker finishes the message (or the file of a hash pass) at hand and
  // then waits; it never stops while holding a lock or inside the system.
  void Suspend();
  void Resume();
  // Signalled while the worker is to stop.
  HANDLE StopEvent() const { return stop_.Get(); }
  DWORD ThreadId() const { return threadId_; }

  // Worker thread only. Waits for `event` while handling the thread's
  // messages as usual, except that kEnd (or the stop event) ends the wait
  // and the worker, and a further kRunHashPass is dropped. TimedOut after
  // `timeout` milliseconds without the event or a message.
  Wait WaitPumping(HANDLE event, DWORD timeout = INFINITE);
  // Worker thread only. Handles the messages already queued, as WaitPumping
  // does, without waiting; false when the worker is to end.
  bool PumpPending();
  // Worker thread only. Returns at once unless suspended; false when the
  // worker is to stop.
  bool WaitWhileSuspended() const;
  // Removes the kRunHashPass messages already queued: one pass serves them.
  static void DropQueuedHashPasses();

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Run();
  void Handle(const MSG& message);
  // False once the worker is to end.
  bool WaitForMessage();

  Tasks tasks_;
  DWORD retryInterval_ = kDefaultRetryInterval;
  UINT_PTR retryTimer_ = 0;
  std::atomic<bool> ending_{false};
  std::atomic<bool> suspended_{false};
  win::UniqueThread thread_;
  DWORD threadId_ = 0;
  win::UniqueEvent ready_, stop_, running_;
};
