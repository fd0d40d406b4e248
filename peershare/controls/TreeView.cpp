#include "controls/TreeView.h"

#include <vector>

HTREEITEM TreeView::InsertRoot(const std::string& text, int image, LPARAM data) {
  return InsertChild(TVI_ROOT, text, image, data);
}

HTREEITEM TreeView::InsertChild(HTREEITEM parent, const std::string& text, int image, LPARAM data, int children) {
  if (tree_ == nullptr) return nullptr;
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | (children >= 0 ? TVIF_CHILDREN : 0);
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.iImage = image;
  insert.item.iSelectedImage = image;
  insert.item.cChildren = children;
  insert.item.lParam = data;
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

bool TreeView::Delete(HTREEITEM item) {
  return tree_ != nullptr && item != nullptr && SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

void TreeView::DeleteAll() {
  if (tree_ != nullptr) SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

bool TreeView::SetItem(HTREEITEM item, const std::string& text, int image) {
  if (tree_ == nullptr || item == nullptr) return false;
  TVITEMA value = {};
  value.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  value.hItem = item;
  value.pszText = const_cast<char*>(text.c_str());
  value.iImage = image;
  value.iSelectedImage = image;
  return SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&value)) != 0;
}

bool TreeView::SetSelectedImage(HTREEITEM item, int image) {
  if (tree_ == nullptr || item == nullptr) return false;
  TVITEMA value = {};
  value.mask = TVIF_SELECTEDIMAGE;
  value.hItem = item;
  value.iSelectedImage = image;
  return SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&value)) != 0;
}

std::string TreeView::Text(HTREEITEM item) const {
  if (tree_ == nullptr || item == nullptr) return std::string();
  std::vector<char> buffer(1024, '\0');
  TVITEMA value = {};
  value.mask = TVIF_TEXT;
  value.hItem = item;
  value.pszText = buffer.data();
  value.cchTextMax = static_cast<int>(buffer.size());
  if (!SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&value))) return std::string();
  return value.pszText;
}

int TreeView::Image(HTREEITEM item) const {
  TVITEMA value = {};
  value.mask = TVIF_IMAGE;
  value.hItem = item;
  if (tree_ == nullptr || !SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&value))) return -1;
  return value.iImage;
}

LPARAM TreeView::Data(HTREEITEM item) const {
  TVITEMA value = {};
  value.mask = TVIF_PARAM;
  value.hItem = item;
  if (tree_ == nullptr || !SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&value))) return 0;
  return value.lParam;
}

HTREEITEM TreeView::FindRoot(LPARAM data) const {
  if (tree_ == nullptr) return nullptr;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  while (item != nullptr && Data(item) != data)
    item = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
  return item;
}

int TreeView::Count() const {
  return tree_ != nullptr ? static_cast<int>(SendMessageA(tree_, TVM_GETCOUNT, 0, 0)) : 0;
}

void TreeView::SetImageList(HIMAGELIST images) {
  if (tree_ != nullptr) SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}
