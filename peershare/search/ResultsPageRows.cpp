// The cells of a results page: their texts and icons, the play images with
// their highlight, and sorting.
#include "search/ResultsPage.h"

#include <shellapi.h>

#include <algorithm>
#include <unordered_set>

namespace {

// Extensions longer than this get the icon of a file without one.
constexpr size_t kExtensionMax = 16;

std::string LowerExtension(const std::string& fileName) {
  size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || fileName.size() - dot > kExtensionMax) return std::string();
  std::string extension = fileName.substr(dot);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension;
}

}  // namespace

std::string ResultsPage::CellText(int row, int column) const {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return std::string();
  return rows_[static_cast<size_t>(row)]->CellText(column);
}

// The icon depends on the extension only: the shell is asked once for each.
int ResultsPage::IconOf(const std::string& fileName) {
  std::string extension = LowerExtension(fileName);
  auto found = icons_.find(extension);
  if (found != icons_.end()) return found->second;
  SHFILEINFOA info = {};
  std::string probe = "file" + extension;
  bool got = SHGetFileInfoA(probe.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                            SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON) != 0;
  int icon = got ? info.iIcon : -1;
  icons_.emplace(extension, icon);
  return icon;
}

void ResultsPage::FillCell(NMLVDISPINFOA& info) {
  int row = info.item.iItem;
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return;
  const ResultRecord& record = *rows_[static_cast<size_t>(row)];
  if ((info.item.mask & LVIF_IMAGE) && info.item.iSubItem == ResultRecord::kName)
    info.item.iImage = IconOf(record.fileName);
  if (!(info.item.mask & LVIF_TEXT) || info.item.pszText == nullptr || info.item.cchTextMax <= 0) return;
  cellText_ = record.CellText(info.item.iSubItem);
  lstrcpynA(info.item.pszText, cellText_.c_str(), info.item.cchTextMax);
}

LRESULT ResultsPage::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT: {
      int row = static_cast<int>(draw.nmcd.dwItemSpec);
      RECT cell;
      if (row >= 0 && static_cast<size_t>(row) < rows_.size() && view_.SubItemRect(row, ResultRecord::kPlay, cell))
        DrawPlayCell(draw.nmcd.hdc, row, cell);
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void ResultsPage::DrawPlayCell(HDC dc, int row, const RECT& cell) const {
  const ResultRecord& record = *rows_[static_cast<size_t>(row)];
  if (!record.Playable()) return;
  if (&record == highlighted_) FillRect(dc, &cell, highlightBrush_.Get());
  playImage_.Draw(dc, cell);
}

void ResultsPage::RedrawRow(int row) const {
  if (row >= 0) view_.RedrawItems(row, row);
}

int ResultsPage::HighlightedRow() const {
  if (highlighted_ == nullptr) return -1;
  for (size_t row = 0; row < rows_.size(); ++row)
    if (rows_[row].get() == highlighted_) return static_cast<int>(row);
  return -1;
}

void ResultsPage::OnHighlightTick() {
  int row = HighlightedRow();
  if (--highlightLeft_ <= 0 || row < 0) {
    KillTimer(window_.Get(), kHighlightTimer);
    highlightLeft_ = 0;
    highlighted_ = nullptr;
  }
  RedrawRow(row);
}

// The selection follows its records to their new places.
void ResultsPage::SortBy(int column) {
  if (column < 0 || column >= ResultRecord::kColumnCount) return;
  SyncRows();
  bool descending = sortDescending_[static_cast<size_t>(column)];
  sortDescending_[static_cast<size_t>(column)] = !descending;
  std::unordered_set<const ResultRecord*> selected;
  for (int row : SelectedRows()) selected.insert(rows_[static_cast<size_t>(row)].get());
  std::stable_sort(rows_.begin(), rows_.end(), [column, descending](const auto& a, const auto& b) {
    int order = ResultRecord::Compare(*a, *b, column);
    return descending ? order > 0 : order < 0;
  });
  if (!selected.empty()) {
    view_.Select(-1, false);
    for (size_t row = 0; row < rows_.size(); ++row)
      if (selected.count(rows_[row].get()) != 0) view_.Select(static_cast<int>(row), true);
  }
  if (view_.Handle() != nullptr) InvalidateRect(view_.Handle(), nullptr, FALSE);
}
