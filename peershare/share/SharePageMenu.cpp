// The share page's menus: the file list's on the selected rows, the share
// tree's on the item under the cursor, and what their commands do.
#include "share/SharePage.h"

#include <mutex>

#include "controls/Clipboard.h"
#include "controls/MenuCommands.h"
#include "frame/HostClient.h"
#include "frame/ModuleState.h"
#include "frame/ResourceIds.h"
#include "frame/XmlElement.h"
#include "share/CodePageText.h"
#include "share/CollectionPasswordDialog.h"
#include "share/ShareCategories.h"
#include "share/ShareLibrary.h"
#include "share/ShareLink.h"
#include "transfer/CommentDialog.h"

namespace {

constexpr int kListMenu = 0, kTreeMenu = 2;

}  // namespace

win::UniqueMenu SharePage::ShareMenu() const {
  return win::UniqueMenu(LoadMenuA(ModuleState::ResourceModule(), MAKEINTRESOURCEA(IDM_SHARE_PAGE)));
}

void SharePage::PrepareListMenu(HMENU menu) const {
  const bool rows = library_ != nullptr && shareFiles_.SelectedCount() > 0;
  for (int command : {ID_SHARE_COMMENT, ID_SHARE_REMOVE, ID_SHARE_COPY_LINK, ID_SHARE_PUSH_LINK})
    EnableMenuCommand(menu, command, rows);
}

void SharePage::PrepareTreeMenu(HMENU menu, HTREEITEM item) const {
  EnableMenuCommand(menu, ID_CATEGORY_ADD, item != nullptr && item != shareRoot_);
  EnableMenuCommand(menu, ID_CATEGORY_DELETE, IsBelowTopLevel(item));
  EnableMenuCommand(menu, ID_CATEGORY_RENAME, IsBelowTopLevel(item));
  EnableMenuCommand(menu, ID_COLLECTION_PASSWORD, library_ != nullptr);
}

void SharePage::ShowListMenu(POINT screen) {
  win::UniqueMenu menu = ShareMenu();
  HMENU list = GetSubMenu(menu.Get(), kListMenu);
  if (list == nullptr) return;
  PrepareListMenu(list);
  int command = TrackPopupMenu(list, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr);
  if (command != 0) ListCommand(command);
}

void SharePage::ShowTreeMenu(POINT screen) {
  TVHITTESTINFO hit = {};
  hit.pt = screen;
  ScreenToClient(shareTree_.Handle(), &hit.pt);
  HTREEITEM item = TreeView_HitTest(shareTree_.Handle(), &hit);
  win::UniqueMenu menu = ShareMenu();
  HMENU tree = GetSubMenu(menu.Get(), kTreeMenu);
  if (tree == nullptr) return;
  PrepareTreeMenu(tree, item);
  int command = TrackPopupMenu(tree, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr);
  if (command != 0) TreeCommand(command, item);
}

// Each command checks again what its menu entry was enabled for.
bool SharePage::ListCommand(int id) {
  if (id != ID_SHARE_COMMENT && id != ID_SHARE_REMOVE && id != ID_SHARE_COPY_LINK && id != ID_SHARE_PUSH_LINK)
    return false;
  if (library_ == nullptr || shareFiles_.SelectedCount() == 0) return true;
  switch (id) {
    case ID_SHARE_COMMENT: AddComment(); break;
    case ID_SHARE_REMOVE: RemoveSelectedRows(); break;
    case ID_SHARE_COPY_LINK: CopyLink(); break;
    default: PushLink(); break;
  }
  return true;
}

bool SharePage::TreeCommand(int id, HTREEITEM item) {
  switch (id) {
    case ID_CATEGORY_ADD:
      if (item != nullptr && item != shareRoot_) AddSubCategory(item);
      return true;
    case ID_CATEGORY_DELETE:
      if (IsBelowTopLevel(item)) DeleteCategory(item);
      return true;
    case ID_CATEGORY_RENAME:
      if (IsBelowTopLevel(item)) TreeView_EditLabel(shareTree_.Handle(), item);
      return true;
    case ID_COLLECTION_PASSWORD:
      SetCollectionPassword();
      return true;
    default:
      return false;
  }
}

