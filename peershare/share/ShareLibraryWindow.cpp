// The share tree window: the window thread's side of the library. It
// carries the publication of queued records (1125), the delayed save (timer
// 500), the refresh of the handed-out copy (timer 1) and the settings
// messages; destroying it ends the library's threads.
#include "share/ShareLibrary.h"

#include <commctrl.h>

#include <algorithm>

#include "frame/HostClient.h"
#include "frame/ModuleState.h"

namespace {

// Where the tree sits in the share page until the page lays it out: the
// lower left, below the page's upper half.
constexpr int kTreeTop = 200, kTreeWidth = 176;
// Records handled for one wake-up: a burst goes out with few messages, and
// the window still answers the user between bursts.
constexpr int kRecordsPerWakeUp = 16;

}  // namespace

bool ShareLibrary::CreateTree(HWND parent) {
  if (window_) return true;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  DWORD style = TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS;
  RECT area = {0, 0, kTreeWidth, kTreeTop};
  if (parent != nullptr) {
    style |= WS_CHILD | WS_VISIBLE | WS_BORDER;
    GetClientRect(parent, &area);
    area = RECT{0, kTreeTop, kTreeWidth, std::max<LONG>(kTreeTop, area.bottom)};
  } else {
    style |= WS_POPUP;
  }
  window_.Reset(CreateWindowExA(0, WC_TREEVIEWA, "", style, area.left, area.top, area.right - area.left,
                                area.bottom - area.top, parent,
                                parent != nullptr ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeId)) : nullptr,
                                ModuleState::LibraryModule(), nullptr));
  if (!window_) return false;
  if (!SetWindowSubclass(window_.Get(), &ShareLibrary::TreeProc, kTreeId, reinterpret_cast<DWORD_PTR>(this))) {
    window_.Reset();
    return false;
  }
  SendMessageA(window_.Get(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(kTreeBackground));
  return true;
}

LRESULT CALLBACK ShareLibrary::TreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
  auto* library = reinterpret_cast<ShareLibrary*>(self);
  switch (message) {
    case kSettingsApplied:
    case kTopTenReplaced: {
      ModuleStateGuard guard;
      library->OnSettingsMessage(message);
      return 0;
    }
    case kPublishQueued: {
      ModuleStateGuard guard;
      library->OnPublishQueued();
      return 0;
    }
    case kFolderListed:
      library->OnFolderListed();
      return 0;
    case WM_TIMER:
      if (wParam != kSaveTimer && wParam != kHandOutTimer && wParam != kDropTimer) break;
      {
        ModuleStateGuard guard;
        library->OnTimer(wParam);
      }
      return 0;
    case WM_DESTROY: {
      // Destroyed with its parent: the library ends as when it is stopped.
      ModuleStateGuard guard;
      library->EndThreadsAndSave();
      break;
    }
    case WM_NCDESTROY: {
      RemoveWindowSubclass(window, &ShareLibrary::TreeProc, kTreeId);
      LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      static_cast<void>(library->window_.Release());
      return result;
    }
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void ShareLibrary::OnSettingsMessage(UINT message) {
  if (message == kTopTenReplaced) {
    topTen_.Reload();
    return;
  }
  const ServerSettings::Values values = settings_.Current();
  if (host_ != nullptr) host_->SetAdVersion(values.adVersion);
  if (onSettingsApplied) onSettingsApplied(values);
}

// A few records per message, one after the other; the next wake-up is posted
// once the host returned, so a host that pumps messages meanwhile does not
// see the next record.
void ShareLibrary::OnPublishQueued() {
  Publication record;
  bool more = false;
  for (int i = 0; i < kRecordsPerWakeUp; ++i) {
    if (!publications_.Take(record, more)) return;
    publisher_.Handle(record);
    if (!more) return;
  }
  WakeWindow();
}

void ShareLibrary::WakeWindow() {
  HWND window = window_.Get();
  if (window == nullptr || !PostMessageA(window, kPublishQueued, 0, 0)) publications_.WakeUpLost();
}

// The batches go by a timer, not by posted messages: those would come before
// the user's input every time and keep it waiting until the last batch.
void ShareLibrary::OnFolderListed() {
  if (!ending_) SetTimer(window_.Get(), kDropTimer, USER_TIMER_MINIMUM, nullptr);
}

void ShareLibrary::OnTimer(UINT_PTR timer) {
  if (timer == kDropTimer) {
    AddListedBatch();
    return;
  }
  if (timer == kHandOutTimer) {
    RefreshHandOut();
    return;
  }
  publisher_.CheckDelayedSave(GetTickCount64());
  // A wake-up the window's full queue refused is asked for again.
  if (publications_.Rewake()) WakeWindow();
}
