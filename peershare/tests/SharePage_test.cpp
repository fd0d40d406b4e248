#include "share/SharePage.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <shlobj.h>

#include "ModalDriver.h"
#include "SharePageFixture.h"
#include "controls/Clipboard.h"
#include "frame/ResourceIds.h"
#include "frame/XmlElement.h"
#include "share/ShareLibrary.h"
#include "win/ComPtr.h"
#include "win/ShellHandles.h"

namespace {

constexpr const char* kSongHash = "0123456789abcdef0123456789abcdef";
constexpr const char* kFilmHash = "fedcba9876543210fedcba9876543210";

RECT ChildRect(HWND page, int id) {
  RECT rect = {};
  HWND child = GetDlgItem(page, id);
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST_F(SharePageTest, PanesSitAtTheSplittersAndFollowADrag) {
  Start({});
  HWND page = page_.Handle();
  for (int id : {IDC_SHELL_TREE, IDC_SHELL_FILES, IDC_FILE_FILTER, IDC_SHARE_FILES, IDC_SHARE_HINT,
                 ShareLibrary::kTreeId, IDC_SPLIT_HALVES, IDC_SPLIT_UPPER, IDC_SPLIT_LOWER})
    EXPECT_NE(GetDlgItem(page, id), nullptr) << id;
  EXPECT_EQ(ChildRect(page, IDC_SPLIT_HALVES).top, 174);
  EXPECT_EQ(ChildRect(page, IDC_SPLIT_UPPER).left, 176);
  EXPECT_EQ(ChildRect(page, IDC_SPLIT_LOWER).left, 176);
  EXPECT_EQ(ChildRect(page, IDC_SHELL_TREE).right, 176);
  EXPECT_EQ(ChildRect(page, IDC_SHELL_TREE).bottom, 174);
  EXPECT_EQ(ChildRect(page, IDC_SHELL_FILES).left, 184);
  EXPECT_EQ(ChildRect(page, IDC_SHARE_HINT).top, 174 + 8);
  EXPECT_EQ(ChildRect(page, ShareLibrary::kTreeId).top, 174 + 3 + 23);
  EXPECT_EQ(ChildRect(page, ShareLibrary::kTreeId).right, 176);
  EXPECT_EQ(ChildRect(page, IDC_SHARE_FILES).left, 184);
  EXPECT_EQ(ChildRect(page, IDC_SHARE_FILES).bottom, 560);

  // A drag with the mouse: press on the bar, move, release.
  HWND bar = GetDlgItem(page, IDC_SPLIT_LOWER);
  SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
  SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1 + 100, 5));
  SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(1 + 100, 5));
  EXPECT_EQ(ChildRect(page, IDC_SPLIT_LOWER).left, 276);
  EXPECT_EQ(ChildRect(page, ShareLibrary::kTreeId).right, 276);
  EXPECT_EQ(ChildRect(page, IDC_SHARE_FILES).left, 284);
  EXPECT_EQ(ChildRect(page, IDC_SHELL_TREE).right, 176);  // the upper half keeps its bar

  page_.Splitter(IDC_SPLIT_HALVES).MoveTo(300);
  EXPECT_EQ(ChildRect(page, IDC_SHELL_TREE).bottom, 300);
  EXPECT_EQ(ChildRect(page, ShareLibrary::kTreeId).top, 300 + 3 + 23);
  // A bar cannot leave the page.
  page_.Splitter(IDC_SPLIT_HALVES).MoveTo(5000);
  EXPECT_EQ(ChildRect(page, IDC_SPLIT_HALVES).top, 560 - 3);
}