std::vector<XmlElement*> SharePage::SelectedFiles() const {
  std::vector<XmlElement*> files;
  for (int row : shareFiles_.SelectedItems()) files.push_back(reinterpret_cast<XmlElement*>(shareFiles_.ItemData(row)));
  return files;
}

void SharePage::AddComment() {
  std::string comment;
  if (!CommentDialog::Ask(Handle(), comment)) return;
  std::lock_guard<std::recursive_mutex> guard(library_->Lock());
  for (int row : shareFiles_.SelectedItems()) {
    auto* file = reinterpret_cast<XmlElement*>(shareFiles_.ItemData(row));
    file->RemoveChildrenNamed("comment");
    file->SetChildText("comment", comment);
    shareFiles_.SetItemText(row, 2, comment);
  }
  library_->MarkChanged();
}

void SharePage::RemoveSelectedRows() {
  std::vector<int> rows = shareFiles_.SelectedItems();
  std::vector<XmlElement*> files = SelectedFiles();
  // Rows go first, from the last, so that no row names a removed element.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) shareFiles_.DeleteItem(*row);
  library_->RemoveFiles(files);
}

std::string SharePage::RowLink(int row) const {
  if (library_ == nullptr || row < 0 || row >= shareFiles_.ItemCount()) return std::string();
  std::lock_guard<std::recursive_mutex> guard(library_->Lock());
  const auto* file = reinterpret_cast<const XmlElement*>(shareFiles_.ItemData(row));
  std::string path;
  file->GetChildText("filePath", path);
  int type = kNoCategoryType;
  if (const XmlElement* category = SelectedCategory()) {
    const XmlElement* topLevel = library_->Document().TopLevelCategory(*category);
    if (topLevel != nullptr) type = ShareCategories::LabelCode(AttributeOf(*topLevel, "name"));
  }
  const auto size = static_cast<uint32_t>(strtoul(AttributeOf(*file, "fileSize").c_str(), nullptr, 10));
  return ShareLink(AttributeOf(*file, "MD5"), CodePageText::FileNameOf(path), size, type);
}

void SharePage::CopyLink() { CopyTextToClipboard(Handle(), RowLink(shareFiles_.NextItem(-1, LVNI_SELECTED))); }

void SharePage::PushLink() {
  if (host_ == nullptr) return;
  const std::string link = RowLink(shareFiles_.NextItem(-1, LVNI_SELECTED));
  host_->PushLinkToFriend(link.c_str());
}

void SharePage::AddSubCategory(HTREEITEM item) {
  XmlElement* parent = ElementOf(item);
  if (parent == nullptr) return;
  XmlElement* category = nullptr;
  {
    std::lock_guard<std::recursive_mutex> guard(library_->Lock());
    category = library_->Document().AddCategory(*parent, ShareCategories::kNewSubCategory);
    library_->MarkChanged();
  }
  if (category == nullptr) return;
  HTREEITEM added = InsertCategoryItem(item, *category);
  TreeView_Expand(shareTree_.Handle(), item, TVE_EXPAND);
  SetFocus(shareTree_.Handle());
  TreeView_EditLabel(shareTree_.Handle(), added);
}

void SharePage::DeleteCategory(HTREEITEM item) {
  XmlElement* category = ElementOf(item);
  if (category == nullptr) return;
  // The rows of the category or of one below it would name removed elements.
  for (HTREEITEM shown = TreeView_GetSelection(shareTree_.Handle()); shown != nullptr;
       shown = TreeView_GetParent(shareTree_.Handle(), shown))
    if (shown == item) {
      shareFiles_.DeleteAllItems();
      break;
    }
  // The item goes first: its data is the element about to be removed.
  shareTree_.Delete(item);
  library_->RemoveCategory(*category);
}

void SharePage::SetCollectionPassword() {
  std::string password;
  if (library_ != nullptr && CollectionPasswordDialog::Ask(Handle(), password)) library_->SetCollectionPassword(password);
}
