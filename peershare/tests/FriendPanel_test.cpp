// The friend panel through the plug-in's main window: peers' share lists as
// the share library publishes them, the collection passwords, the keyword
// filters, the menus' commands and hostile lists.
#include "share/FriendPanel.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ClientFolder.h"
#include "DialogWatcher.h"
#include "DownloadListFixture.h"
#include "LoggingHost.h"
#include "ModalDriver.h"
#include "ShareSession.h"
#include "TempFolder.h"
#include "controls/Clipboard.h"
#include "frame/MainWindow.h"
#include "frame/ResourceIds.h"
#include "share/Bzip2File.h"
#include "share/PublishedCopy.h"
#include "share/ShareDocument.h"
#include "share/ShareFileNames.h"

namespace {

constexpr uint32_t kUser = 10001, kPeer = 20002, kOtherPeer = 20003;
constexpr const char* kPlaceholder = "00000000000000000000000000000000";

std::string FileText(const std::string& md5, const std::string& path, uint32_t size = 2048,
                     const std::string& comment = std::string()) {
  std::string text = "<file MD5=\"" + md5 + "\" fileSize=\"" + std::to_string(size) +
                     "\" time=\"0\" reShare=\"0\">\r\n<filePath>\r\n" + path + "</filePath>\r\n";
  if (!comment.empty()) text += "<comment>\r\n" + comment + "</comment>\r\n";
  return text + "</file>\r\n";
}

std::string TypeText(const std::string& name, const std::string& style, const std::string& body,
                     const std::string& password = std::string()) {
  std::string text = "<Type name=\"" + name + "\" style=\"" + style + "\"";
  if (!password.empty()) text += " passWord=\"" + password + "\"";
  return text + ">\r\n" + body + "</Type>\r\n";
}

std::string DocumentText(const std::string& types) {
  return "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<ShareFile version=\"2\">\r\n" + types + "</ShareFile>\r\n";
}

// A peer with a film category and a collection guarded by `password`.
std::string GuardedDocument(const std::string& password) {
  return DocumentText(TypeText("视频", "0", FileText(HashOf(1), "电影.avi")) +
                      TypeText("珍藏", "0",
                               FileText(HashOf(2), "日记.txt") + TypeText("旧日记", "0", FileText(HashOf(3), "a.txt")),
                               password));
}

class FriendPanelTest : public ::testing::Test {
 protected:
  FriendPanelTest() : client_(false) {
    client_.WriteCustomIni("operatorServer=127.0.0.1:9\r\n");
    CreateDirectoryA(DownloadFolder().c_str(), nullptr);
  }
  ~FriendPanelTest() override {
    if (window_ != nullptr) window_->Stop();
  }

  std::string DownloadFolder() const { return client_.Data() + "\\downloads"; }
  void Start() {
    window_ = WindowWithoutPauses(client_, &host_, 3600000);
    ASSERT_EQ(window_->Start(kUser, 1000, 0), 1);
    window_->ShowPanel(MainWindow::kFriends);
    ASSERT_EQ(window_->SetDownloadFolder(DownloadFolder().c_str(), 0), 1);
    window_->Downloads()->SetPrompts(&prompts_);
    window_->AddPeer(kPeer, 0, "李四");
    window_->AddPeer(kOtherPeer, 1, "王五");
  }

  // The peer's copy of a document as the share library publishes it.
  std::string PeerCopy(const std::string& document) {
    ShareFileNames names(peerFolder_.Path(), ++copies_);
    CreateDirectoryA((peerFolder_.Path() + "\\config").c_str(), nullptr);
    EXPECT_TRUE(WriteFileBytes(names.Document(), document));
    ShareDocument opened;
    opened.Open(names, nullptr);
    EXPECT_TRUE(PublishedCopy::Write(opened.PeersText(), names));
    return names.PublishedCopy();
  }
  // Hands the copy to the panel as the client does.
  void Receive(uint32_t peer, const std::string& copy) { window_->ShowPeerShareList(0, peer, 0, copy.c_str()); }
  void ReceiveDocument(const std::string& document, uint32_t peer = kPeer) { Receive(peer, PeerCopy(document)); }

