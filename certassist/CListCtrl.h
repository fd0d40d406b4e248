#pragma once

#include <windows.h>
#include <commctrl.h>

#include "CImageList.h"
#include "CWnd.h"

// Typed messages of a list-view control.
class CERTASSIST_API CListCtrl : public CWnd {
 public:
  DWORD GetExtendedStyle() const;
  DWORD SetExtendedStyle(DWORD styles);
  int InsertColumn(int column, const wchar_t* heading, int format, int width);
  int GetColumnCount() const;
  int GetItemCount() const;
  BOOL DeleteAllItems();
  int InsertItem(int item, const wchar_t* text, int image);
  BOOL SetItemText(int item, int subItem, const wchar_t* text);
  CString GetItemText(int item, int subItem) const;
  // The first selected row, or -1.
  int GetFirstSelectedItem() const;
  HIMAGELIST SetImageList(CImageList* images, int which);
};
