#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// Typed operations on a tree-view control the caller does not own.
class TreeView {
 public:
  explicit TreeView(HWND tree = nullptr) : tree_(tree) {}
  void Attach(HWND tree) { tree_ = tree; }
  HWND Handle() const { return tree_; }

  HTREEITEM InsertRoot(const std::string& text, int image, LPARAM data);
  // Appends a child of `parent`; `children` 0 or 1 sets whether it shows an
  // expand button before it has children (-1: as the control decides).
  HTREEITEM InsertChild(HTREEITEM parent, const std::string& text, int image, LPARAM data, int children = -1);
  bool Delete(HTREEITEM item);
  void DeleteAll();
  bool SetItem(HTREEITEM item, const std::string& text, int image);
  // The image the item shows while selected.
  bool SetSelectedImage(HTREEITEM item, int image);
  std::string Text(HTREEITEM item) const;
  int Image(HTREEITEM item) const;
  LPARAM Data(HTREEITEM item) const;
  // The first root item whose data equals data, or null.
  HTREEITEM FindRoot(LPARAM data) const;
  int Count() const;
  void SetImageList(HIMAGELIST images);

 private:
  HWND tree_;
};
