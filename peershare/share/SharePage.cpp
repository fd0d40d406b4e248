#include "share/SharePage.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>

#include "controls/DragData.h"
#include "frame/AmountFormat.h"
#include "frame/ResourceIds.h"
#include "frame/XmlElement.h"
#include "share/ShareLibrary.h"
#include "transfer/FieldText.h"

namespace {

constexpr COLORREF kHintColour = RGB(0xFF, 0, 0);
constexpr UINT kCodePage = 936;

bool IsCategory(const XmlElement& element) { return element.Name() == "Type"; }

// The hint is drawn in red on the page's background.
LRESULT CALLBACK HintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (message == kReflectColorStatic) {
    SetTextColor(reinterpret_cast<HDC>(wParam), kHintColour);
    return 1;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &HintProc, id);
  return DefSubclassProc(window, message, wParam, lParam);
}

// A label edit's text as a category name: blanks around it go, and a long
// one is cut at a character boundary. Empty when the text is empty or holds
// a character that code page 936 has not (the tree's own conversion would
// have put "?" in its place). The edit control, while there, has the text
// as typed.
std::string CategoryName(HWND edit, const char* converted) {
  std::string name = converted;
  const int length = edit != nullptr ? GetWindowTextLengthW(edit) : 0;
  if (length > 0) {
    std::wstring typed(static_cast<size_t>(length) + 1, L'\0');
    typed.resize(static_cast<size_t>(GetWindowTextW(edit, typed.data(), length + 1)));
    BOOL defaulted = FALSE;
    name.assign(static_cast<size_t>(length) * 2 + 1, '\0');
    const int bytes = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, typed.data(), static_cast<int>(typed.size()),
                                          name.data(), static_cast<int>(name.size()), nullptr, &defaulted);
    if (bytes <= 0 || defaulted) return std::string();
    name.resize(static_cast<size_t>(bytes));
  }
  const size_t first = name.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  name = name.substr(first, name.find_last_not_of(" \t") - first + 1);
  return FieldText::Cut(name, SharePage::kLongestCategoryName);
}

}  // namespace

SharePage::SharePage() : background_(CreateSolidBrush(kBackground)) {}

SharePage::~SharePage() = default;

bool SharePage::OnInitDialog() {
  SetWindowSubclass(Item(IDC_SHARE_HINT), &HintProc, IDC_SHARE_HINT, 0);
  shareFiles_.Attach(Item(IDC_SHARE_FILES));
  shareFiles_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  shareFiles_.InsertColumn(0, "文件名", 250);
  shareFiles_.InsertColumn(1, "大小", 80, LVCFMT_RIGHT);
  shareFiles_.InsertColumn(2, "注释", 100);
  shell_.Attach(Item(IDC_SHELL_TREE), Item(IDC_SHELL_FILES));
  CreateSplitters();
  Layout();
  return true;
}

void SharePage::CreateSplitters() {
  halves_.Create(Handle(), IDC_SPLIT_HALVES, SplitterBar::Direction::Horizontal, kSplitterStart);
  upper_.Create(Handle(), IDC_SPLIT_UPPER, SplitterBar::Direction::Vertical, kSplitterStart + 2);
  lower_.Create(Handle(), IDC_SPLIT_LOWER, SplitterBar::Direction::Vertical, kSplitterStart + 2);
}

SplitterBar& SharePage::Splitter(int id) {
  if (id == IDC_SPLIT_UPPER) return upper_;
  return id == IDC_SPLIT_LOWER ? lower_ : halves_;
}

void SharePage::Place(int id, int left, int top, int right, int bottom) const {
  HWND control = GetDlgItem(Handle(), id);
  if (control != nullptr)
    MoveWindow(control, left, top, std::max(0, right - left), std::max(0, bottom - top), TRUE);
}

