// The rows of the upload list: columns, the texts the control asks for, the
// progress bars.
#include "transfer/UploadManager.h"

#include <algorithm>
#include <unordered_map>

#include "frame/AmountFormat.h"
#include "transfer/TaskSource.h"

namespace {

struct ColumnInfo {
  const char* header;
  int width;
  int format;
};

constexpr ColumnInfo kColumns[UploadManager::kColumnCount] = {
    {"文件名", 150, LVCFMT_LEFT}, {"大小", 75, LVCFMT_RIGHT}, {"拓币", 40, LVCFMT_LEFT},
    {"状态", 53, LVCFMT_LEFT},   {"速度", 52, LVCFMT_LEFT},  {"百分比", 55, LVCFMT_LEFT},
    {"用时", 55, LVCFMT_LEFT},   {"上传量", 70, LVCFMT_LEFT}, {"注释", 88, LVCFMT_LEFT},
};

std::string Speed(uint32_t bytesPerSecond) { return FormatAmount(bytesPerSecond, "KB") + "/S"; }

std::string Percent(int32_t percent) { return std::to_string(percent) + "%"; }

std::string Kilobytes(uint64_t bytes) { return std::to_string(bytes / 1024) + "KB"; }

// One coin per whole MiB, at least one.
std::string Earned(uint32_t size) { return "+" + std::to_string(std::max<uint32_t>(size >> 20, 1)); }

}  // namespace

void UploadManager::CreateColumns() {
  for (int column = 0; column < kColumnCount; ++column)
    Control().InsertColumn(column, kColumns[column].header, kColumns[column].width, kColumns[column].format);
}

std::string UploadManager::CellText(int rowIndex, int column) const {
  if (rowIndex < 0 || rowIndex >= static_cast<int>(rows_.size())) return std::string();
  const Row& row = rows_[rowIndex];
  if (row.source != nullptr) {
    const TaskSource& source = *row.source;
    switch (column) {
      case kName: return source.RowName();
      case kStatus: return source.StatusText();
      case kSpeed: return Speed(source.Speed());
      case kPercent: return Percent(source.Percent());
      case kUploaded: return Kilobytes(source.Uploaded());
      default: return std::string();
    }
  }
  const UploadRecord& record = *row.record;
  const UploadItem& item = record.Item();
  switch (column) {
    case kName: return item.name;
    case kSize: return FormatAmount(item.size, "KB");
    case kCoins: return Earned(item.size);
    case kStatus: return record.StatusText();
    case kSpeed: return record.refreshed ? Speed(record.Speed()) : "0";
    case kPercent: return Percent(record.Percent());
    case kTimeUsed: return record.refreshed ? FormatDuration(record.timeUsed) : "0";
    case kUploaded: return Kilobytes(record.Uploaded());
    case kComment: return item.comment;
    default: return std::string();
  }
}

void UploadManager::FillCell(NMLVDISPINFOA& info) const {
  PutCellText(info, CellText(info.item.iItem, info.item.iSubItem));
}

void UploadManager::OnRowPainted(HDC dc, int index) {
  if (index < 0 || index >= static_cast<int>(rows_.size())) return;
  const Row& row = rows_[index];
  int32_t percent = row.source != nullptr ? row.source->Percent() : row.record->Percent();
  RECT cell;
  if (Control().SubItemRect(index, kPercent, cell)) progressBar_.Draw(dc, cell, percent);
}

// The rows show the records' live counters: each refresh draws the rows on
// screen again.
void UploadManager::RedrawVisibleRows() const {
  if (rows_.empty()) return;
  int first = std::max(Control().TopIndex(), 0);
  int last = std::min<int>(first + Control().CountPerPage() + 1, static_cast<int>(rows_.size()) - 1);
  if (last >= first) Control().RedrawItems(first, last);
}

void UploadManager::SyncControl() { Control().SetVirtualCount(static_cast<int>(rows_.size()), 0); }

std::vector<UploadManager::Row> UploadManager::SelectedRows() const {
  std::vector<Row> selected;
  for (int index : Control().SelectedItems())
    if (index < static_cast<int>(rows_.size())) selected.push_back(rows_[index]);
  return selected;
}

std::vector<UploadRecord*> UploadManager::RecordOrder() const {
  std::vector<UploadRecord*> order;
  for (const Row& row : rows_)
    if (row.source == nullptr) order.push_back(row.record);
  return order;
}

// The control keeps its selection by position: it follows its rows here.
void UploadManager::RebuildRows(const std::vector<UploadRecord*>& order) {
  std::vector<Row> selected = SelectedRows();
  rows_.clear();
  for (UploadRecord* record : order) {
    rows_.push_back({record, nullptr});
    if (!record->expanded) continue;
    for (const auto& source : record->Sources().Taken()) rows_.push_back({record, source.get()});
  }
  SyncControl();
  if (selected.empty()) return;
  Control().Select(-1, false);
  std::unordered_map<const void*, int> positions;
  for (size_t i = 0; i < rows_.size(); ++i)
    positions[rows_[i].source != nullptr ? static_cast<const void*>(rows_[i].source) : rows_[i].record] =
        static_cast<int>(i);
  for (const Row& row : selected) {
    auto found = positions.find(row.source != nullptr ? static_cast<const void*>(row.source) : row.record);
    if (found != positions.end()) Control().Select(found->second, true);
  }
}

void UploadManager::RemoveRows(const UploadRecord& record) {
  std::vector<UploadRecord*> order = RecordOrder();
  order.erase(std::remove(order.begin(), order.end(), &record), order.end());
  RebuildRows(order);
}

void UploadManager::ToggleExpanded(UploadRecord& record) {
  record.expanded = !record.expanded;
  RebuildRows(RecordOrder());
}
