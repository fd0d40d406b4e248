// The download folder browser: Wine's shell dialog with the ask box added.
#include "transfer/FolderBrowser.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "ModalDriver.h"
#include "TempFolder.h"

namespace {

class FolderBrowserTest : public ::testing::Test {
 protected:
  FolderBrowserTest() {
    CreateDirectoryA(Folder().c_str(), nullptr);
    parent_ = CreateWindowExA(0, "STATIC", "transfers", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900, 420, nullptr,
                              nullptr, nullptr, nullptr);
  }
  ~FolderBrowserTest() override {
    if (parent_ != nullptr) DestroyWindow(parent_);
  }
  std::string Folder() const { return temp_.File("downloads"); }

  TempFolder temp_;
  HWND parent_ = nullptr;
};

// The text of the folder browser's selected tree item.
std::string SelectedFolderName(HWND dialog) {
  HWND tree = FindWindowExA(dialog, nullptr, "SysTreeView32", nullptr);
  char text[MAX_PATH] = "";
  TVITEMA item = {};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  item.pszText = text;
  item.cchTextMax = sizeof text;
  if (tree == nullptr || item.hItem == nullptr || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
    return std::string();
  return text;
}

// Wine's folder browser cannot select a folder below the user's profile (its
// shell items there are the profile's own, not plain folders), so the start
// folder of this test lies at the top of the system drive.
std::string SystemDriveRoot() {
  char windows[MAX_PATH] = "";
  GetSystemWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows, 3);
}

// Reads a folder's entries, as the shell does when it lists the folder.
void ListFolder(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE found = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (found != INVALID_HANDLE_VALUE) FindClose(found);
}

// Wine's folder browser finds its start folder by comparing the shell items
// it parsed from the path with those it lists, access times included. A
// folder whose entries changed gets a new access time at its next read (a
// relatime mount): if that read falls between the parse and the listing and
// the time passes a two-second step of the items, the start folder is not
// found. Reads after one later than the last change leave the time alone.
void SettleAccessTime(const std::string& folder) {
  ListFolder(folder);
  Sleep(20);  // past a tick of the file system's clock
  ListFolder(folder);
}

TEST_F(FolderBrowserTest, TheFolderBrowserAddsTheAskBoxLeftOfOk) {
  TempFolder outside(SystemDriveRoot());
  std::string start = outside.File("downloads");
  ASSERT_TRUE(CreateDirectoryA(start.c_str(), nullptr));
  SettleAccessTime(outside.Path());
  std::string folder;
  bool ask = true;
  RECT box = {}, ok = {};
  std::string title;
  bool wasChecked = false;
  // Wine's dialog may show its root for a moment before the start folder.
  ModalDriver driver([](HWND w) {
                       return GetDlgItem(w, FolderBrowser::kAskBoxId) != nullptr && SelectedFolderName(w) == "downloads";
                     },
                     [&](HWND w) {
                       HWND check = GetDlgItem(w, FolderBrowser::kAskBoxId);
                       GetWindowRect(check, &box);
                       GetWindowRect(GetDlgItem(w, IDOK), &ok);
                       title = StaticTexts(w);
                       wasChecked = SendMessageA(check, BM_GETCHECK, 0, 0) == BST_CHECKED;
                       SendMessageA(check, BM_SETCHECK, BST_UNCHECKED, 0);
                       Press(w, IDOK);
                     });
  bool chosen = FolderBrowser::Browse(parent_, start, folder, ask);
  ASSERT_TRUE(driver.Acted());
  EXPECT_TRUE(wasChecked);
  EXPECT_NE(title.find("请选择下载目录|"), std::string::npos);
  EXPECT_NE(title.find("每次提示|"), std::string::npos);
  EXPECT_EQ(box.left, ok.left - 120);
  EXPECT_EQ(box.right, ok.left - 10);
  EXPECT_EQ(box.bottom - box.top, 22);
  EXPECT_FALSE(ask);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(_stricmp(folder.c_str(), start.c_str()), 0) << folder;
}

TEST_F(FolderBrowserTest, TheFolderBrowserCancelledKeepsTheBoxState) {
  std::string folder = "unchanged";
  bool ask = false;
  ModalDriver driver([](HWND w) { return GetDlgItem(w, FolderBrowser::kAskBoxId) != nullptr; },
                     [](HWND w) { Press(w, IDCANCEL); });
  EXPECT_FALSE(FolderBrowser::Browse(parent_, Folder(), folder, ask));
  EXPECT_TRUE(driver.Acted());
  EXPECT_TRUE(ask) << "the box starts checked";
  EXPECT_EQ(folder, "unchanged");
}

}  // namespace
