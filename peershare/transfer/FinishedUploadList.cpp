#include "transfer/FinishedUploadList.h"

#include <commctrl.h>

#include "controls/MenuCommands.h"
#include "frame/AmountFormat.h"
#include "frame/ResourceIds.h"
#include "frame/XmlElement.h"
#include "transfer/DownloadList.h"

namespace {

constexpr HistoryList::Column kColumns[FinishedUploadList::kColumnCount] = {
    {"文件名", 250, LVCFMT_LEFT}, {"类型", 38, LVCFMT_LEFT},   {"大小", 75, LVCFMT_RIGHT},
    {"日期", 60, LVCFMT_LEFT},    {"拓瓦号", 55, LVCFMT_LEFT}, {"昵称", 50, LVCFMT_LEFT},
    {"拓币挣得", 60, LVCFMT_LEFT}, {"注释", 80, LVCFMT_LEFT},
};
constexpr int kMenu = 3;

}  // namespace

FinishedUploadList::FinishedUploadList() : HistoryList(kElement, kColumns, kColumnCount, kMenu) {}

std::string FinishedUploadList::Cell(const XmlElement& element, int column) const {
  switch (column) {
    case kName: return AttributeText(element, "fileName");
    case kCategory: return CategoryName(static_cast<int32_t>(NumberOf(element, "fileType")));
    case kSize: return FormatAmount(NumberOf(element, "fileSize"), "KB");
    case kDate: return DateText(AttributeText(element, "time"));
    case kPeer: return std::to_string(NumberOf(element, "pTVID"));
    case kNickname: return AttributeText(element, "nickName");
    case kEarned: return std::to_string(NumberOf(element, "fileSize") >> 20);
    case kComment: return AttributeText(element, "comment");
    default: return std::string();
  }
}

void FinishedUploadList::PrepareMenu(HMENU menu) const {
  bool selection = !Rows().empty() && Control().SelectedCount() > 0;
  for (int command : {ID_UPLOADED_OPEN, ID_UPLOADED_OPEN_FOLDER, ID_UPLOADED_DELETE})
    EnableMenuCommand(menu, command, selection);
}

void FinishedUploadList::RunCommand(int command) {
  for (const XmlElement* element : SelectedElements()) {
    std::string path = AttributeText(*element, "fileName");
    if (command == ID_UPLOADED_OPEN) OpenWithShell(path);
    if (command == ID_UPLOADED_OPEN_FOLDER && !FolderOf(path).empty()) OpenWithShell(FolderOf(path));
  }
  if (command == ID_UPLOADED_DELETE) DeleteSelected();
}
