#include "share/ShellBrowser.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "controls/DragData.h"
#include "win/ComPtr.h"

namespace {

constexpr int kNameColumnWidth = 300;

win::ComPtr<IShellFolder> FolderOf(LPCITEMIDLIST folder) {
  win::ComPtr<IShellFolder> desktop, result;
  if (FAILED(SHGetDesktopFolder(desktop.Put()))) return result;
  if (folder == nullptr || folder->mkid.cb == 0) return desktop;
  desktop->BindToObject(folder, nullptr, IID_IShellFolder, result.PutVoid());
  return result;
}

int SmallIconOf(LPCITEMIDLIST id) {
  SHFILEINFOA info = {};
  SHGetFileInfoA(reinterpret_cast<const char*>(id), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  return info.iIcon;
}

std::string PathOf(LPCITEMIDLIST id) {
  char path[MAX_PATH] = "";
  return id != nullptr && SHGetPathFromIDListA(id, path) ? std::string(path) : std::string();
}

bool SameId(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  win::ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Put()))) return false;
  return HRESULT_CODE(desktop->CompareIDs(0, a, b)) == 0;
}

}  // namespace

bool ShellBrowser::Attach(HWND tree, HWND list) {
  tree_.Attach(tree);
  list_.Attach(list);
  if (tree == nullptr || list == nullptr) return false;
  SHFILEINFOA info = {};
  auto images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  // The system's list is shared: the controls must not destroy it.
  SetWindowLongPtrA(list, GWL_STYLE, GetWindowLongPtrA(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
  TreeView_SetImageList(tree, images, TVSIL_NORMAL);
  ListView_SetImageList(list, images, LVSIL_SMALL);
  TreeView_SetBkColor(tree, kTreeBackground);
  list_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  if (list_.ColumnCount() == 0) list_.InsertColumn(0, "名称", kNameColumnWidth);

  LPITEMIDLIST drives = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(tree, CSIDL_DRIVES, &drives))) return false;
  treeIds_.emplace_back(drives);
  char name[MAX_PATH] = "";
  SHFILEINFOA named = {};
  if (SHGetFileInfoA(reinterpret_cast<const char*>(drives), 0, &named, sizeof named, SHGFI_PIDL | SHGFI_DISPLAYNAME))
    lstrcpynA(name, named.szDisplayName, sizeof name);
  root_ = tree_.InsertChild(TVI_ROOT, name, SmallIconOf(drives), reinterpret_cast<LPARAM>(drives), 1);
  if (root_ == nullptr) return false;
  Expand(root_);
  TreeView_Expand(tree, root_, TVE_EXPAND);
  return root_ != nullptr;
}

std::vector<ShellBrowser::ShellItem> ShellBrowser::Enumerate(LPCITEMIDLIST folder, bool foldersOnly,
                                                             std::deque<win::UniqueIdList>& store) {
  std::vector<ShellItem> items;
  win::ComPtr<IShellFolder> shell = FolderOf(folder);
  if (!shell) return items;
  win::ComPtr<IEnumIDList> enumerator;
  SHCONTF flags = SHCONTF_FOLDERS | (foldersOnly ? 0 : SHCONTF_NONFOLDERS);
  if (shell->EnumObjects(tree_.Handle(), flags, enumerator.Put()) != S_OK || !enumerator) return items;
  LPITEMIDLIST child = nullptr;
  while (enumerator->Next(1, &child, nullptr) == S_OK) {
    win::UniqueIdList relative(child);
    LPCITEMIDLIST children[] = {child};
    SFGAOF attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM;
    shell->GetAttributesOf(1, children, &attributes);
    STRRET text = {};
    char name[MAX_PATH] = "";
    if (SUCCEEDED(shell->GetDisplayNameOf(child, SHGDN_INFOLDER, &text))) StrRetToBufA(&text, child, name, sizeof name);
    store.emplace_back(ILCombine(folder, child));
    ShellItem item;
    item.id = store.back().Get();
    item.name = name;
    item.icon = SmallIconOf(item.id);
    item.folder = (attributes & SFGAO_FOLDER) != 0;
    item.hasSubfolders = (attributes & SFGAO_HASSUBFOLDER) != 0;
    items.push_back(std::move(item));
  }
  return items;
}

void ShellBrowser::Expand(HTREEITEM item) {
  if (TreeView_GetChild(tree_.Handle(), item) != nullptr) return;
  auto folder = reinterpret_cast<LPCITEMIDLIST>(tree_.Data(item));
  for (ShellItem& child : Enumerate(folder, true, treeIds_)) {
    if (!child.folder) continue;
    tree_.InsertChild(item, child.name, child.icon, reinterpret_cast<LPARAM>(child.id), child.hasSubfolders ? 1 : 0);
  }
}

