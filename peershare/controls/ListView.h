#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// Typed operations on a list-view control the caller does not own, in the
// manner of WTL's CListViewCtrl: attributes first, then operations. A
// detached wrapper (no window) answers 0, false or empty.
class ListView {
 public:
  explicit ListView(HWND list = nullptr) : list_(list) {}
  void Attach(HWND list) { list_ = list; }
  HWND Handle() const { return list_; }

  // Attributes
  int ItemCount() const;
  int ColumnCount() const;
  int SelectedCount() const;
  // The next item after `start` (-1: from the first) with the LVNI_* flags, or -1.
  int NextItem(int start, UINT flags) const;
  std::vector<int> SelectedItems() const;
  bool IsSelected(int item) const;
  std::string ItemText(int item, int subItem) const;
  LPARAM ItemData(int item) const;
  bool SubItemRect(int item, int subItem, RECT& rect) const;
  int ColumnWidth(int column) const;
  std::string ColumnText(int column) const;
  int ColumnFormat(int column) const;
  int TopIndex() const;
  int CountPerPage() const;

  // Operations
  void SetExtendedStyle(DWORD style) const;
  int InsertColumn(int column, const std::string& text, int width, int format = LVCFMT_LEFT) const;
  bool DeleteColumn(int column) const;
  void SetColumnWidth(int column, int width) const;
  int InsertItem(int item, const std::string& text, LPARAM data) const;
  bool SetItemText(int item, int subItem, const std::string& text) const;
  bool DeleteItem(int item) const;
  void DeleteAllItems() const;
  // For a list with LVS_OWNERDATA: the number of rows it asks texts for.
  void SetVirtualCount(int count, DWORD flags = LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL) const;
  void Select(int item, bool select) const;
  void SelectOnly(const std::vector<int>& items) const;
  void SetFocused(int item) const;
  void RedrawItems(int first, int last) const;
  // The item and column under a point of the client area; item -1 when none.
  int SubItemHitTest(POINT point, int& subItem) const;

 private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  HWND list_;
};
