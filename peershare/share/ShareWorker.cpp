#include "share/ShareWorker.h"

#include <utility>

ShareWorker::ShareWorker()
    : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      running_(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

ShareWorker::~ShareWorker() { Stop(); }

bool ShareWorker::Start(Tasks tasks) {
  if (thread_ || !ready_ || !stop_ || !running_) return false;
  tasks_ = std::move(tasks);
  ending_ = false;
  suspended_ = false;
  ResetEvent(ready_.Get());
  ResetEvent(stop_.Get());
  SetEvent(running_.Get());
  thread_.Reset(CreateThread(nullptr, 0, &ShareWorker::ThreadMain, this, 0, &threadId_));
  if (!thread_) return false;
  HANDLE waits[] = {ready_.Get(), thread_.Get()};
  WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  return true;
}

bool ShareWorker::Stop(DWORD grace, DWORD patience) {
  if (!thread_) return true;
  // The stop event alone ends the worker: kEnd may not fit a full queue.
  SetEvent(stop_.Get());
  Post(kEnd);
  if (WaitForSingleObject(thread_.Get(), grace) != WAIT_OBJECT_0 &&
      WaitForSingleObject(thread_.Get(), patience) != WAIT_OBJECT_0) {
    // A thread that would not end keeps running on its own; it must not be
    // killed while it may hold a lock.
    static_cast<void>(thread_.Release());
    return false;
  }
  thread_.Reset();
  threadId_ = 0;
  return true;
}

bool ShareWorker::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
  return threadId_ != 0 && PostThreadMessageW(threadId_, message, wParam, lParam);
}

void ShareWorker::Suspend() {
  suspended_ = true;
  ResetEvent(running_.Get());
}

void ShareWorker::Resume() {
  suspended_ = false;
  SetEvent(running_.Get());
}

bool ShareWorker::WaitWhileSuspended() const {
  if (ending_) return false;
  // Asked between every two files of a pass: a running worker does not wait.
  if (!suspended_) return true;
  HANDLE waits[] = {stop_.Get(), running_.Get()};
  return WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
}

void ShareWorker::DropQueuedHashPasses() {
  MSG message;
  while (PeekMessageW(&message, nullptr, kRunHashPass, kRunHashPass, PM_REMOVE)) {
  }
}

DWORD WINAPI ShareWorker::ThreadMain(void* self) {
  static_cast<ShareWorker*>(self)->Run();
  return 0;
}

void ShareWorker::Run() {
  MSG message;
  // The queue exists from here on: nothing posted after Start() is lost.
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  SetEvent(ready_.Get());
  if (tasks_.onStart) tasks_.onStart();
  retryTimer_ = 0;
  if (tasks_.fetchSettings && !tasks_.fetchSettings()) retryTimer_ = SetTimer(nullptr, 0, retryInterval_, nullptr);
  PostThreadMessageW(GetCurrentThreadId(), kRunHashPass, 0, 0);
  while (WaitForMessage()) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) continue;
    if (message.message == kEnd || !WaitWhileSuspended()) break;
    Handle(message);
  }
  if (retryTimer_ != 0) KillTimer(nullptr, retryTimer_);
  retryTimer_ = 0;
}

bool ShareWorker::WaitForMessage() {
  if (ending_) return false;
  HANDLE stop = stop_.Get();
  DWORD result = MsgWaitForMultipleObjectsEx(1, &stop, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  return result == WAIT_OBJECT_0 + 1 && !ending_;
}

void ShareWorker::Handle(const MSG& message) {
  if (message.hwnd == nullptr && message.message == WM_TIMER && retryTimer_ != 0 && message.wParam == retryTimer_) {
    if (tasks_.fetchSettings()) {
      KillTimer(nullptr, retryTimer_);
      retryTimer_ = 0;
    }
  } else if (message.hwnd == nullptr) {
    if (tasks_.onMessage) tasks_.onMessage(message);
  } else {
    DispatchMessageW(&message);
  }
}

ShareWorker::Wait ShareWorker::WaitPumping(HANDLE event, DWORD timeout) {
  HANDLE waits[] = {event, stop_.Get()};
  for (;;) {
    if (ending_) return Wait::End;
    DWORD result = MsgWaitForMultipleObjectsEx(2, waits, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (result == WAIT_OBJECT_0) return Wait::Signalled;
    if (result == WAIT_TIMEOUT) return Wait::TimedOut;
    if (result == WAIT_OBJECT_0 + 1) {
      ending_ = true;
      return Wait::End;
    }
    if (result != WAIT_OBJECT_0 + 2) return Wait::Failed;
    if (!PumpPending()) return Wait::End;
  }
}

bool ShareWorker::PumpPending() {
  MSG message;
  while (!ending_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == kEnd) {
      ending_ = true;
    } else if (message.message != kRunHashPass) {
      Handle(message);
    }
  }
  return !ending_;
}
