// The rows of the download list: its columns, the texts the control asks
// for, the progress bars and play images it draws, sorting and expanding.
#include "transfer/DownloadList.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "frame/AmountFormat.h"
#include "frame/PlayableExtension.h"

namespace {

struct ColumnInfo {
  const char* header;
  int width;
  int format;
  bool optional;
  bool sortable;
};

constexpr ColumnInfo kColumns[DownloadList::kColumnCount] = {
    {"文件名", 135, LVCFMT_LEFT, false, true},   {"大小", 73, LVCFMT_RIGHT, false, true},
    {"拓币", 38, LVCFMT_LEFT, false, true},      {"状态", 90, LVCFMT_LEFT, false, true},
    {"下载速度", 80, LVCFMT_LEFT, false, true},  {"上传速度", 80, LVCFMT_LEFT, true, false},
    {"完成度", 55, LVCFMT_LEFT, false, true},    {"点播", 38, LVCFMT_LEFT, false, true},
    {"用时", 55, LVCFMT_LEFT, true, false},      {"剩余时间", 70, LVCFMT_LEFT, false, true},
    {"下载量", 70, LVCFMT_LEFT, true, false},    {"上传量", 70, LVCFMT_LEFT, true, false},
    {"注释", 88, LVCFMT_LEFT, true, false},
};

OptionalColumn ElementOf(int column) {
  switch (column) {
    case DownloadList::kUpSpeed: return OptionalColumn::UpSpeed;
    case DownloadList::kTimeUsed: return OptionalColumn::TimeUsed;
    case DownloadList::kDownloaded: return OptionalColumn::DownloadNum;
    case DownloadList::kUploaded: return OptionalColumn::UploadNum;
    default: return OptionalColumn::Comment;
  }
}

std::string Speed(uint32_t bytesPerSecond) { return FormatAmount(bytesPerSecond, "KB") + "/S"; }

std::string Percent(int32_t percent) { return std::to_string(percent) + "%"; }

std::string Remaining(int64_t seconds) {
  if (seconds < 0) return "未知";
  return FormatDuration(static_cast<uint32_t>(std::min<int64_t>(seconds, UINT32_MAX)));
}

std::string Cost(uint32_t size) {
  char text[16];
  std::snprintf(text, sizeof text, "-%u", std::max<uint32_t>(size >> 20, 1));
  return text;
}

}  // namespace

// --- columns ---------------------------------------------------------------

void DownloadList::CreateColumns() {
  shownColumns_.clear();
  for (int column = 0; column < kColumnCount; ++column) {
    if (kColumns[column].optional && !document_.HasColumn(ElementOf(column))) continue;
    Control().InsertColumn(static_cast<int>(shownColumns_.size()), kColumns[column].header, kColumns[column].width,
                       kColumns[column].format);
    shownColumns_.push_back(column);
  }
}

bool DownloadList::IsColumnShown(int column) const {
  return std::find(shownColumns_.begin(), shownColumns_.end(), column) != shownColumns_.end();
}

int DownloadList::ColumnPosition(int logical) const {
  auto found = std::find(shownColumns_.begin(), shownColumns_.end(), logical);
  return found != shownColumns_.end() ? static_cast<int>(found - shownColumns_.begin()) : -1;
}

void DownloadList::ShowOptionalColumn(int column, bool show) {
  if (column < 0 || column >= kColumnCount || !kColumns[column].optional || IsColumnShown(column) == show) return;
  document_.ShowColumn(ElementOf(column), show);
  if (show) {
    auto at = std::lower_bound(shownColumns_.begin(), shownColumns_.end(), column);
    int position = static_cast<int>(at - shownColumns_.begin());
    shownColumns_.insert(at, column);
    Control().InsertColumn(position, kColumns[column].header, kColumns[column].width, kColumns[column].format);
    Control().SetColumnWidth(position, kColumns[column].width);
  } else {
    int position = ColumnPosition(column);
    shownColumns_.erase(shownColumns_.begin() + position);
    Control().DeleteColumn(position);
  }
  SaveDocument();
  Redraw();
}

void DownloadList::SetOtherPercent(bool on) {
  if (document_.OtherPercent() == on) return;
  document_.SetOtherPercent(on);
  SaveDocument();
  Redraw();
}

// --- cells -----------------------------------------------------------------

