#include "CListCtrl.h"

DWORD CListCtrl::GetExtendedStyle() const {
  return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
}

DWORD CListCtrl::SetExtendedStyle(DWORD styles) {
  return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, styles));
}

int CListCtrl::InsertColumn(int column, const wchar_t* heading, int format, int width) {
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
  info.fmt = format;
  info.cx = width;
  info.pszText = const_cast<wchar_t*>(heading);
  info.iSubItem = column;
  return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&info)));
}

int CListCtrl::GetColumnCount() const {
  HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
  return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }

BOOL CListCtrl::DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }

int CListCtrl::InsertItem(int item, const wchar_t* text, int image) {
  LVITEMW info{};
  info.mask = LVIF_TEXT | LVIF_IMAGE;
  info.iItem = item;
  info.pszText = const_cast<wchar_t*>(text);
  info.iImage = image;
  return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&info)));
}

BOOL CListCtrl::SetItemText(int item, int subItem, const wchar_t* text) {
  LVITEMW info{};
  info.iSubItem = subItem;
  info.pszText = const_cast<wchar_t*>(text);
  return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&info)));
}

CString CListCtrl::GetItemText(int item, int subItem) const {
  wchar_t buffer[1024] = {};
  LVITEMW info{};
  info.iSubItem = subItem;
  info.pszText = buffer;
  info.cchTextMax = 1024;
  SendMessage(LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&info));
  return buffer;
}

int CListCtrl::GetFirstSelectedItem() const {
  return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

HIMAGELIST CListCtrl::SetImageList(CImageList* images, int which) {
  return reinterpret_cast<HIMAGELIST>(
      SendMessage(LVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(images ? images->GetSafeHandle() : nullptr)));
}
