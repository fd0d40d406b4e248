#include "controls/ListView.h"

LRESULT ListView::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return list_ != nullptr ? SendMessageA(list_, message, wParam, lParam) : 0;
}

int ListView::ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }

int ListView::ColumnCount() const {
  auto header = reinterpret_cast<HWND>(Send(LVM_GETHEADER));
  return header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int ListView::SelectedCount() const { return static_cast<int>(Send(LVM_GETSELECTEDCOUNT)); }

int ListView::NextItem(int start, UINT flags) const {
  if (list_ == nullptr) return -1;
  return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

std::vector<int> ListView::SelectedItems() const {
  std::vector<int> items;
  for (int item = NextItem(-1, LVNI_SELECTED); item >= 0; item = NextItem(item, LVNI_SELECTED)) items.push_back(item);
  return items;
}

bool ListView::IsSelected(int item) const { return Send(LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED; }

std::string ListView::ItemText(int item, int subItem) const {
  char buffer[1024] = "";
  LVITEMA value = {};
  value.iSubItem = subItem;
  value.pszText = buffer;
  value.cchTextMax = sizeof buffer;
  Send(LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&value));
  return buffer;
}

LPARAM ListView::ItemData(int item) const {
  LVITEMA value = {};
  value.mask = LVIF_PARAM;
  value.iItem = item;
  return Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&value)) ? value.lParam : 0;
}

bool ListView::SubItemRect(int item, int subItem, RECT& rect) const {
  rect = {};
  rect.top = subItem;
  rect.left = LVIR_BOUNDS;
  return Send(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&rect)) != 0;
}

int ListView::ColumnWidth(int column) const { return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, column)); }

std::string ListView::ColumnText(int column) const {
  char buffer[256] = "";
  LVCOLUMNA value = {};
  value.mask = LVCF_TEXT;
  value.pszText = buffer;
  value.cchTextMax = sizeof buffer;
  Send(LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&value));
  return buffer;
}

int ListView::ColumnFormat(int column) const {
  LVCOLUMNA value = {};
  value.mask = LVCF_FMT;
  return Send(LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&value)) ? value.fmt : 0;
}

int ListView::TopIndex() const { return static_cast<int>(Send(LVM_GETTOPINDEX)); }

int ListView::CountPerPage() const { return static_cast<int>(Send(LVM_GETCOUNTPERPAGE)); }

void ListView::SetExtendedStyle(DWORD style) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, style, style); }

int ListView::InsertColumn(int column, const std::string& text, int width, int format) const {
  LVCOLUMNA value = {};
  value.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  value.fmt = format;
  value.cx = width;
  value.pszText = const_cast<char*>(text.c_str());
  return list_ != nullptr ? static_cast<int>(Send(LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&value))) : -1;
}

bool ListView::DeleteColumn(int column) const { return Send(LVM_DELETECOLUMN, column) != 0; }

void ListView::SetColumnWidth(int column, int width) const { Send(LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0)); }

int ListView::InsertItem(int item, const std::string& text, LPARAM data) const {
  LVITEMA value = {};
  value.mask = LVIF_TEXT | LVIF_PARAM;
  value.iItem = item;
  value.pszText = const_cast<char*>(text.c_str());
  value.lParam = data;
  return list_ != nullptr ? static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&value))) : -1;
}

bool ListView::SetItemText(int item, int subItem, const std::string& text) const {
  LVITEMA value = {};
  value.iSubItem = subItem;
  value.pszText = const_cast<char*>(text.c_str());
  return Send(LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&value)) != 0;
}

bool ListView::DeleteItem(int item) const { return Send(LVM_DELETEITEM, item) != 0; }

void ListView::DeleteAllItems() const { Send(LVM_DELETEALLITEMS); }

void ListView::SetVirtualCount(int count, DWORD flags) const { Send(LVM_SETITEMCOUNT, count, flags); }

void ListView::Select(int item, bool select) const {
  LVITEMA value = {};
  value.stateMask = LVIS_SELECTED;
  value.state = select ? LVIS_SELECTED : 0;
  Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&value));
}

void ListView::SelectOnly(const std::vector<int>& items) const {
  Select(-1, false);
  for (int item : items) Select(item, true);
}

void ListView::SetFocused(int item) const {
  LVITEMA value = {};
  value.stateMask = LVIS_FOCUSED;
  value.state = LVIS_FOCUSED;
  Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&value));
}

void ListView::RedrawItems(int first, int last) const { Send(LVM_REDRAWITEMS, first, last); }

int ListView::SubItemHitTest(POINT point, int& subItem) const {
  LVHITTESTINFO hit = {};
  hit.pt = point;
  subItem = -1;
  if (list_ == nullptr || Send(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0) return -1;
  subItem = hit.iSubItem;
  return hit.iItem;
}
