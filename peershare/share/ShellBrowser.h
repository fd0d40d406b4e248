#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <deque>
#include <string>
#include <vector>

#include "controls/ListView.h"
#include "controls/TreeView.h"
#include "win/ComPtr.h"
#include "win/ShellHandles.h"

// The upper half of the share page: a folder tree over the shell namespace
// whose one root is the folder that lists the drives, and a list of the
// selected folder's items as the shell enumerates them. Every item's data is
// its absolute item id list, owned here. The tree and list belong to the
// page; their notifications are handed in by it.
class ShellBrowser {
 public:
  static constexpr COLORREF kTreeBackground = RGB(0xF8, 0xF9, 0xFD);

  // Sets up both controls and expands the drives folder.
  bool Attach(HWND tree, HWND list);
  // True when the notification came from the tree or the list and was handled.
  bool OnNotify(const NMHDR& header, LRESULT& result);

  HTREEITEM Root() const { return root_; }
  // The child of `parent` (expanded first) whose display name is `name`, or null.
  HTREEITEM FindChild(HTREEITEM parent, const std::string& name);
  // Double-click on a row: a folder is selected in the tree, anything else
  // is opened with the shell's default verb without activating it. False
  // for a row that is neither.
  bool OpenRow(int row);
  // The file-system path of a row, empty for an item outside the file system.
  std::string RowPath(int row) const;
  // The shell's data object of the selected rows ("Shell IDList Array"
  // among its formats), or null.
  win::ComPtr<IDataObject> DragOfSelectedRows() const;

 private:
  struct ShellItem {
    LPITEMIDLIST id = nullptr;  // absolute, owned by the store it came from
    std::string name;
    int icon = 0;
    bool folder = false;
    bool hasSubfolders = false;
  };
  // The items of a folder; folders only for the tree.
  std::vector<ShellItem> Enumerate(LPCITEMIDLIST folder, bool foldersOnly, std::deque<win::UniqueIdList>& store);
  void Expand(HTREEITEM item);
  void ShowFolder(LPCITEMIDLIST folder);

  TreeView tree_;
  ListView list_;
  HTREEITEM root_ = nullptr;
  std::deque<win::UniqueIdList> treeIds_;
  std::deque<win::UniqueIdList> rowIds_;
  std::vector<bool> rowIsFolder_;
};
