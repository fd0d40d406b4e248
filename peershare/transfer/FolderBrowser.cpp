#include "transfer/FolderBrowser.h"

#include <commctrl.h>
#include <shlobj.h>

#include "frame/ModuleState.h"
#include "win/ShellHandles.h"

namespace {

struct BrowseState {
  std::string start;
  bool askEveryTime = true;
};

void AddAskBox(HWND dialog) {
  HWND ok = GetDlgItem(dialog, IDOK);
  if (ok == nullptr) return;
  RECT place;
  GetWindowRect(ok, &place);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
  HWND box = CreateWindowExA(0, "BUTTON", FolderBrowser::kAskText, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                             place.left - 120, place.top, 110, 22, dialog,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(FolderBrowser::kAskBoxId)),
                             ModuleState::LibraryModule(), nullptr);
  SendMessageA(box, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), TRUE);
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
}

// The box's state is read when the dialog goes, whichever button closed it.
LRESULT CALLBACK WatchClose(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
  if (message == WM_DESTROY) {
    auto* state = reinterpret_cast<BrowseState*>(data);
    state->askEveryTime = IsDlgButtonChecked(dialog, FolderBrowser::kAskBoxId) == BST_CHECKED;
    RemoveWindowSubclass(dialog, &WatchClose, id);
  }
  return DefSubclassProc(dialog, message, wParam, lParam);
}

int CALLBACK OnBrowseEvent(HWND dialog, UINT message, LPARAM argument, LPARAM data) {
  auto* state = reinterpret_cast<BrowseState*>(data);
  if (message == BFFM_INITIALIZED) {
    // The selection first: once the box shows, the dialog is ready for the user.
    if (!state->start.empty()) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(state->start.c_str()));
    AddAskBox(dialog);
    SetWindowSubclass(dialog, &WatchClose, 1, reinterpret_cast<DWORD_PTR>(state));
  } else if (message == BFFM_SELCHANGED) {
    // Browsing for computers would grey OK on a plain folder; a file-system
    // folder is what the list needs.
    char path[MAX_PATH];
    auto* item = reinterpret_cast<PCIDLIST_ABSOLUTE>(argument);
    SendMessageA(dialog, BFFM_ENABLEOK, 0, item != nullptr && SHGetPathFromIDListA(item, path));
  }
  return 0;
}

}  // namespace

bool FolderBrowser::Browse(HWND owner, const std::string& start, std::string& folder, bool& askEveryTime) {
  BrowseState state;
  state.start = start;
  char display[MAX_PATH] = "";
  BROWSEINFOA info = {};
  info.hwndOwner = owner;
  info.pszDisplayName = display;
  info.lpszTitle = kTitle;
  info.ulFlags = kFlags;
  info.lpfn = &OnBrowseEvent;
  info.lParam = reinterpret_cast<LPARAM>(&state);
  win::UniqueIdList chosen(SHBrowseForFolderA(&info));
  askEveryTime = state.askEveryTime;
  char path[MAX_PATH] = "";
  if (!chosen || !SHGetPathFromIDListA(chosen.Get(), path) || path[0] == '\0') return false;
  folder = path;
  return true;
}