void SharePage::Layout() {
  if (Handle() == nullptr || halves_.Handle() == nullptr) return;
  RECT area = {};
  GetClientRect(Handle(), &area);
  const int middle = halves_.Position();
  const int upperX = upper_.Position(), lowerX = lower_.Position();
  const int lowerTop = middle + SplitterBar::kThickness + kHintBand;
  halves_.Place(0, area.right);
  upper_.Place(0, middle);
  lower_.Place(lowerTop, area.bottom);
  Place(IDC_SHELL_TREE, 0, 0, upperX, middle);
  // The filter sits on top of the upper list.
  RECT filter = {};
  GetWindowRect(Item(IDC_FILE_FILTER), &filter);
  const int filterHeight = std::max<int>(filter.bottom - filter.top, 20);
  Place(IDC_FILE_FILTER_LABEL, upperX + kPaneGap, 4, upperX + kPaneGap + 60, 18);
  Place(IDC_FILE_FILTER, upperX + kPaneGap + 64, 0, upperX + kPaneGap + 224, filterHeight + 100);
  Place(IDC_SHELL_FILES, upperX + kPaneGap, filterHeight + 2, area.right, middle);
  const int hintTop = middle + kHintOffset;
  Place(IDC_SHARE_HINT, 0, hintTop, area.right, hintTop + kHintHeight);
  Place(ShareLibrary::kTreeId, 0, lowerTop, lowerX, area.bottom);
  Place(IDC_SHARE_FILES, lowerX + kPaneGap, lowerTop, area.right, area.bottom);
}

bool SharePage::OnCommand(int id, int code) {
  if ((id == IDC_SPLIT_HALVES || id == IDC_SPLIT_UPPER || id == IDC_SPLIT_LOWER) && code == SplitterBar::kMoved) {
    Layout();
    return true;
  }
  return false;
}

bool SharePage::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR&) {
  if (message != WM_SIZE) return false;
  Layout();
  return true;
}

bool SharePage::OnNotify(const NMHDR& header, LRESULT& answer) {
  if (shell_.OnNotify(header, answer) || OnShareTreeNotify(header, answer)) return true;
  if (header.hwndFrom != shareFiles_.Handle()) return false;
  if (header.code == NM_RCLICK) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    ShowListMenu(cursor);
    return true;
  }
  if (header.code != LVN_BEGINDRAG) return false;
  StartDrag(DragOfSelectedRows().Get());
  return true;
}

// --- the lower half ---

bool SharePage::ShowLibrary(ShareLibrary& library, HostClient* host) {
  library_ = &library;
  host_ = host;
  shareTree_.Attach(Item(ShareLibrary::kTreeId));
  if (shareTree_.Handle() == nullptr) return false;
  FillShareTree();
  RegisterDropTargets();
  // What a dropped folder holds arrives after the drop.
  library.onFolderAdded = [this](XmlElement& category) { ShowCategoryAgain(category); };
  Layout();
  return true;
}

void SharePage::LeaveLibrary() {
  if (library_ != nullptr) library_->onFolderAdded = nullptr;
  RevokeDropTargets();
  shareFiles_.DeleteAllItems();
  shareTree_.Attach(nullptr);
  shareRoot_ = nullptr;
  library_ = nullptr;
  host_ = nullptr;
}

void SharePage::FillShareTree() {
  shareTree_.DeleteAll();
  shareFiles_.DeleteAllItems();
  std::lock_guard<std::recursive_mutex> guard(library_->Lock());
  XmlElement* root = library_->Document().Root();
  shareRoot_ = shareTree_.InsertRoot("共享文件", 0, reinterpret_cast<LPARAM>(root));
  if (root != nullptr) AddCategoryItems(shareRoot_, *root);
  TreeView_Expand(shareTree_.Handle(), shareRoot_, TVE_EXPAND);
}

void SharePage::AddCategoryItems(HTREEITEM parent, XmlElement& element) {
  for (size_t i = 0; i < element.ChildCount(); ++i) {
    XmlElement& child = *element.Child(i);
    if (!IsCategory(child) || !ShareDocument::IsShown(child)) continue;
    AddCategoryItems(InsertCategoryItem(parent, child), child);
  }
}

HTREEITEM SharePage::InsertCategoryItem(HTREEITEM parent, XmlElement& category) {
  return shareTree_.InsertChild(parent, AttributeOf(category, "name"), 0, reinterpret_cast<LPARAM>(&category));
}

XmlElement* SharePage::ElementOf(HTREEITEM item) const {
  return item != nullptr ? reinterpret_cast<XmlElement*>(shareTree_.Data(item)) : nullptr;
}

HTREEITEM SharePage::ItemOf(const XmlElement* category) const {
  // Depth-first over the whole tree: categories are few.
  std::vector<HTREEITEM> pending = {shareRoot_};
  while (!pending.empty()) {
    HTREEITEM item = pending.back();
    pending.pop_back();
    if (item == nullptr) continue;
    if (ElementOf(item) == category) return item;
    for (HTREEITEM child = TreeView_GetChild(shareTree_.Handle(), item); child != nullptr;
         child = TreeView_GetNextSibling(shareTree_.Handle(), child))
      pending.push_back(child);
  }
  return nullptr;
}