TEST_F(SharePageTest, TheTreeShowsTheShownCategoriesAndTheListTheirFiles) {
  const std::string small = session_.MediaFile("小.txt", std::string(500, 'x'));
  Start({{"音乐", Song(), kSongHash, "0", "<comment>好歌</comment>\r\n"}, {"音乐", small, ""}},
        "<Type name=\"隐藏\" style=\"1\" dir=\"20\"></Type>\r\n"
        "<Type name=\"其他\" style=\"0\" dir=\"21\"><Type name=\"下层\" style=\"0\" dir=\"1\"></Type></Type>\r\n");
  EXPECT_EQ(page_.ShareTree().Text(page_.ShareRoot()), "共享文件");
  EXPECT_EQ(Children(page_.ShareRoot()),
            (std::vector<std::string>{"音乐", "图片", "视频", "图书", "资料", "软件", "游戏", "珍藏", "其他"}));
  EXPECT_EQ(Children(Category("其他")), std::vector<std::string>{"下层"});

  // Sizes: the document says 0 for the song; the small file's size is set here.
  {
    std::lock_guard<std::recursive_mutex> guard(session_.Library().Lock());
    session_.FileOf(small)->SetAttribute("fileSize", "500");
    session_.FileOf(Song())->SetAttribute("fileSize", "2048000");
  }
  Select(Category("音乐"));
  ListView& list = page_.ShareFiles();
  ASSERT_EQ(list.ItemCount(), 2);
  EXPECT_EQ(list.ColumnText(0), "文件名");
  EXPECT_EQ(list.ColumnWidth(0), 250);
  EXPECT_EQ(list.ColumnText(1), "大小");
  EXPECT_EQ(list.ColumnFormat(1) & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
  EXPECT_EQ(list.ColumnText(2), "注释");
  EXPECT_EQ(list.ItemText(0, 0), Song());
  EXPECT_EQ(list.ItemText(0, 1), "2, 000 KB");
  EXPECT_EQ(list.ItemText(0, 2), "好歌");
  EXPECT_EQ(list.ItemText(1, 1), "0.49KB");
  Select(Category("图片"));
  EXPECT_EQ(list.ItemCount(), 0);
}

TEST_F(SharePageTest, MenusOfferOnTheRootAndTopLevelOnlyWhatTheyMay) {
  Start({}, "<Type name=\"其他\" style=\"0\" dir=\"21\"><Type name=\"下层\" style=\"0\" dir=\"1\"></Type></Type>\r\n");
  HTREEITEM root = page_.ShareRoot(), top = Category("其他"), below = Category("下层", top);
  for (int command : {ID_CATEGORY_ADD, ID_CATEGORY_DELETE, ID_CATEGORY_RENAME})
    EXPECT_TRUE(TreeMenuState(root, command)) << command;
  EXPECT_FALSE(TreeMenuState(root, ID_COLLECTION_PASSWORD));
  EXPECT_FALSE(TreeMenuState(top, ID_CATEGORY_ADD));
  EXPECT_TRUE(TreeMenuState(top, ID_CATEGORY_DELETE));
  EXPECT_TRUE(TreeMenuState(top, ID_CATEGORY_RENAME));
  EXPECT_FALSE(TreeMenuState(top, ID_COLLECTION_PASSWORD));
  for (int command : {ID_CATEGORY_ADD, ID_CATEGORY_DELETE, ID_CATEGORY_RENAME, ID_COLLECTION_PASSWORD})
    EXPECT_FALSE(TreeMenuState(below, command)) << command;

  // The list's entries want a selected row.
  win::UniqueMenu menu = page_.ShareMenu();
  HMENU list = GetSubMenu(menu.Get(), 0);
  page_.PrepareListMenu(list);
  EXPECT_TRUE(GetMenuState(list, ID_SHARE_REMOVE, MF_BYCOMMAND) & MF_GRAYED);
  // A command the menu did not enable does nothing.
  EXPECT_TRUE(page_.TreeCommand(ID_CATEGORY_DELETE, top));
  EXPECT_NE(Category("其他"), nullptr);
  EXPECT_TRUE(session_.Host().Calls().empty());
}

TEST_F(SharePageTest, LinksCarryTheCategoryTypeOrThreeWithoutOne) {
  Start({{"音乐", Song(), kSongHash}});
  {
    std::lock_guard<std::recursive_mutex> guard(session_.Library().Lock());
    session_.FileOf(Song())->SetAttribute("fileSize", "4096");
  }
  Select(Category("音乐"));
  SelectRow(0);
  const std::string music = std::string("tovak://cmd=download|hashid=") + kSongHash + "|name=歌曲.mp3|size=4096|type=1|";
  ASSERT_TRUE(page_.ListCommand(ID_SHARE_COPY_LINK));
  EXPECT_EQ(ClipboardText(page_.Handle()), music);
  ASSERT_TRUE(page_.ListCommand(ID_SHARE_PUSH_LINK));
  EXPECT_EQ(session_.Host().CallsOf("PushLinkToFriend"),
            std::vector<std::string>{"PushLinkToFriend(\"" + music + "\")"});

  // The selection leaves the tree; the rows stay.
  Select(nullptr);
  ASSERT_EQ(page_.SelectedCategory(), nullptr);
  SelectRow(0);
  page_.ListCommand(ID_SHARE_COPY_LINK);
  EXPECT_EQ(ClipboardText(page_.Handle()),
            std::string("tovak://cmd=download|hashid=") + kSongHash + "|name=歌曲.mp3|size=4096|type=3|");
}

TEST_F(SharePageTest, RemovingAFileWithdrawsItFirst) {
  const std::string unhashed = session_.MediaFile("新.txt", "x");
  Start({{"视频", Song(), kFilmHash}, {"视频", unhashed, ""}});
  Select(Category("视频"));
  page_.ShareFiles().SelectOnly({0, 1});
  ASSERT_TRUE(page_.ListCommand(ID_SHARE_REMOVE));
  EXPECT_EQ(session_.Host().Calls(),
            (std::vector<std::string>{std::string("UnpublishFile(3, \"") + kFilmHash + "\", \"/3\")",
                                      std::string("ReportUnpublishedFile(\"歌曲.mp3\", \"") + kFilmHash + "\")",
                                      "NotifyShareChanged()", "NotifyUnpublishDone()"}));
  EXPECT_EQ(page_.ShareFiles().ItemCount(), 0);
  EXPECT_EQ(session_.FileOf(Song()), nullptr);
  EXPECT_EQ(session_.FileOf(unhashed), nullptr);
}

TEST_F(SharePageTest, WithoutTheOperatorServerNoUnpublishedReportIsSent) {
  Start({{"音乐", Song(), kSongHash}}, std::string(), 0);
  Select(Category("音乐"));
  SelectRow(0);
  page_.ListCommand(ID_SHARE_REMOVE);
  EXPECT_TRUE(session_.Host().CallsOf("ReportUnpublishedFile").empty());
  EXPECT_EQ(session_.Host().CallsOf("UnpublishFile").size(), 1u);
}

TEST_F(SharePageTest, SubCategoriesAreAddedRenamedAndRemoved) {
  Start({});
  HTREEITEM books = Category("图书");
  ASSERT_TRUE(page_.TreeCommand(ID_CATEGORY_ADD, books));
  HTREEITEM added = Category("新建子类别", books);
  ASSERT_NE(added, nullptr);
  HWND edit = TreeView_GetEditControl(page_.ShareTree().Handle());
  ASSERT_NE(edit, nullptr);  // label editing started

  // An empty text keeps the name; a text renames the category.
  SetWindowTextA(edit, "");
  TreeView_EndEditLabelNow(page_.ShareTree().Handle(), FALSE);
  EXPECT_EQ(page_.ShareTree().Text(added), "新建子类别");
  page_.TreeCommand(ID_CATEGORY_RENAME, added);
  edit = TreeView_GetEditControl(page_.ShareTree().Handle());
  ASSERT_NE(edit, nullptr);
  SetWindowTextA(edit, "小说");
  TreeView_EndEditLabelNow(page_.ShareTree().Handle(), FALSE);
  EXPECT_EQ(page_.ShareTree().Text(added), "小说");
  auto* element = reinterpret_cast<XmlElement*>(page_.ShareTree().Data(added));
  EXPECT_EQ(AttributeOf(*element, "name"), "小说");
  EXPECT_EQ(element->Parent(), reinterpret_cast<XmlElement*>(page_.ShareTree().Data(books)));
  const std::string dir = AttributeOf(*element, "dir");
  EXPECT_FALSE(dir.empty());

  session_.Host().ClearCalls();
  ASSERT_TRUE(page_.TreeCommand(ID_CATEGORY_DELETE, added));
  EXPECT_EQ(session_.Host().Calls(),
            (std::vector<std::string>{"NotifyShareChanged()", "UnpublishDirectory(4, \"/4/" + dir + "\")"}));
  EXPECT_TRUE(Children(books).empty());
  std::lock_guard<std::recursive_mutex> guard(session_.Library().Lock());
  EXPECT_EQ(session_.Library().Document().Root()->FindFirst(true, "Type", "name", "小说"), nullptr);
}

TEST_F(SharePageTest, TopLevelLabelsCannotBeEdited) {
  Start({});
  TreeView_EditLabel(page_.ShareTree().Handle(), Category("音乐"));
  EXPECT_EQ(TreeView_GetEditControl(page_.ShareTree().Handle()), nullptr);
  TreeView_EditLabel(page_.ShareTree().Handle(), page_.ShareRoot());
  EXPECT_EQ(TreeView_GetEditControl(page_.ShareTree().Handle()), nullptr);
}

TEST_F(SharePageTest, CommentsReplaceTheEarlierOne) {
  Start({{"音乐", Song(), kSongHash, "0", "<comment>旧</comment>\r\n"}});
  Select(Category("音乐"));
  SelectRow(0);
  ModalDriver driver([](HWND w) { return Titled(w, "增加注释"); }, [](HWND w) {
    SetWindowTextA(GetDlgItem(w, IDC_COMMENT_TEXT), "新的注释");
    Press(w, IDOK);
  });
  ASSERT_TRUE(page_.ListCommand(ID_SHARE_COMMENT));
  ASSERT_TRUE(driver.Acted());
  EXPECT_EQ(page_.ShareFiles().ItemText(0, 2), "新的注释");
  std::lock_guard<std::recursive_mutex> guard(session_.Library().Lock());
  XmlElement::List comments;
  session_.FileOf(Song())->FindAll(comments, false, "comment");
  ASSERT_EQ(comments.size(), 1u);
  std::string text;
  session_.FileOf(Song())->GetChildText("comment", text);
  EXPECT_EQ(text, "新的注释");
}

// Answers the password dialog with two different entries, takes note of
// the message that follows and answers it, then enters equal ones. Only
// this thread's windows are looked at: tests run side by side.
struct PasswordScript {
  struct Search {
    const char* title;
    HWND found;
  };
  static BOOL CALLBACK Find(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window) || !Titled(window, search->title)) return TRUE;
    search->found = window;
    return FALSE;
  }
  static HWND ShownDialog(const char* title) {
    Search search = {title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND message = ShownDialog("拓瓦");
    if (message != nullptr) {
      mismatch = StaticTexts(message);
      PostMessageA(message, WM_COMMAND, IDOK, 0);
      return;
    }
    HWND dialog = ShownDialog("设置珍藏目录密码");
    if (dialog == nullptr) return;
    if (step == 0) {
      SetWindowTextA(GetDlgItem(dialog, IDC_COLLECTION_PASSWORD), "abc");
      SetWindowTextA(GetDlgItem(dialog, IDC_COLLECTION_PASSWORD_AGAIN), "abd");
      ++step;
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    } else if (step == 1 && !mismatch.empty()) {
      SetWindowTextA(GetDlgItem(dialog, IDC_COLLECTION_PASSWORD_AGAIN), "abc");
      ++step;
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
  }
  static inline int step = 0;
  static inline std::string mismatch;
};

TEST_F(SharePageTest, DifferentPasswordsAreRefusedAndEqualOnesStored) {
  Start({});
  UINT_PTR timer = SetTimer(nullptr, 0, 30, &PasswordScript::OnTimer);
  ASSERT_TRUE(page_.TreeCommand(ID_COLLECTION_PASSWORD, page_.ShareRoot()));
  KillTimer(nullptr, timer);
  EXPECT_EQ(PasswordScript::step, 2);
  EXPECT_NE(PasswordScript::mismatch.find("输入的密码不一致"), std::string::npos);
  std::lock_guard<std::recursive_mutex> guard(session_.Library().Lock());
  XmlElement* collection = session_.Library().Document().Root()->FindFirst(false, "Type", "name", "珍藏");
  ASSERT_NE(collection, nullptr);
  EXPECT_EQ(AttributeOf(*collection, "passWord"), "abc");
}

TEST_F(SharePageDropTest, ShellItemsDroppedOnACategoryAreShared) {
  Start({});
  TempFolder folder("C:\\");
  WriteFileBytes(folder.File("歌.mp3"), "music");
  WriteFileBytes(folder.File("坏.exe"), "program");
  CreateDirectoryA(folder.File("专辑").c_str(), nullptr);
  WriteFileBytes(folder.File("专辑\\一.mp3"), "one");
  win::ComPtr<IDataObject> data = ShellDataOf(folder.Path(), {"歌.mp3", "坏.exe", "专辑"});
  ASSERT_TRUE(data);
  ASSERT_TRUE(SharePage::CanAccept(data.Get()));

  Select(Category("音乐"));
  ASSERT_TRUE(DropOnTree(data.Get(), Category("音乐")));
  ASSERT_TRUE(WaitForDrops());
  // The program is refused for music; the folder became a sub-category.
  EXPECT_NE(session_.FileOf(folder.File("歌.mp3")), nullptr);
  EXPECT_EQ(session_.FileOf(folder.File("坏.exe")), nullptr);
  XmlElement* album = session_.FileOf(folder.File("专辑\\一.mp3"));
  ASSERT_NE(album, nullptr);
  EXPECT_EQ(AttributeOf(*album->Parent(), "name"), "专辑");
  EXPECT_EQ(Children(Category("音乐")), std::vector<std::string>{"专辑"});
  ASSERT_EQ(page_.ShareFiles().ItemCount(), 1);
  EXPECT_EQ(page_.ShareFiles().ItemText(0, 0), folder.File("歌.mp3"));
}

TEST_F(SharePageDropTest, ADropWithoutACategoryAsksForOne) {
  Start({});
  TempFolder folder("C:\\");
  WriteFileBytes(folder.File("歌.mp3"), "music");
  win::ComPtr<IDataObject> data = ShellDataOf(folder.Path(), {"歌.mp3"});
  ASSERT_TRUE(data);
  Select(page_.ShareRoot());
  std::string text;
  ModalDriver driver([](HWND w) { return Titled(w, "拓瓦"); }, [&text](HWND w) {
    text = StaticTexts(w);
    PostMessageA(w, WM_COMMAND, IDOK, 0);
  });
  POINT point = {1, 1};
  EXPECT_FALSE(page_.DropOn(page_.ShareFiles().Handle(), point, data.Get()));
  EXPECT_TRUE(driver.Acted());
  EXPECT_NE(text.find("请先选择类别"), std::string::npos);
  EXPECT_EQ(session_.FileOf(folder.File("歌.mp3")), nullptr);
}

TEST_F(SharePageDropTest, RowsDraggedOntoAnotherCategoryMoveThere) {
  Start({{"音乐", Song(), kSongHash}});
  Select(Category("音乐"));
  SelectRow(0);
  win::ComPtr<IDataObject> rows = page_.DragOfSelectedRows();
  ASSERT_TRUE(rows);
  ASSERT_TRUE(DropOnTree(rows.Get(), Category("视频")));
  XmlElement* moved = session_.FileOf(Song());
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(moved->Parent(), Element(Category("视频")));
  EXPECT_EQ(page_.ShareFiles().ItemCount(), 0);
  // Published in the new category before it is withdrawn from the old one.
  const std::vector<std::string> calls = session_.Host().Calls();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_NE(calls.front().find(kSongHash), std::string::npos) << calls.front();
  EXPECT_EQ(calls[calls.size() - 4], std::string("UnpublishFile(1, \"") + kSongHash + "\", \"/1\")");
  EXPECT_EQ(calls.back(), "NotifyUnpublishDone()");
  // The same rows dropped again: they are no rows of the page any more.
  EXPECT_FALSE(DropOnTree(rows.Get(), Category("图书")));
}

TEST_F(SharePageDropTest, ACategoryIsCopiedButNotIntoItself) {
  Start({}, "<Type name=\"其他\" style=\"0\" dir=\"21\"><Type name=\"下层\" style=\"0\" dir=\"1\"></Type></Type>\r\n");
  HTREEITEM below = Category("下层", Category("其他"));
  EXPECT_FALSE(page_.DragOfCategory(Category("其他")));  // top-level categories stay where they are
  win::ComPtr<IDataObject> data = page_.DragOfCategory(below);
  ASSERT_TRUE(data);
  TreeView_Expand(page_.ShareTree().Handle(), Category("其他"), TVE_EXPAND);
  EXPECT_FALSE(DropOnTree(data.Get(), below));
  ASSERT_TRUE(DropOnTree(data.Get(), Category("图书")));
  HTREEITEM copy = Category("下层", Category("图书"));
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(Category("下层", Category("其他")), nullptr);
  EXPECT_EQ(AttributeOf(*Element(copy), "dir"), "1");
  EXPECT_EQ(session_.Host().Calls(), std::vector<std::string>{"NotifyShareChanged()"});
}

TEST(ShellBrowserTest, AFolderOfADriveOpensFromTheListIntoTheTree) {
  TempFolder folder("C:\\");
  CreateDirectoryA(folder.File("内层").c_str(), nullptr);
  WriteFileBytes(folder.File("内层\\文件.txt"), "x");
  win::UniqueWindow frame(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr));
  SharePage page;
  ASSERT_TRUE(page.Create(IDD_SHARE_PAGE, frame.Get()));
  ShellBrowser& shell = page.Shell();
  HWND tree = GetDlgItem(page.Handle(), IDC_SHELL_TREE);
  EXPECT_EQ(TreeView_GetBkColor(tree), static_cast<COLORREF>(RGB(0xF8, 0xF9, 0xFD)));
  ASSERT_NE(shell.Root(), nullptr);
  EXPECT_TRUE(TreeView_GetItemState(tree, shell.Root(), TVIS_EXPANDED) & TVIS_EXPANDED);
  // The drive is the root's child whose name ends with "(C:)".
  HTREEITEM drive = nullptr;
  TreeView names(tree);
  for (HTREEITEM item = TreeView_GetChild(tree, shell.Root()); item != nullptr; item = TreeView_GetNextSibling(tree, item))
    if (names.Text(item).find("(C:)") != std::string::npos) drive = item;
  ASSERT_NE(drive, nullptr);
  TreeView_SelectItem(tree, drive);

  ListView list(GetDlgItem(page.Handle(), IDC_SHELL_FILES));
  const std::string name = folder.Path().substr(3);
  int row = -1;
  for (int i = 0; i < list.ItemCount(); ++i)
    if (list.ItemText(i, 0) == name) row = i;
  ASSERT_GE(row, 0) << name;
  EXPECT_EQ(shell.RowPath(row), folder.Path());
  ASSERT_TRUE(shell.OpenRow(row));
  EXPECT_EQ(names.Text(TreeView_GetSelection(tree)), name);
  ASSERT_EQ(list.ItemCount(), 1);
  EXPECT_EQ(list.ItemText(0, 0), "内层");
  ASSERT_TRUE(shell.OpenRow(0));
  ASSERT_EQ(list.ItemCount(), 1);
  EXPECT_EQ(shell.RowPath(0), folder.File("内层\\文件.txt"));
}

}  // namespace
