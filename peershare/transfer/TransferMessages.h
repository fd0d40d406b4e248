#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

// Window messages that the client's threads post to the download list. The
// first parameter is a task id; the second what the message names.
constexpr UINT kTaskRowMessage = WM_USER + 50;       // row position
constexpr UINT kSourceAddedMessage = WM_USER + 51;   // the new TaskSource
constexpr UINT kHandedOverMessage = WM_USER + 53;    // none
constexpr UINT kTaskEndedMessage = WM_USER + 55;     // none
constexpr UINT kSourceRemovedMessage = WM_USER + 58; // the TaskSource
constexpr UINT kSourceChangedMessage = WM_USER + 61; // the TaskSource

// Ids of tasks, sources and uploads: one process-wide serial number, which
// is also the list row's item data.
uint32_t NextTransferId();

// The window that the client's threads post to; it may change or go away
// while they run.
class TransferMailbox {
 public:
  void SetWindow(HWND window) { window_.store(window); }
  HWND Window() const { return window_.load(); }
  // Posts, trying again up to `attempts` times with a pause of 1 ms.
  bool Post(UINT message, WPARAM wParam, LPARAM lParam, int attempts = 1) const;

 private:
  std::atomic<HWND> window_{nullptr};
};