XmlElement* SharePage::SelectedCategory() const {
  HTREEITEM selected = TreeView_GetSelection(shareTree_.Handle());
  return selected != nullptr && selected != shareRoot_ ? ElementOf(selected) : nullptr;
}

bool SharePage::IsBelowTopLevel(HTREEITEM item) const {
  HTREEITEM parent = item != nullptr ? TreeView_GetParent(shareTree_.Handle(), item) : nullptr;
  return parent != nullptr && parent != shareRoot_;
}

std::string SharePage::SizeText(uint32_t size) { return FormatAmount(size, "KB"); }

void SharePage::ShowFiles(XmlElement* category) {
  SendMessageA(shareFiles_.Handle(), WM_SETREDRAW, FALSE, 0);
  shareFiles_.DeleteAllItems();
  if (category != nullptr && library_ != nullptr) {
    std::lock_guard<std::recursive_mutex> guard(library_->Lock());
    for (size_t i = 0; i < category->ChildCount(); ++i)
      if (category->Child(i)->Name() == "file") AddFileRow(*category->Child(i));
  }
  SendMessageA(shareFiles_.Handle(), WM_SETREDRAW, TRUE, 0);
}

void SharePage::AddFileRow(XmlElement& file) {
  std::string path, comment;
  file.GetChildText("filePath", path);
  file.GetChildText("comment", comment);
  const int row = shareFiles_.InsertItem(shareFiles_.ItemCount(), path, reinterpret_cast<LPARAM>(&file));
  const uint32_t size = static_cast<uint32_t>(strtoul(AttributeOf(file, "fileSize").c_str(), nullptr, 10));
  shareFiles_.SetItemText(row, 1, SizeText(size));
  shareFiles_.SetItemText(row, 2, comment);
}

bool SharePage::OnShareTreeNotify(const NMHDR& header, LRESULT& result) {
  if (shareTree_.Handle() == nullptr || header.hwndFrom != shareTree_.Handle()) return false;
  switch (header.code) {
    case TVN_SELCHANGEDA: {
      const auto& view = reinterpret_cast<const NMTREEVIEWA&>(header);
      // A selection that goes away leaves the rows as they are.
      if (view.itemNew.hItem != nullptr)
        ShowFiles(view.itemNew.hItem != shareRoot_ ? ElementOf(view.itemNew.hItem) : nullptr);
      return true;
    }
    case TVN_BEGINLABELEDITA:
      // The root and the top-level categories keep their labels: their codes depend on them.
      result = IsBelowTopLevel(reinterpret_cast<const NMTVDISPINFOA&>(header).item.hItem) ? FALSE : TRUE;
      return true;
    case TVN_ENDLABELEDITA:
      result = EndLabelEdit(reinterpret_cast<const NMTVDISPINFOA&>(header)) ? TRUE : FALSE;
      return true;
    case NM_RCLICK: {
      POINT cursor = {};
      GetCursorPos(&cursor);
      ShowTreeMenu(cursor);
      return true;
    }
    case TVN_BEGINDRAGA:
      StartDrag(DragOfCategory(reinterpret_cast<const NMTREEVIEWA&>(header).itemNew.hItem).Get());
      return true;
    default:
      return false;
  }
}

// The item shows the name as the document keeps it (quotes and angle
// brackets in their full-width forms), so the edit's own text is never taken.
bool SharePage::EndLabelEdit(const NMTVDISPINFOA& info) {
  if (info.item.pszText == nullptr || library_ == nullptr) return false;
  XmlElement* category = ElementOf(info.item.hItem);
  if (category == nullptr || !IsBelowTopLevel(info.item.hItem)) return false;
  const std::string name = CategoryName(TreeView_GetEditControl(shareTree_.Handle()), info.item.pszText);
  if (name.empty()) return false;
  std::string stored;
  {
    std::lock_guard<std::recursive_mutex> guard(library_->Lock());
    category->SetAttribute("name", name);
    library_->MarkChanged();
    stored = AttributeOf(*category, "name");
  }
  shareTree_.SetItem(info.item.hItem, stored, shareTree_.Image(info.item.hItem));
  return false;
}