void DownloadList::SnapshotRow(DownloadTask& task) {
  DownloadTask::Shown shown;
  shown.status = task.StatusText();
  shown.speed = task.DownloadSpeed();
  shown.upSpeed = task.UploadSpeed();
  shown.downloaded = task.Downloaded();
  shown.uploaded = task.Uploaded();
  shown.percent = task.Percent();
  shown.remaining = task.RemainingSeconds();
  if (shown == task.shown) return;
  task.shown = std::move(shown);
  task.changed = true;
}

std::string DownloadList::CellText(int rowIndex, int column) const {
  if (rowIndex < 0 || rowIndex >= static_cast<int>(rows_.size())) return std::string();
  const Row& row = rows_[rowIndex];
  if (row.source != nullptr) {
    const TaskSource& source = *row.source;
    switch (column) {
      case kName: return source.RowName();
      case kStatus: return source.StatusText();
      case kSpeed: return Speed(source.Speed());
      case kPercent: return document_.OtherPercent() ? Percent(source.Percent()) : std::string();
      case kDownloaded: return FormatAmount(source.Downloaded(), "KB");
      case kUploaded: return FormatAmount(source.Uploaded(), "KB");
      default: return std::string();
    }
  }
  const DownloadTask& task = *row.task;
  const DownloadTask::Shown& shown = task.shown;
  switch (column) {
    case kName: return task.item.fileName;
    case kSize: return FormatAmount(task.item.fileSize, "KB");
    case kCost: return Cost(task.item.fileSize);
    case kStatus: return task.coinsShort ? DownloadTask::kCoinsShortText : shown.status;
    case kSpeed: return Speed(shown.speed);
    case kUpSpeed: return Speed(shown.upSpeed);
    case kPercent: return Percent(shown.percent);
    case kTimeUsed: return FormatDuration(task.timeUsed);
    case kRemaining: return Remaining(shown.remaining);
    case kDownloaded: return FormatAmount(shown.downloaded, "KB");
    case kUploaded: return FormatAmount(shown.uploaded, "KB");
    case kComment: return task.item.comment;
    default: return std::string();
  }
}

void DownloadList::FillCell(NMLVDISPINFOA& info) const {
  if (!(info.item.mask & LVIF_TEXT) || info.item.pszText == nullptr || info.item.cchTextMax <= 0) return;
  int position = info.item.iSubItem;
  int column = position >= 0 && position < static_cast<int>(shownColumns_.size()) ? shownColumns_[position] : -1;
  PutCellText(info, column == kPlay ? std::string() : CellText(info.item.iItem, column));
}

// --- drawing ---------------------------------------------------------------

void DownloadList::OnRowPainted(HDC dc, int index) {
  if (index < 0 || index >= static_cast<int>(rows_.size())) return;
  const Row& row = rows_[index];
  RECT cell;
  int percentAt = ColumnPosition(kPercent), playAt = ColumnPosition(kPlay);
  if (row.source == nullptr || document_.OtherPercent()) {
    int32_t percent = row.source != nullptr ? row.source->Percent() : row.task->shown.percent;
    if (Control().SubItemRect(index, percentAt, cell)) progressBar_.Draw(dc, cell, percent);
  }
  if (row.source == nullptr && IsPlayableName(row.task->item.fileName) && Control().SubItemRect(index, playAt, cell))
    playImage_.Draw(dc, cell);
}

void DownloadList::Redraw() const {
  if (Control().Handle() != nullptr) InvalidateRect(Control().Handle(), nullptr, FALSE);
}

// Only rows on screen that show something new are drawn again; source rows
// show their peers' live values and are always drawn.
void DownloadList::RedrawChangedRows() {
  int first = Control().TopIndex(), last = std::min<int>(first + Control().CountPerPage() + 1, rows_.size());
  for (int row = std::max(first, 0); row < last; ++row)
    if (rows_[row].source != nullptr || rows_[row].task->changed) Control().RedrawItems(row, row);
  for (auto& [id, task] : tasks_) task->changed = false;
}

// --- rows ------------------------------------------------------------------

void DownloadList::SyncControl() { Control().SetVirtualCount(static_cast<int>(rows_.size()), 0); }

std::vector<DownloadList::Row> DownloadList::SelectedRows() const {
  std::vector<Row> selected;
  for (int index : Control().SelectedItems())
    if (index < static_cast<int>(rows_.size())) selected.push_back(rows_[index]);
  return selected;
}