void ShellBrowser::ShowFolder(LPCITEMIDLIST folder) {
  SendMessageA(list_.Handle(), WM_SETREDRAW, FALSE, 0);
  list_.DeleteAllItems();
  rowIds_.clear();
  rowIsFolder_.clear();
  for (ShellItem& item : Enumerate(folder, false, rowIds_)) {
    LVITEMA row = {};
    row.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    row.iItem = list_.ItemCount();
    row.pszText = item.name.data();
    row.iImage = item.icon;
    row.lParam = reinterpret_cast<LPARAM>(item.id);
    SendMessageA(list_.Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));
    rowIsFolder_.push_back(item.folder);
  }
  SendMessageA(list_.Handle(), WM_SETREDRAW, TRUE, 0);
}

HTREEITEM ShellBrowser::FindChild(HTREEITEM parent, const std::string& name) {
  Expand(parent);
  for (HTREEITEM child = TreeView_GetChild(tree_.Handle(), parent); child != nullptr;
       child = TreeView_GetNextSibling(tree_.Handle(), child))
    if (tree_.Text(child) == name) return child;
  return nullptr;
}

bool ShellBrowser::OpenRow(int row) {
  if (row < 0 || row >= list_.ItemCount()) return false;
  auto id = reinterpret_cast<LPCITEMIDLIST>(list_.ItemData(row));
  if (rowIsFolder_[row]) {
    HTREEITEM parent = TreeView_GetSelection(tree_.Handle());
    if (parent == nullptr) return false;
    Expand(parent);
    for (HTREEITEM child = TreeView_GetChild(tree_.Handle(), parent); child != nullptr;
         child = TreeView_GetNextSibling(tree_.Handle(), child)) {
      if (!SameId(reinterpret_cast<LPCITEMIDLIST>(tree_.Data(child)), id)) continue;
      TreeView_Expand(tree_.Handle(), parent, TVE_EXPAND);
      TreeView_SelectItem(tree_.Handle(), child);
      return true;
    }
    return false;
  }
  const std::string path = PathOf(id);
  if (path.empty()) return false;
  ShellExecuteA(tree_.Handle(), nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNOACTIVATE);
  return true;
}

std::string ShellBrowser::RowPath(int row) const {
  if (row < 0 || row >= list_.ItemCount()) return std::string();
  return PathOf(reinterpret_cast<LPCITEMIDLIST>(list_.ItemData(row)));
}

win::ComPtr<IDataObject> ShellBrowser::DragOfSelectedRows() const {
  win::ComPtr<IDataObject> data;
  HTREEITEM folderItem = TreeView_GetSelection(tree_.Handle());
  if (folderItem == nullptr) return data;
  win::ComPtr<IShellFolder> folder = FolderOf(reinterpret_cast<LPCITEMIDLIST>(tree_.Data(folderItem)));
  std::vector<LPCITEMIDLIST> children;
  for (int row : list_.SelectedItems()) children.push_back(ILFindLastID(reinterpret_cast<LPCITEMIDLIST>(list_.ItemData(row))));
  if (!folder || children.empty()) return data;
  folder->GetUIObjectOf(list_.Handle(), static_cast<UINT>(children.size()), children.data(), IID_IDataObject, nullptr,
                        data.PutVoid());
  return data;
}

bool ShellBrowser::OnNotify(const NMHDR& header, LRESULT& result) {
  result = 0;
  if (header.hwndFrom == tree_.Handle()) {
    if (header.code == TVN_ITEMEXPANDINGA || header.code == TVN_ITEMEXPANDINGW) {
      const auto& view = reinterpret_cast<const NMTREEVIEWA&>(header);
      if (view.action & TVE_EXPAND) Expand(view.itemNew.hItem);
      return true;
    }
    if (header.code == TVN_SELCHANGEDA || header.code == TVN_SELCHANGEDW) {
      const auto& view = reinterpret_cast<const NMTREEVIEWA&>(header);
      if (view.itemNew.hItem != nullptr) ShowFolder(reinterpret_cast<LPCITEMIDLIST>(tree_.Data(view.itemNew.hItem)));
      return true;
    }
    return false;
  }
  if (header.hwndFrom == list_.Handle() && header.code == NM_DBLCLK) {
    OpenRow(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
    return true;
  }
  if (header.hwndFrom == list_.Handle() && header.code == LVN_BEGINDRAG) {
    StartDrag(DragOfSelectedRows().Get());
    return true;
  }
  return false;
}
