#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "controls/ListView.h"
#include "controls/Panel.h"
#include "controls/SplitterBar.h"
#include "controls/TreeView.h"
#include "share/ShellBrowser.h"
#include "win/ComPtr.h"
#include "win/Handles.h"

class HostClient;
class ShareLibrary;
class XmlElement;

// The share page (panel 3, template 3020): the local disks in the upper
// half (ShellBrowser), the user's share in the lower half: the library's
// share tree 3077 with one item per shown category and the file list 3071
// of the selected category. Three splitter bars divide the page. The panes
// and the share tree are in SharePage.cpp, the menus and their commands in
// SharePageMenu.cpp.
class SharePage : public Panel {
 public:
  static constexpr COLORREF kBackground = RGB(0xD3, 0xE3, 0xF7);
  static constexpr int kSplitterStart = 174;
  static constexpr int kHintBand = 23, kHintOffset = 8, kHintHeight = 14, kPaneGap = 8;
  // The link type when no category is selected.
  static constexpr int kNoCategoryType = 3;
  // A longer name typed for a category is cut to this many bytes.
  static constexpr size_t kLongestCategoryName = 64;

  SharePage();
  ~SharePage() override;

  // Fills the share tree (made by the library as a child of this page) from
  // the library's document and takes over its notifications; called after
  // the library started.
  bool ShowLibrary(ShareLibrary& library, HostClient* host);
  ShareLibrary* Library() const { return library_; }
  // Before the library stops: the page lets go of its tree, rows and drop
  // targets.
  void LeaveLibrary();

  TreeView& ShareTree() { return shareTree_; }
  ListView& ShareFiles() { return shareFiles_; }
  ShellBrowser& Shell() { return shell_; }
  SplitterBar& Splitter(int id);
  HTREEITEM ShareRoot() const { return shareRoot_; }
  // The tree item of a category element, or null.
  HTREEITEM ItemOf(const XmlElement* category) const;
  // The category whose files the list shows: null when none or the root is selected.
  XmlElement* SelectedCategory() const;
  // The size column's text of a file size.
  static std::string SizeText(uint32_t size);

  // --- SharePageDrop.cpp ---
  // The private format of drags within the page, and the shell's.
  static UINT ShareArrayFormat();
  static UINT ShellIdListFormat();
  // Whether a data object carries one of the two formats.
  static bool CanAccept(IDataObject* data);
  // A drop on the share tree (on the category under `screen`) or on the
  // file list (on the selected category). True when something was added,
  // moved or copied.
  bool DropOn(HWND window, POINT screen, IDataObject* data);
  // The drop target registered for the share tree or the file list.
  IDropTarget* DropTargetOf(HWND window) const;
  // The data of a drag of the selected rows of the file list, or of a
  // category below a top-level one; null when there is nothing to drag.
  win::ComPtr<IDataObject> DragOfSelectedRows() const;
  win::ComPtr<IDataObject> DragOfCategory(HTREEITEM item) const;

  // --- SharePageMenu.cpp ---
  // The page's menu 3032; its first sub-menu is for the file list, its
  // third for the share tree.
  win::UniqueMenu ShareMenu() const;
  void PrepareListMenu(HMENU menu) const;
  void PrepareTreeMenu(HMENU menu, HTREEITEM item) const;
  // Commands of the list menu on the selected rows, and of the tree menu
  // on `item`. True when the command was one of them.
  bool ListCommand(int id);
  bool TreeCommand(int id, HTREEITEM item);
  // The link of a row with the selected category's type (3 without one).
  std::string RowLink(int row) const;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool OnNotify(const NMHDR& header, LRESULT& answer) override;
  void OnDestroy() override { LeaveLibrary(); }
  HBRUSH Background() const override { return background_.Get(); }

 private:
  void CreateSplitters();
  void Layout();
  void Place(int id, int left, int top, int right, int bottom) const;
  void FillShareTree();
  void AddCategoryItems(HTREEITEM parent, XmlElement& element);
  HTREEITEM InsertCategoryItem(HTREEITEM parent, XmlElement& category);
  void ShowFiles(XmlElement* category);
  void AddFileRow(XmlElement& file);
  bool OnShareTreeNotify(const NMHDR& header, LRESULT& result);
  bool EndLabelEdit(const NMTVDISPINFOA& info);
  XmlElement* ElementOf(HTREEITEM item) const;
  // Top-level categories are the root's children.
  bool IsBelowTopLevel(HTREEITEM item) const;

  // --- SharePageDrop.cpp ---
  void RegisterDropTargets();
  void RevokeDropTargets();
  XmlElement* DropCategory(HWND window, POINT screen) const;
  bool DropShellItems(XmlElement& category, const std::string& idList);
  bool DropShareArray(XmlElement& category, const std::string& array);
  void ShowCategoryAgain(XmlElement& category);
  bool IsFileRow(const XmlElement* file) const;

  // --- SharePageMenu.cpp ---
  void ShowListMenu(POINT screen);
  void ShowTreeMenu(POINT screen);
  void AddComment();
  void RemoveSelectedRows();
  void CopyLink();
  void PushLink();
  void AddSubCategory(HTREEITEM item);
  void DeleteCategory(HTREEITEM item);
  void SetCollectionPassword();
  std::vector<XmlElement*> SelectedFiles() const;

  ShareLibrary* library_ = nullptr;
  HostClient* host_ = nullptr;
  win::UniqueBrush background_;
  ShellBrowser shell_;
  TreeView shareTree_;
  ListView shareFiles_;
  HTREEITEM shareRoot_ = nullptr;
  SplitterBar halves_, upper_, lower_;
  win::ComPtr<IDropTarget> treeTarget_, listTarget_;
};
