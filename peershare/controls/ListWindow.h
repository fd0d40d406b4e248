#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "controls/ListView.h"
#include "win/Handles.h"

// A child window of its own that holds one report list-view control filling
// it: the window other threads post to, and where the control's
// notifications arrive. The window goes with its parent or with the object.
class ListWindow {
 public:
  ListWindow() = default;
  virtual ~ListWindow();
  ListWindow(const ListWindow&) = delete;
  ListWindow& operator=(const ListWindow&) = delete;

  HWND Handle() const { return window_.Get(); }
  ListView& Control() { return view_; }
  const ListView& Control() const { return view_; }

 protected:
  // `listStyle` is added to a visible report list-view's styles.
  bool CreateListWindow(HWND parent, int id, const RECT& area, DWORD listStyle);
  // For the derived class's destructor: the window goes while the object is
  // whole, so its last messages reach the derived handlers.
  void DestroyListWindow() { window_.Reset(); }
  // Messages other than WM_SIZE and the control's notifications.
  virtual LRESULT OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnListNotify(NMHDR& header) = 0;
  // The window is being destroyed (with its parent or by the object).
  virtual void OnListGone() {}

  // Hands `text` to the control for the cell it asked for
  // (LVN_GETDISPINFO); it stays valid until the next cell is asked for.
  void PutCellText(NMLVDISPINFOA& info, const std::string& text) const;
  // The stages of NM_CUSTOMDRAW: the control draws each row, then
  // OnRowPainted draws into it.
  LRESULT CustomDraw(const NMLVCUSTOMDRAW& draw);
  virtual void OnRowPainted(HDC, int) {}

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  win::UniqueWindow window_;
  ListView view_;
  mutable std::string cellText_;
};
