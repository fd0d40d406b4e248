// Drag and drop on the share page: shell items dropped on a category are
// shared; rows and categories dragged within the page travel in the private
// format "TV Share Array" and are moved (files) or copied (categories).
#include "share/SharePage.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "controls/DragData.h"
#include "frame/ResourceIds.h"
#include "frame/XmlElement.h"
#include "share/ShareDropTarget.h"
#include "share/ShareLibrary.h"

namespace {

constexpr const char* kCaption = "拓瓦";

// The private format: what is dragged and the elements, as 64-bit values
// whatever the pointer size. The elements are checked against the page
// before use: they must still be rows or tree items.
enum class ArrayKind : uint32_t { Files = 1, Category = 2 };
struct ShareArrayHeader {
  uint32_t kind;
  uint32_t count;
};
static_assert(sizeof(ShareArrayHeader) == 8, "fixed layout");

std::string ShareArray(ArrayKind kind, const std::vector<const XmlElement*>& elements) {
  ShareArrayHeader header = {static_cast<uint32_t>(kind), static_cast<uint32_t>(elements.size())};
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  for (const XmlElement* element : elements) {
    uint64_t value = reinterpret_cast<uintptr_t>(element);
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  return bytes;
}

bool ReadShareArray(const std::string& bytes, ArrayKind& kind, std::vector<XmlElement*>& elements) {
  ShareArrayHeader header = {};
  if (bytes.size() < sizeof header) return false;
  std::memcpy(&header, bytes.data(), sizeof header);
  if (header.count > (bytes.size() - sizeof header) / sizeof(uint64_t)) return false;
  kind = static_cast<ArrayKind>(header.kind);
  for (uint32_t i = 0; i < header.count; ++i) {
    uint64_t value = 0;
    std::memcpy(&value, bytes.data() + sizeof header + i * sizeof value, sizeof value);
    elements.push_back(reinterpret_cast<XmlElement*>(static_cast<uintptr_t>(value)));
  }
  return true;
}

}  // namespace

UINT SharePage::ShareArrayFormat() {
  static const UINT format = RegisterClipboardFormatA("TV Share Array");
  return format;
}

UINT SharePage::ShellIdListFormat() {
  static const UINT format = RegisterClipboardFormatA("Shell IDList Array");
  return format;
}

bool SharePage::CanAccept(IDataObject* data) {
  if (data == nullptr) return false;
  for (UINT format : {ShareArrayFormat(), ShellIdListFormat()}) {
    FORMATETC wanted = {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (data->QueryGetData(&wanted) == S_OK) return true;
  }
  return false;
}

void SharePage::RegisterDropTargets() {
  if (treeTarget_ || shareTree_.Handle() == nullptr) return;
  treeTarget_.Attach(new ShareDropTarget(*this, shareTree_.Handle()));
  listTarget_.Attach(new ShareDropTarget(*this, shareFiles_.Handle()));
  // Without OLE on this thread nothing can be dropped; the drop calls
  // themselves still work for callers that hold the targets.
  RegisterDragDrop(shareTree_.Handle(), treeTarget_.Get());
  RegisterDragDrop(shareFiles_.Handle(), listTarget_.Get());
}

void SharePage::RevokeDropTargets() {
  if (!treeTarget_) return;
  RevokeDragDrop(shareTree_.Handle());
  RevokeDragDrop(shareFiles_.Handle());
  treeTarget_.Reset();
  listTarget_.Reset();
}

IDropTarget* SharePage::DropTargetOf(HWND window) const {
  if (window == shareTree_.Handle()) return treeTarget_.Get();
  return window == shareFiles_.Handle() ? listTarget_.Get() : nullptr;
}

XmlElement* SharePage::DropCategory(HWND window, POINT screen) const {
  if (window != shareTree_.Handle()) return SelectedCategory();
  TVHITTESTINFO hit = {};
  hit.pt = screen;
  ScreenToClient(window, &hit.pt);
  HTREEITEM item = TreeView_HitTest(window, &hit);
  return item != nullptr && item != shareRoot_ ? ElementOf(item) : nullptr;
}

bool SharePage::DropOn(HWND window, POINT screen, IDataObject* data) {
  if (library_ == nullptr || data == nullptr) return false;
  XmlElement* category = DropCategory(window, screen);
  if (category == nullptr) {
    MessageBoxA(Handle(), "请先选择类别", kCaption, MB_OK | MB_ICONINFORMATION);
    return false;
  }
  const std::string array = DataBytes(data, ShareArrayFormat());
  if (!array.empty()) return DropShareArray(*category, array);
  const std::string idList = DataBytes(data, ShellIdListFormat());
  return !idList.empty() && DropShellItems(*category, idList);
}

bool SharePage::DropShellItems(XmlElement& category, const std::string& idList) {
  auto items = ShareLibrary::ItemsOfShellIdList(reinterpret_cast<const CIDA*>(idList.data()), idList.size());
  if (items.empty() || library_->AddDroppedItems(category, items) == 0) return false;
  ShowCategoryAgain(category);
  return true;
}

bool SharePage::IsFileRow(const XmlElement* file) const {
  for (int row = 0; row < shareFiles_.ItemCount(); ++row)
    if (reinterpret_cast<const XmlElement*>(shareFiles_.ItemData(row)) == file) return true;
  return false;
}

bool SharePage::DropShareArray(XmlElement& category, const std::string& array) {
  ArrayKind kind = ArrayKind::Files;
  std::vector<XmlElement*> elements;
  if (!ReadShareArray(array, kind, elements) || elements.empty()) return false;
  if (kind == ArrayKind::Category) {
    HTREEITEM source = ItemOf(elements.front());
    HTREEITEM target = ItemOf(&category);
    if (source == nullptr || source == shareRoot_ || target == nullptr) return false;
    XmlElement* copy = library_->CopyCategory(category, *elements.front());
    if (copy == nullptr) return false;
    AddCategoryItems(InsertCategoryItem(target, *copy), *copy);
    TreeView_Expand(shareTree_.Handle(), target, TVE_EXPAND);
    return true;
  }
  if (kind != ArrayKind::Files) return false;
  std::vector<XmlElement*> files;
  for (XmlElement* file : elements)
    if (IsFileRow(file) && file->Parent() != &category) files.push_back(file);
  if (files.empty()) return false;
  for (int row = shareFiles_.ItemCount() - 1; row >= 0; --row) {
    auto* shown = reinterpret_cast<XmlElement*>(shareFiles_.ItemData(row));
    if (std::find(files.begin(), files.end(), shown) != files.end()) shareFiles_.DeleteItem(row);
  }
  library_->MoveFiles(category, files);
  return true;
}

void SharePage::ShowCategoryAgain(XmlElement& category) {
  HTREEITEM item = ItemOf(&category);
  if (item == nullptr) return;
  while (HTREEITEM child = TreeView_GetChild(shareTree_.Handle(), item)) shareTree_.Delete(child);
  {
    std::lock_guard<std::recursive_mutex> guard(library_->Lock());
    AddCategoryItems(item, category);
  }
  TreeView_Expand(shareTree_.Handle(), item, TVE_EXPAND);
  if (SelectedCategory() == &category) ShowFiles(&category);
}

win::ComPtr<IDataObject> SharePage::DragOfSelectedRows() const {
  win::ComPtr<IDataObject> data;
  std::vector<const XmlElement*> files;
  for (int row : shareFiles_.SelectedItems()) files.push_back(reinterpret_cast<XmlElement*>(shareFiles_.ItemData(row)));
  if (!files.empty()) data.Attach(new DragDataObject(ShareArrayFormat(), ShareArray(ArrayKind::Files, files)));
  return data;
}

win::ComPtr<IDataObject> SharePage::DragOfCategory(HTREEITEM item) const {
  win::ComPtr<IDataObject> data;
  if (IsBelowTopLevel(item))
    data.Attach(new DragDataObject(ShareArrayFormat(), ShareArray(ArrayKind::Category, {ElementOf(item)})));
  return data;
}
