#include "transfer/FinishedDownloadList.h"

#include <commctrl.h>

#include "controls/MenuCommands.h"
#include "frame/AmountFormat.h"
#include "frame/ResourceIds.h"
#include "frame/XmlElement.h"
#include "transfer/DownloadList.h"
#include "transfer/FieldText.h"

namespace {

constexpr HistoryList::Column kColumns[FinishedDownloadList::kColumnCount] = {
    {"文件名", 250, LVCFMT_LEFT}, {"类型", 38, LVCFMT_LEFT},     {"大小", 75, LVCFMT_RIGHT},
    {"日期", 60, LVCFMT_LEFT},    {"拓币花费", 60, LVCFMT_LEFT}, {"注释", 80, LVCFMT_LEFT},
};
constexpr int kMenu = 2;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

FinishedDownloadList::FinishedDownloadList() : HistoryList(kElement, kColumns, kColumnCount, kMenu) {}

std::string FinishedDownloadList::Cell(const XmlElement& element, int column) const {
  switch (column) {
    case kName: return AttributeText(element, "fileName");
    case kCategory: return CategoryName(static_cast<int32_t>(NumberOf(element, "fileType")));
    case kSize: return FormatAmount(NumberOf(element, "fileSize"), "KB");
    case kDate: return DateText(AttributeText(element, "time"));
    case kCost: return "-" + std::to_string(NumberOf(element, "fileSize") >> 20);
    case kComment: return AttributeText(element, "comment");
    default: return std::string();
  }
}

// The folder can always be chosen, and all rows selected while there are
// any; the rest needs a selection.
void FinishedDownloadList::PrepareMenu(HMENU menu) const {
  bool selection = !Rows().empty() && Control().SelectedCount() > 0;
  for (int command : {ID_FINISHED_OPEN, ID_FINISHED_OPEN_FOLDER, ID_FINISHED_COMMENT, ID_FINISHED_DELETE})
    EnableMenuCommand(menu, command, selection);
  EnableMenuCommand(menu, ID_FINISHED_DOWNLOAD_FOLDER, downloads_ != nullptr);
  EnableMenuCommand(menu, ID_FINISHED_SELECT_ALL, !Rows().empty());
}

void FinishedDownloadList::RunCommand(int command) {
  switch (command) {
    case ID_FINISHED_OPEN: PlaySelected(); return;
    case ID_FINISHED_OPEN_FOLDER: OpenSelectedFolders(); return;
    case ID_FINISHED_DOWNLOAD_FOLDER:
      if (downloads_ != nullptr) downloads_->SetDownloadFolder(nullptr);
      return;
    case ID_FINISHED_COMMENT: CommentSelected(); return;
    case ID_FINISHED_DELETE: DeleteSelected(); return;
    case ID_FINISHED_SELECT_ALL: Control().Select(-1, true); return;
    default: return;
  }
}

void FinishedDownloadList::PlaySelected() {
  if (downloads_ == nullptr) return;
  for (const XmlElement* element : SelectedElements()) {
    std::string path = AttributeText(*element, "fileName");
    if (Exists(path)) downloads_->Player().PlayFile(path);
  }
}

void FinishedDownloadList::OpenSelectedFolders() {
  for (const XmlElement* element : SelectedElements()) {
    std::string folder = FolderOf(AttributeText(*element, "fileName"));
    if (!folder.empty()) OpenWithShell(folder);
  }
}

// The comment reaches the file with the document's next save.
void FinishedDownloadList::CommentSelected() {
  std::vector<XmlElement*> selected = SelectedElements();
  std::string comment;
  if (selected.empty() || downloads_ == nullptr || !downloads_->Prompts().AskComment(comment)) return;
  comment = FieldText::Cut(comment, TransferDocument::kCommentMax);
  for (XmlElement* element : selected) element->SetAttribute("comment", comment);
  Redraw();
}