std::vector<DownloadTask*> DownloadList::SelectedTasks() const {
  std::vector<DownloadTask*> tasks;
  for (const Row& row : SelectedRows())
    if (row.source == nullptr) tasks.push_back(row.task);
  return tasks;
}

int DownloadList::RowOf(const DownloadTask* task) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].task == task && rows_[i].source == nullptr) return static_cast<int>(i);
  return -1;
}

std::vector<DownloadTask*> DownloadList::TaskOrder() const {
  std::vector<DownloadTask*> order;
  order.reserve(tasks_.size());
  for (const Row& row : rows_)
    if (row.source == nullptr) order.push_back(row.task);
  return order;
}

// The control keeps its selection by position: it follows its rows here.
void DownloadList::RebuildRows(const std::vector<DownloadTask*>& order) {
  std::vector<Row> selected = SelectedRows();
  rows_.clear();
  rows_.reserve(order.size());
  for (DownloadTask* task : order) {
    rows_.push_back({task, nullptr});
    if (!task->expanded) continue;
    for (const auto& source : task->Sources()) rows_.push_back({task, source.get()});
  }
  SyncControl();
  if (selected.empty()) return;
  Control().Select(-1, false);
  std::unordered_map<const void*, int> positions;
  for (size_t i = 0; i < rows_.size(); ++i)
    positions[rows_[i].source != nullptr ? static_cast<const void*>(rows_[i].source) : rows_[i].task] =
        static_cast<int>(i);
  for (const Row& row : selected) {
    auto found = positions.find(row.source != nullptr ? static_cast<const void*>(row.source) : row.task);
    if (found != positions.end()) Control().Select(found->second, true);
  }
}

void DownloadList::InsertTaskRow(DownloadTask& task, int position) {
  std::vector<DownloadTask*> order = TaskOrder();
  position = std::clamp(position, 0, static_cast<int>(order.size()));
  order.insert(order.begin() + position, &task);
  RebuildRows(order);
}

void DownloadList::RemoveRows(const DownloadTask& task) {
  std::vector<DownloadTask*> order = TaskOrder();
  order.erase(std::remove(order.begin(), order.end(), &task), order.end());
  RebuildRows(order);
}

void DownloadList::InsertSourceRow(DownloadTask& task, TaskSource&) {
  if (task.expanded) RebuildRows(TaskOrder());
}

void DownloadList::RemoveSourceRow(const TaskSource& source) {
  for (const Row& row : rows_) {
    if (row.source == &source) {
      RebuildRows(TaskOrder());
      return;
    }
  }
}

void DownloadList::ToggleExpanded(DownloadTask& task) {
  task.expanded = !task.expanded;
  RebuildRows(TaskOrder());
}

// Each click on a column sorts by it the other way round; expanded tasks
// keep their sources below them.
void DownloadList::SortBy(int column) {
  if (column < 0 || column >= kColumnCount || !kColumns[column].sortable) return;
  bool descending = sortDescending_[column];
  sortDescending_[column] = !descending;
  auto key = [column](const DownloadTask& a, const DownloadTask& b) -> int {
    auto compare = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (column) {
      case kName: return a.item.fileName.compare(b.item.fileName);
      case kStatus: {
        std::string sa = a.coinsShort ? DownloadTask::kCoinsShortText : a.shown.status;
        std::string sb = b.coinsShort ? DownloadTask::kCoinsShortText : b.shown.status;
        return sa.compare(sb);
      }
      case kSize:
      case kCost: return compare(a.item.fileSize, b.item.fileSize);
      case kSpeed: return compare(a.shown.speed, b.shown.speed);
      case kPercent: return compare(a.shown.percent, b.shown.percent);
      case kPlay: return compare(IsPlayableName(a.item.fileName), IsPlayableName(b.item.fileName));
      case kRemaining: return Remaining(a.shown.remaining).compare(Remaining(b.shown.remaining));
      default: return 0;
    }
  };
  std::vector<DownloadTask*> order = TaskOrder();
  std::stable_sort(order.begin(), order.end(), [&](const DownloadTask* a, const DownloadTask* b) {
    int order = key(*a, *b);
    return descending ? order > 0 : order < 0;
  });
  RebuildRows(order);
}