  FriendPanel& Panel() { return window_->Friends(); }
  HWND TreeHandle() { return Panel().Tree().Handle(); }
  HTREEITEM Child(HTREEITEM parent, const std::string& label) {
    for (HTREEITEM item = TreeView_GetChild(TreeHandle(), parent); item != nullptr;
         item = TreeView_GetNextSibling(TreeHandle(), item))
      if (Panel().Tree().Text(item) == label) return item;
    return nullptr;
  }
  HTREEITEM Category(const std::string& label, uint32_t peer = kPeer) { return Child(Panel().PeerItem(peer), label); }
  std::vector<std::string> Labels(HTREEITEM parent) {
    std::vector<std::string> labels;
    for (HTREEITEM item = TreeView_GetChild(TreeHandle(), parent); item != nullptr;
         item = TreeView_GetNextSibling(TreeHandle(), item))
      labels.push_back(Panel().Tree().Text(item));
    return labels;
  }
  std::string SelectedLabel() { return Panel().Tree().Text(TreeView_GetSelection(TreeHandle())); }
  bool Select(HTREEITEM item) {
    TreeView_SelectItem(TreeHandle(), item);
    return TreeView_GetSelection(TreeHandle()) == item;
  }
  std::vector<std::string> RowNames() {
    std::vector<std::string> names;
    for (int row = 0; row < Panel().FileCount(); ++row) names.push_back(Panel().FileRow(row).name);
    return names;
  }
  bool IsExpanded(HTREEITEM item) {
    return (TreeView_GetItemState(TreeHandle(), item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  }
  // Selects the item while a watcher types `entry` into dialog 3251 and
  // presses "确定"; the captions of the windows that came up are returned.
  std::vector<std::wstring> SelectEntering(HTREEITEM item, const std::string& entry, bool* selected = nullptr) {
    DialogWatcher watcher([&](HWND dialog) {
      if (GetDlgItem(dialog, IDC_PEER_PASSWORD) != nullptr)
        SetWindowTextA(GetDlgItem(dialog, IDC_PEER_PASSWORD), entry.c_str());
    });
    bool done = Select(item);
    if (selected != nullptr) *selected = done;
    std::vector<std::wstring> captions;
    for (const auto& dialog : watcher.Seen())
      if (dialog.caption != L"拓瓦文件交换") captions.push_back(dialog.caption + L":" + dialog.text);
    return captions;
  }
  UINT MenuState(HMENU menu, int command) { return GetMenuState(menu, command, MF_BYCOMMAND); }
  bool Enabled(HMENU menu, int command) { return !(MenuState(menu, command) & MF_GRAYED); }

  ClientFolder client_;
  LoggingHost host_;
  RecordingPrompts prompts_;
  std::unique_ptr<MainWindow> window_;
  TempFolder peerFolder_;
  uint32_t copies_ = 30000;
};

TEST_F(FriendPanelTest, APeersPublishedCopyFillsTheTreeAndTheFilmsAreShown) {
  // The peer's own share library publishes its document.
  ShareSession peer(false);
  const std::string films = peer.Media() + "\\电影";
  ASSERT_TRUE(WriteFileBytes(peer.DocumentPath(),
                             DocumentText(TypeText("音乐", "0", FileText(HashOf(1), peer.Media() + "\\歌.mp3")) +
                                          TypeText("视频", "0",
                                                   FileText(HashOf(2), films + "\\第1集.rmvb", 1264000, "好看") +
                                                       FileText(HashOf(3), films + "\\第2集.rmvb", 512)) +
                                          TypeText("图书", "0", TypeText("小说", "", FileText(HashOf(4), "书.txt"))) +
                                          TypeText("珍藏", "0", FileText(HashOf(5), "日记.txt")))));
  ASSERT_TRUE(peer.Start());
  ASSERT_TRUE(peer.Library().PublishCopy());
  Start();

  Receive(kPeer, peer.Library().Files().PublishedCopy());
  HTREEITEM peerItem = Panel().PeerItem(kPeer);
  EXPECT_EQ(Labels(peerItem), (std::vector<std::string>{"音乐", "视频", "图书", "珍藏"}));
  EXPECT_EQ(Labels(Category("图书")), std::vector<std::string>{"小说"});
  EXPECT_TRUE(IsExpanded(peerItem));
  EXPECT_EQ(SelectedLabel(), "视频");
  // Names without the peer's folders, sizes as every list writes them.
  ASSERT_EQ(RowNames(), (std::vector<std::string>{"第1集.rmvb", "第2集.rmvb"}));
  EXPECT_EQ(Panel().Files().ItemText(0, 1), "1, 234 KB");
  EXPECT_EQ(Panel().Files().ItemText(0, 2), "好看");
  EXPECT_EQ(Panel().Files().ItemText(1, 1), "0.50KB");
  EXPECT_EQ(Panel().RowsPeer(), kPeer);

  // An empty collection password never asks.
  std::vector<std::wstring> asked = SelectEntering(Category("珍藏"), "");
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(SelectedLabel(), "珍藏");
  EXPECT_EQ(RowNames(), std::vector<std::string>{"日记.txt"});
  // The other peer and an unknown one are untouched; flag 1 hands over nothing.
  EXPECT_EQ(TreeView_GetChild(TreeHandle(), Panel().PeerItem(kOtherPeer)), nullptr);
  window_->ShowPeerShareList(1, kOtherPeer, 0, peer.Library().Files().PublishedCopy().c_str());
  Receive(99999, peer.Library().Files().PublishedCopy());
  EXPECT_EQ(TreeView_GetChild(TreeHandle(), Panel().PeerItem(kOtherPeer)), nullptr);
  EXPECT_EQ(Panel().PeerCount(), 2);
}

TEST_F(FriendPanelTest, AGuardedCollectionAsksUntilTheRightPasswordAndAgainAfterAChange) {
  Start();
  ReceiveDocument(GuardedDocument("秘密"));
  EXPECT_TRUE(Panel().NeedsPassword(kPeer));
  HTREEITEM collection = Category("珍藏");
  ASSERT_NE(collection, nullptr);

  {  // "放弃" refuses the selection and the expansion.
    ModalDriver cancel([](HWND dialog) { return Titled(dialog, "密码验证"); },
                       [](HWND dialog) {
                         EXPECT_NE(StaticTexts(dialog).find("请输入珍藏目录密码"), std::string::npos);
                         EXPECT_EQ(WindowText(GetDlgItem(dialog, IDCANCEL)), "放弃");
                         EXPECT_EQ(WindowText(GetDlgItem(dialog, IDOK)), "确定");
                         Press(dialog, IDCANCEL);
                       });
    EXPECT_FALSE(Select(collection));
    EXPECT_TRUE(cancel.Acted());
  }
  EXPECT_EQ(SelectedLabel(), "视频");
  EXPECT_EQ(RowNames(), std::vector<std::string>{"电影.avi"});
  {
    ModalDriver cancel([](HWND dialog) { return Titled(dialog, "密码验证"); },
                       [](HWND dialog) { Press(dialog, IDCANCEL); });
    TreeView_Expand(TreeHandle(), collection, TVE_EXPAND);
    EXPECT_TRUE(cancel.Acted());
  }
  EXPECT_FALSE(IsExpanded(collection));

  // A wrong entry says so and refuses.
  bool selected = true;
  EXPECT_EQ(SelectEntering(collection, "猜的", &selected),
            (std::vector<std::wstring>{L"密码验证:请输入珍藏目录密码", L"拓瓦:密码错误"}));
  EXPECT_FALSE(selected);
  EXPECT_TRUE(Panel().NeedsPassword(kPeer));

  // The right one opens it, and it stays open.
  EXPECT_EQ(SelectEntering(collection, "秘密", &selected), std::vector<std::wstring>{L"密码验证:请输入珍藏目录密码"});
  EXPECT_TRUE(selected);
  EXPECT_EQ(RowNames(), std::vector<std::string>{"日记.txt"});
  EXPECT_FALSE(Panel().NeedsPassword(kPeer));
  Select(Category("视频"));
  EXPECT_TRUE(SelectEntering(Category("珍藏"), "", &selected).empty());
  EXPECT_TRUE(selected);

  // The same list again keeps it open; a changed password asks again.
  ReceiveDocument(GuardedDocument("秘密"));
  EXPECT_FALSE(Panel().NeedsPassword(kPeer));
  ReceiveDocument(GuardedDocument("新密码"));
  EXPECT_TRUE(Panel().NeedsPassword(kPeer));
  EXPECT_EQ(SelectEntering(Category("珍藏"), "秘密", &selected).size(), 2u);
  EXPECT_FALSE(selected);
  // A list without a password opens the collection to everyone.
  ReceiveDocument(GuardedDocument(""));
  EXPECT_FALSE(Panel().NeedsPassword(kPeer));
  EXPECT_TRUE(SelectEntering(Category("珍藏"), "", &selected).empty());
  EXPECT_TRUE(selected);
}

TEST_F(FriendPanelTest, HiddenCategoriesAreLeftOutAndEveryShownCollectionIsGuarded) {
  Start();
  ReceiveDocument(DocumentText(
      TypeText("视频", "0",
               TypeText("公开", "", FileText(HashOf(1), "a.avi")) +
                   TypeText("私密", "1", TypeText("更深", "0", FileText(HashOf(2), "b.avi")))) +
      TypeText("私人", "1", FileText(HashOf(3), "c.avi")) + TypeText("珍藏", "1", "", "藏起来的")));
  EXPECT_EQ(Labels(Panel().PeerItem(kPeer)), std::vector<std::string>{"视频"});
  EXPECT_EQ(Labels(Category("视频")), std::vector<std::string>{"公开"});
  EXPECT_FALSE(Panel().NeedsPassword(kPeer));

  // The members' collection and a collection without a style are guarded too.
  ReceiveDocument(DocumentText(TypeText("珍藏(仅限会员)", "0", FileText(HashOf(4), "d.txt"), "会员")),
                  kOtherPeer);
  EXPECT_TRUE(Panel().NeedsPassword(kOtherPeer));
  ReceiveDocument(DocumentText(TypeText("珍藏", "", FileText(HashOf(5), "e.txt"), "无样式")));
  EXPECT_TRUE(Panel().NeedsPassword(kPeer));
  ModalDriver cancel([](HWND dialog) { return Titled(dialog, "密码验证"); },
                     [](HWND dialog) { Press(dialog, IDCANCEL); });
  EXPECT_FALSE(Select(Category("珍藏")));
  EXPECT_EQ(Panel().FileCount(), 0);
}

TEST_F(FriendPanelTest, KeywordFilteredAndUnfetchableFilesAreHiddenUnlessFilteringIsOff) {
  ASSERT_TRUE(WriteFileBytes(client_.ConfigFile("filter.txt"), "禁片\r\n"));
  Start();
  const std::string films = FileText(HashOf(1), "好电影.avi") + FileText(HashOf(2), "禁片一.avi") +
                            FileText(kPlaceholder, "占位.avi") + FileText("", "未算完.avi");
  ReceiveDocument(DocumentText(TypeText("视频", "0", films) + TypeText("珍藏", "0", films)));
  EXPECT_EQ(RowNames(), std::vector<std::string>{"好电影.avi"});
  Select(Category("珍藏"));
  EXPECT_EQ(RowNames(), std::vector<std::string>{"好电影.avi"});

  // Each switch of the operator's settings covers its own categories.
  ServerSettings::Values values = window_->Library().Settings().Current();
  values.filterFriend = 0;
  window_->Library().Settings().Apply(values);
  Select(Category("视频"));
  EXPECT_EQ(RowNames(), (std::vector<std::string>{"好电影.avi", "禁片一.avi"}));
  Select(Category("珍藏"));
  EXPECT_EQ(RowNames(), std::vector<std::string>{"好电影.avi"});

  // Unfiltered mode shows the filtered names; placeholders stay hidden.
  values.filterFriend = 1;
  window_->Library().Settings().Apply(values);
  Panel().SetFilterOff(true);
  Select(Category("视频"));
  EXPECT_EQ(RowNames(), (std::vector<std::string>{"好电影.avi", "禁片一.avi"}));
}

TEST_F(FriendPanelTest, MenuCommandsActOnThePeerOfTheRowsOrOfTheItem) {
  host_.AddFriendRecord(kPeer, "李四", "同事");
  const uint32_t tag = kPeer ^ 0x5A5A;
  Start();
  // The peer comes from the host's friend list with its remark; the other
  // peer is no friend of the host's.
  window_->Suspend();
  window_->Resume(0, 0, 0);
  window_->AddPeer(kOtherPeer, 1, "王五");
  ReceiveDocument(DocumentText(TypeText(
      "视频", "0", FileText(HashOf(1), "第1集.rmvb", 3000000, "注释一") + FileText(HashOf(2), "说明.txt", 100))));
  win::UniqueMenu menu = Panel().FriendMenu();
  HMENU files = GetSubMenu(menu.Get(), FriendPanel::kFileMenu);
  HMENU tree = GetSubMenu(menu.Get(), FriendPanel::kTreeMenu);
  ASSERT_NE(files, nullptr);
  ASSERT_NE(tree, nullptr);

  // No row selected: only the peer's entries.
  Panel().PrepareFileMenu(files);
  EXPECT_FALSE(Enabled(files, ID_FRIEND_DOWNLOAD));
  EXPECT_FALSE(Enabled(files, ID_FRIEND_COPY_LINK));
  EXPECT_TRUE(Enabled(files, ID_FRIEND_MESSAGE));
  Panel().Files().SelectOnly({1});
  Panel().PrepareFileMenu(files);
  EXPECT_TRUE(Enabled(files, ID_FRIEND_DOWNLOAD));
  EXPECT_FALSE(Enabled(files, ID_FRIEND_PLAY));  // not a playable name
  Panel().Files().SelectOnly({0});
  Panel().PrepareFileMenu(files);
  EXPECT_TRUE(Enabled(files, ID_FRIEND_PLAY));
  EXPECT_TRUE(Enabled(files, ID_FRIEND_SEQUENTIAL));

  host_.ClearCalls();
  for (int command : {ID_FRIEND_MESSAGE, ID_FRIEND_DETAILS, ID_FRIEND_COINS, ID_FRIEND_REFRESH})
    EXPECT_TRUE(Panel().FileCommand(command));
  const std::string tagText = std::to_string(tag);
  EXPECT_EQ(host_.CallsOf("SendMessageToPeer"),
            std::vector<std::string>{"SendMessageToPeer(20002, " + tagText + ", \"李四\")"});
  EXPECT_EQ(host_.CallsOf("ShowPeerDetails"), std::vector<std::string>{"ShowPeerDetails(20002, " + tagText + ")"});
  EXPECT_EQ(host_.CallsOf("QueryPeerCoins"),
            std::vector<std::string>{"QueryPeerCoins(20002, " + tagText + ", \"李四\")"});
  EXPECT_EQ(host_.CallsOf("GetFriendInfo").size(), 3u);
  EXPECT_EQ(host_.CallsOf("OpenPeerShares"), std::vector<std::string>{"OpenPeerShares(20002, \"同事\")"});

  Panel().FileCommand(ID_FRIEND_COPY_NUMBER);
  EXPECT_EQ(ClipboardText(Panel().Handle()), "20002");
  const std::string link = "tovak://cmd=download|hashid=" + HashOf(1) + "|name=第1集.rmvb|size=3000000|type=3|";
  Panel().FileCommand(ID_FRIEND_COPY_LINK);
  EXPECT_EQ(ClipboardText(Panel().Handle()), link);
  Panel().FileCommand(ID_FRIEND_PUSH_LINK);
  EXPECT_EQ(host_.CallsOf("PushLinkToFriend"), std::vector<std::string>{"PushLinkToFriend(\"" + link + "\")"});

  // Downloads go to the download list with the peer as their source.
  Panel().Files().SelectOnly({0, 1});
  Panel().FileCommand(ID_FRIEND_SEQUENTIAL);
  EXPECT_EQ(window_->Downloads()->TaskCount(), 2u);
  std::vector<std::string> started = host_.CallsOf("StartDownload");
  ASSERT_EQ(started.size(), 2u);
  EXPECT_NE(started[0].find("\"" + HashOf(1) + "\", 3000000, 3, 2,"), std::string::npos) << started[0];
  EXPECT_NE(started[1].find("\"" + HashOf(2) + "\", 100, 3, 2,"), std::string::npos) << started[1];

  // The tree's menu acts on the peer of the item under the cursor.
  Panel().PrepareTreeMenu(tree, nullptr);
  EXPECT_FALSE(Enabled(tree, ID_FRIEND_MESSAGE));
  EXPECT_TRUE(Enabled(tree, ID_FRIEND_ICONS_LARGE));
  Panel().PrepareTreeMenu(tree, Panel().PeerItem(kOtherPeer));
  EXPECT_TRUE(Enabled(tree, ID_FRIEND_DETAILS));
  host_.ClearCalls();
  Panel().TreeCommand(ID_FRIEND_DETAILS, Panel().PeerItem(kOtherPeer));
  Panel().TreeCommand(ID_FRIEND_MESSAGE, Category("视频"));
  EXPECT_EQ(host_.CallsOf("ShowPeerDetails"), std::vector<std::string>{"ShowPeerDetails(20003, 0)"});
  EXPECT_EQ(host_.CallsOf("SendMessageToPeer"),
            std::vector<std::string>{"SendMessageToPeer(20002, " + tagText + ", \"李四\")"});
  Panel().TreeCommand(ID_FRIEND_COPY_NUMBER, Panel().PeerItem(kOtherPeer));
  EXPECT_EQ(ClipboardText(Panel().Handle()), "20003");
}

TEST_F(FriendPanelTest, ADoubleClickDownloadsAndPlayIsForOnePlayableRow) {
  Start();
  ReceiveDocument(DocumentText(TypeText(
      "音乐", "0", FileText(HashOf(1), "歌.mp3", 4000000) + FileText(HashOf(2), "歌词.txt", 300))));
  Select(Category("音乐"));
  ASSERT_EQ(Panel().FileCount(), 2);
  Panel().Files().SelectOnly({1});
  NMITEMACTIVATE click = {};
  click.hdr.hwndFrom = Panel().Files().Handle();
  click.hdr.idFrom = IDC_PEER_FILES;
  click.hdr.code = NM_DBLCLK;
  click.iItem = 1;
  SendMessageA(Panel().Handle(), WM_NOTIFY, IDC_PEER_FILES, reinterpret_cast<LPARAM>(&click));
  Panel().FileCommand(ID_FRIEND_PLAY);  // not a playable name: nothing
  Panel().Files().SelectOnly({0, 1});
  Panel().FileCommand(ID_FRIEND_PLAY);  // two rows: nothing
  Panel().Files().SelectOnly({0});
  Panel().FileCommand(ID_FRIEND_PLAY);
  std::vector<std::string> started = host_.CallsOf("StartDownload");
  ASSERT_EQ(started.size(), 2u);
  EXPECT_NE(started[0].find("\"" + HashOf(2) + "\", 300, 1, 1,"), std::string::npos) << started[0];
  EXPECT_NE(started[1].find("\"" + HashOf(1) + "\", 4000000, 1, 3,"), std::string::npos) << started[1];
}

TEST_F(FriendPanelTest, IconSizesSwitchTheHostsImageListAndTheItemHeight) {
  Start();
  EXPECT_EQ(TreeView_GetItemHeight(TreeHandle()), 16);
  win::UniqueMenu menu = Panel().FriendMenu();
  HMENU tree = GetSubMenu(menu.Get(), FriendPanel::kTreeMenu);
  const struct {
    int command;
    int32_t list;
    int height;
  } sizes[] = {{ID_FRIEND_ICONS_LARGE, 0, 32}, {ID_FRIEND_ICONS_MEDIUM, 1, 20}, {ID_FRIEND_ICONS_SMALL, 2, 16}};
  for (const auto& size : sizes) {
    EXPECT_TRUE(Panel().TreeCommand(size.command, nullptr));
    EXPECT_EQ(TreeView_GetItemHeight(TreeHandle()), size.height);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(TreeHandle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0)),
              host_.GetImageList(size.list));
    Panel().PrepareTreeMenu(tree, nullptr);
    for (const auto& other : sizes)
      EXPECT_EQ((MenuState(tree, other.command) & MF_CHECKED) != 0, other.command == size.command);
  }
}

// --- hostile lists ---

TEST_F(FriendPanelTest, AListThatIsNotASoundCopyLeavesThePeerEmptyAndThePanelUsable) {
  Start();
  const std::string good = DocumentText(TypeText("视频", "0", FileText(HashOf(1), "a.avi")));
  const std::string copy = PeerCopy(good);
  TempFolder folder;
  std::string garbage;
  ASSERT_TRUE(Bzip2File::Compress(std::string("\x01\x02<Share File>>&&\xff\xfe", 18), garbage));
  const std::vector<std::string> broken = {"not bzip2 at all", garbage, ReadFileBytes(copy).substr(0, 40), ""};
  for (size_t i = 0; i < broken.size(); ++i) {
    Receive(kPeer, copy);
    ASSERT_EQ(Panel().FileCount(), 1);
    const std::string path = folder.File("broken" + std::to_string(i));
    ASSERT_TRUE(WriteFileBytes(path, broken[i]));
    Receive(kPeer, path);
    EXPECT_EQ(TreeView_GetChild(TreeHandle(), Panel().PeerItem(kPeer)), nullptr) << i;
    EXPECT_EQ(Panel().FileCount(), 0) << i;
  }
  Receive(kPeer, folder.File("missing"));
  Receive(kPeer, copy);
  EXPECT_EQ(RowNames(), std::vector<std::string>{"a.avi"});
}

TEST_F(FriendPanelTest, ATextPast64MegabytesIsRefusedWhole) {
  Start();
  const std::string head = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<ShareFile version=\"2\">\r\n" +
                           TypeText("视频", "0", FileText(HashOf(1), "a.avi")) + "<Type name=\"大\" style=\"0\">";
  std::string text = head;
  text.resize(Bzip2File::kMaxDecompressed + 1, ' ');
  std::string compressed;
  ASSERT_TRUE(Bzip2File::Compress(text, compressed));
  std::string().swap(text);
  TempFolder folder;
  ASSERT_TRUE(WriteFileBytes(folder.File("big"), compressed));
  Receive(kPeer, PeerCopy(DocumentText(TypeText("视频", "0", FileText(HashOf(2), "b.avi")))));
  Receive(kPeer, folder.File("big"));
  EXPECT_EQ(TreeView_GetChild(TreeHandle(), Panel().PeerItem(kPeer)), nullptr);
  EXPECT_EQ(Panel().FileCount(), 0);
}

TEST_F(FriendPanelTest, AHundredThousandFilesFillTheListOnlyForTheSelectedCategory) {
  Start();
  std::string many;
  many.reserve(100000 * 110);
  for (unsigned i = 0; i < 100000; ++i) many += FileText(HashOf(i + 1), "片" + std::to_string(i) + ".avi", i);
  ReceiveDocument(DocumentText(TypeText("音乐", "0", FileText(HashOf(1), "歌.mp3")) + TypeText("视频", "0", many)));
  ASSERT_EQ(Panel().FileCount(), 100000);
  EXPECT_EQ(ListView_GetItemCount(Panel().Files().Handle()), 100000);
  EXPECT_EQ(Panel().Files().ItemText(99999, 0), "片99999.avi");
  Select(Category("音乐"));
  EXPECT_EQ(RowNames(), std::vector<std::string>{"歌.mp3"});
  Select(Category("视频"));
  EXPECT_EQ(Panel().FileCount(), 100000);
}

TEST_F(FriendPanelTest, DeepNestingIsShownToItsLimitWithoutRecursion) {
  Start();
  auto nested = [](int depth) {
    std::string open, close;
    for (int level = 1; level <= depth; ++level) {
      open += "<Type name=\"层" + std::to_string(level) + "\" style=\"0\">";
      close += "</Type>";
    }
    return DocumentText(open + FileText(HashOf(7), "底.avi") + close);
  };
  for (int depth : {1000, FriendPanel::kMaxDepth + 500}) {
    ReceiveDocument(nested(depth));
    int levels = 0;
    HTREEITEM deepest = nullptr;
    for (HTREEITEM item = TreeView_GetChild(TreeHandle(), Panel().PeerItem(kPeer)); item != nullptr;
         item = TreeView_GetChild(TreeHandle(), item), ++levels)
      deepest = item;
    EXPECT_EQ(levels, std::min(depth, FriendPanel::kMaxDepth)) << depth;
    ASSERT_NE(deepest, nullptr);
    EXPECT_EQ(Panel().Tree().Text(deepest), "层" + std::to_string(levels));
    EXPECT_TRUE(Select(deepest));
    EXPECT_EQ(Panel().FileCount(), depth <= FriendPanel::kMaxDepth ? 1 : 0);
  }
  ReceiveDocument(DocumentText(TypeText("视频", "0", FileText(HashOf(1), "a.avi"))));
  EXPECT_EQ(RowNames(), std::vector<std::string>{"a.avi"});
}

TEST_F(FriendPanelTest, LongNamesAndLongPasswordsAreKeptWholeUpToTheReadersLimit) {
  Start();
  std::string longLabel, longName;
  for (int i = 0; i < 500; ++i) longLabel += "长";
  for (int i = 0; i < 498; ++i) longName += "名";
  longName += ".avi";
  auto document = [&](const std::string& password) {
    return DocumentText(TypeText("视频", "0", TypeText(longLabel, "0", FileText(HashOf(1), longName))) +
                        TypeText("珍藏", "0", FileText(HashOf(2), "x.txt"), password));
  };
  const std::string password(2000, 'p');
  ReceiveDocument(document(password));
  HTREEITEM sub = TreeView_GetChild(TreeHandle(), Category("视频"));
  ASSERT_NE(sub, nullptr);
  ASSERT_NE(Panel().CategoryOf(sub), nullptr);
  EXPECT_EQ(AttributeOf(*Panel().CategoryOf(sub), "name"), longLabel);
  const std::string shown = Panel().Tree().Text(sub);
  EXPECT_FALSE(shown.empty());
  EXPECT_EQ(longLabel.compare(0, shown.size(), shown), 0) << shown.size();
  EXPECT_TRUE(Select(sub));
  ASSERT_EQ(Panel().FileCount(), 1);
  EXPECT_EQ(Panel().FileRow(0).name, longName);
  EXPECT_FALSE(Panel().Files().ItemText(0, 0).empty());
  EXPECT_NE(Panel().RowLink(0).find("|name=" + longName + "|"), std::string::npos);

  bool selected = false;
  EXPECT_EQ(SelectEntering(Category("珍藏"), password.substr(1), &selected).size(), 2u);
  EXPECT_FALSE(selected);
  EXPECT_EQ(SelectEntering(Category("珍藏"), password, &selected).size(), 1u);
  EXPECT_TRUE(selected);

  // A peer's copy (compressed as it came, since the share library would not
  // have read such a document) with a password of 10,000 bytes: past the
  // document reader's buffer of 2048 bytes the list is unreadable, so the
  // peer shows nothing, and the next sound list everything.
  std::string compressed;
  ASSERT_TRUE(Bzip2File::Compress(document(std::string(10000, 'q')), compressed));
  ASSERT_TRUE(WriteFileBytes(peerFolder_.File("huge"), compressed));
  Receive(kPeer, peerFolder_.File("huge"));
  EXPECT_EQ(TreeView_GetChild(TreeHandle(), Panel().PeerItem(kPeer)), nullptr);
  EXPECT_EQ(Panel().FileCount(), 0);
  ReceiveDocument(document("p"));
  EXPECT_EQ(Labels(Panel().PeerItem(kPeer)), (std::vector<std::string>{"视频", "珍藏"}));
  EXPECT_TRUE(Panel().NeedsPassword(kPeer));
}

}  // namespace
