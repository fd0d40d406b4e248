#pragma once

// The share page of a started library in a window of its own, for the tests
// of the page, and the shell's data objects of a drop.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ShareSession.h"
#include "TempFolder.h"
#include "frame/ResourceIds.h"
#include "frame/XmlElement.h"
#include "share/SharePage.h"
#include "share/ShareLibrary.h"
#include "win/ComPtr.h"
#include "win/ShellHandles.h"

// The share page of a started library, in a window of its own.
class SharePageTest : public ::testing::Test {
 protected:
  // No hash plug-in unless asked for: the worker's passes then leave the
  // document's files alone.
  explicit SharePageTest(bool withHashPlugin = false) : session_(withHashPlugin) {}

  void SetUp() override {
    frame_.Reset(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(page_.Create(IDD_SHARE_PAGE, frame_.Get()));
    MoveWindow(page_.Handle(), 0, 0, 780, 560, TRUE);
  }

  // The library opens a document of these files, extended by `extraTypes`
  // (XML text appended inside the root).
  void Start(const std::vector<ShareSession::File>& files, const std::string& extraTypes = std::string(),
             int32_t appServer = 1) {
    std::string text = ShareSession::DocumentText(files);
    text.insert(text.rfind("</ShareFile>"), extraTypes);
    ASSERT_TRUE(WriteFileBytes(session_.DocumentPath(), text));
    ASSERT_TRUE(session_.Library().Start(&session_.Host(), ShareSession::kUser, false, appServer, page_.Handle()));
    ASSERT_TRUE(page_.ShowLibrary(session_.Library(), &session_.Host()));
    session_.Host().ClearCalls();
  }

  HTREEITEM Category(const std::string& label, HTREEITEM parent = nullptr) {
    TreeView& tree = page_.ShareTree();
    for (HTREEITEM item = TreeView_GetChild(tree.Handle(), parent != nullptr ? parent : page_.ShareRoot());
         item != nullptr; item = TreeView_GetNextSibling(tree.Handle(), item))
      if (tree.Text(item) == label) return item;
    return nullptr;
  }
  std::vector<std::string> Children(HTREEITEM parent) {
    std::vector<std::string> labels;
    TreeView& tree = page_.ShareTree();
    for (HTREEITEM item = TreeView_GetChild(tree.Handle(), parent); item != nullptr;
         item = TreeView_GetNextSibling(tree.Handle(), item))
      labels.push_back(tree.Text(item));
    return labels;
  }
  void Select(HTREEITEM item) { TreeView_SelectItem(page_.ShareTree().Handle(), item); }
  void SelectRow(int row) { page_.ShareFiles().SelectOnly({row}); }
  UINT TreeMenuState(HTREEITEM item, int command) {
    win::UniqueMenu menu = page_.ShareMenu();
    HMENU tree = GetSubMenu(menu.Get(), 2);
    page_.PrepareTreeMenu(tree, item);
    return GetMenuState(tree, command, MF_BYCOMMAND) & MF_GRAYED;
  }
  std::string Song() const { return session_.Media() + "\\歌曲.mp3"; }

  win::UniqueWindow frame_;
  ShareSession session_;
  SharePage page_;
};

// The shell's data object of items of one folder, as the shell's own views
// hand it to a drag.
inline win::ComPtr<IDataObject> ShellDataOf(const std::string& folder, const std::vector<std::string>& names) {
  win::ComPtr<IDataObject> data;
  win::ComPtr<IShellFolder> desktop, shell;
  if (FAILED(SHGetDesktopFolder(desktop.Put()))) return data;
  std::wstring wide(MAX_PATH, L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide.data(), MAX_PATH) - 1);
  LPITEMIDLIST parsed = nullptr;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &parsed, nullptr))) return data;
  win::UniqueIdList folderId(parsed);
  if (FAILED(desktop->BindToObject(folderId.Get(), nullptr, IID_IShellFolder, shell.PutVoid()))) return data;
  std::vector<win::UniqueIdList> children;
  std::vector<LPCITEMIDLIST> ids;
  for (const std::string& name : names) {
    std::wstring childName(MAX_PATH, L'\0');
    childName.resize(MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, childName.data(), MAX_PATH) - 1);
    LPITEMIDLIST child = nullptr;
    if (FAILED(shell->ParseDisplayName(nullptr, nullptr, childName.data(), nullptr, &child, nullptr))) return data;
    children.emplace_back(child);
    ids.push_back(child);
  }
  shell->GetUIObjectOf(nullptr, static_cast<UINT>(ids.size()), ids.data(), IID_IDataObject, nullptr, data.PutVoid());
  return data;
}

class SharePageDropTest : public SharePageTest {
 protected:
  explicit SharePageDropTest(bool withHashPlugin = false) : SharePageTest(withHashPlugin) {}

  void SetUp() override {
    SharePageTest::SetUp();
    OleInitialize(nullptr);
  }
  void TearDown() override { OleUninitialize(); }

  // Drops `data` through the OLE target of the tree, on `item`.
  bool DropOnTree(IDataObject* data, HTREEITEM item) {
    HWND tree = page_.ShareTree().Handle();
    RECT rect = {};
    // The message takes the item in the rectangle it fills.
    std::memcpy(&rect, &item, sizeof item);
    // An item out of sight has no place to drop on.
    if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return false;
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(tree, &point);
    IDropTarget* target = page_.DropTargetOf(tree);
    if (target == nullptr) return false;
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(data, MK_LBUTTON, POINTL{point.x, point.y}, &effect);
    if (effect == DROPEFFECT_NONE) return false;
    effect = DROPEFFECT_COPY;
    target->Drop(data, 0, POINTL{point.x, point.y}, &effect);
    return effect != DROPEFFECT_NONE;
  }
  XmlElement* Element(HTREEITEM item) { return reinterpret_cast<XmlElement*>(page_.ShareTree().Data(item)); }
  // Pumps the window thread until what dropped folders hold is in the document.
  bool WaitForDrops(DWORD milliseconds = 20000) {
    return ShareSession::PumpUntil([this] { return !session_.Library().DropsPending(); }, milliseconds);
  }
};

