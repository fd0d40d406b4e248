#include "transfer/HistoryList.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_set>

#include "frame/ModuleState.h"
#include "frame/ResourceIds.h"
#include "frame/XmlElement.h"
#include "transfer/LocalClock.h"
#include "transfer/DownloadList.h"
#include "transfer/FieldText.h"

HistoryList::HistoryList(const char* elementName, const Column* columns, int columnCount, int menuIndex)
    : elementName_(elementName), columns_(columns), columnCount_(columnCount), menuIndex_(menuIndex) {}

HistoryList::~HistoryList() { DestroyListWindow(); }

bool HistoryList::Create(HWND parent, int id, const RECT& area) {
  if (Handle() != nullptr) return true;
  if (!CreateListWindow(parent, id, area, LVS_OWNERDATA)) return false;
  for (int column = 0; column < columnCount_; ++column)
    Control().InsertColumn(column, columns_[column].header, columns_[column].width, columns_[column].format);
  SyncControl();
  return true;
}

void HistoryList::SyncControl() const {
  if (Handle() != nullptr) Control().SetVirtualCount(static_cast<int>(rows_.size()), 0);
}

void HistoryList::Fill(const XmlElement* root) {
  rows_.clear();
  if (root != nullptr) root->FindAll(rows_, false, elementName_);
  SyncControl();
  Redraw();
}

void HistoryList::Append(XmlElement* element) {
  if (element == nullptr) return;
  rows_.push_back(element);
  SyncControl();
  Redraw();
}

void HistoryList::Clear() {
  rows_.clear();
  SyncControl();
}

void HistoryList::Redraw() const {
  if (Handle() != nullptr) InvalidateRect(Control().Handle(), nullptr, FALSE);
}

std::string HistoryList::CellText(int row, int column) const {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 || column >= columnCount_) return std::string();
  return Cell(*rows_[row], column);
}

std::vector<XmlElement*> HistoryList::SelectedElements() const {
  std::vector<XmlElement*> selected;
  for (int index : Control().SelectedItems())
    if (index < static_cast<int>(rows_.size())) selected.push_back(rows_[index]);
  return selected;
}

void HistoryList::RemoveRows(const std::vector<XmlElement*>& elements) {
  std::unordered_set<const XmlElement*> gone(elements.begin(), elements.end());
  rows_.erase(std::remove_if(rows_.begin(), rows_.end(), [&gone](XmlElement* row) { return gone.count(row) != 0; }),
              rows_.end());
  if (Handle() != nullptr) Control().Select(-1, false);
  SyncControl();
  Redraw();
}

win::UniqueMenu HistoryList::LoadRowMenu() const {
  return win::UniqueMenu(LoadMenuA(ModuleState::ResourceModule(), MAKEINTRESOURCEA(IDM_TRANSFER_ROWS)));
}

void HistoryList::ShowRowMenu(POINT screen) {
  win::UniqueMenu menu = LoadRowMenu();
  HMENU rows = RowMenuOf(menu.Get());
  if (rows == nullptr) return;
  PrepareMenu(rows);
  int command = TrackPopupMenu(rows, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr);
  if (command != 0) RunCommand(command);
}

bool HistoryList::OpenWithShell(const std::string& path) const {
  if (openWithShell) return openWithShell(path);
  auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(Handle(), "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

void HistoryList::DeleteSelected() {
  std::vector<XmlElement*> selected = SelectedElements();
  if (selected.empty() || downloads_ == nullptr) return;
  RemoveRows(selected);
  downloads_->RemoveHistory(selected);
}

LRESULT HistoryList::OnListNotify(NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOA: {
      auto& info = reinterpret_cast<NMLVDISPINFOA&>(header);
      PutCellText(info, CellText(info.item.iItem, info.item.iSubItem));
      return 0;
    }
    case NM_DBLCLK:
      if (reinterpret_cast<NMITEMACTIVATE&>(header).iItem >= 0) OnActivate();
      return 0;
    case NM_RCLICK: {
      POINT at;
      GetCursorPos(&at);
      ShowRowMenu(at);
      return 0;
    }
    default:
      return 0;
  }
}

// --- texts -------------------------------------------------------------------

std::string HistoryList::CategoryName(int32_t code) {
  static const char* const kNames[] = {"音乐", "图片", "视频", "图书", "资料", "软件", "游戏"};
  return code >= 1 && code <= 7 ? kNames[code - 1] : "未知";
}

std::string HistoryList::DateText(const std::string& seconds) {
  uint64_t moment = 0;
  LocalClock::Date date;
  if (!FieldText::ReadDecimal(seconds, INT64_MAX, moment) || !LocalClock::Split(static_cast<int64_t>(moment), date))
    return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

std::string HistoryList::FolderOf(const std::string& path) {
  char drive[_MAX_DRIVE] = "", directory[_MAX_DIR] = "";
  if (path.size() >= _MAX_PATH) return std::string();
  _splitpath(path.c_str(), drive, directory, nullptr, nullptr);
  return std::string(drive) + directory;
}

std::string HistoryList::AttributeText(const XmlElement& element, const char* name) {
  std::string value;
  element.GetAttribute(name, value);
  return value;
}

uint32_t HistoryList::NumberOf(const XmlElement& element, const char* name) {
  uint64_t value = 0;
  return FieldText::ReadDecimal(AttributeText(element, name), UINT32_MAX, value) ? static_cast<uint32_t>(value) : 0;
}
