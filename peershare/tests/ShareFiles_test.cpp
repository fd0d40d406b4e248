// Files joining the share: dropped items, shell id lists, finished
// downloads, and the download list's lookup by digest.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ShareSession.h"
#include "share/Md5.h"
#include "win/ShellHandles.h"

namespace {

class ShareFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.WriteDocument({}));
    ASSERT_TRUE(session_.Start());
    ASSERT_TRUE(session_.WaitForPasses(1));
  }
  ShareLibrary& Library() { return session_.Library(); }
  bool WaitForDrops() {
    return ShareSession::PumpUntil([this] { return !Library().DropsPending(); });
  }
  XmlElement& Category(const char* label) {
    return *Library().Document().Root()->FindFirst(false, "Type", "name", label);
  }
  std::vector<std::string> SubCategories(const char* label) {
    std::lock_guard<std::recursive_mutex> guard(Library().Lock());
    std::vector<std::string> names;
    XmlElement::List types;
    Category(label).FindAll(types, true, "Type");
    for (XmlElement* type : types)
      names.push_back(AttributeOf(*type, "name") + " " + ShareDocument::CategoryPath(*type));
    return names;
  }

  ShareSession session_;
};

TEST_F(ShareFilesTest, DroppedFoldersBecomeSubCategoriesAndRefusedItemsAreSkipped) {
  const std::string games = session_.Media() + "\\游戏目录";
  CreateDirectoryA(games.c_str(), nullptr);
  CreateDirectoryA((games + "\\存档").c_str(), nullptr);
  const std::string setup = session_.MediaFile("游戏目录\\安装.exe", "setup");
  const std::string save = session_.MediaFile("游戏目录\\存档\\进度.sav", "save");
  const std::string song = session_.MediaFile("歌.mp3", "song");
  const std::string program = session_.MediaFile("程序.exe", "program");
  CreateDirectoryA((session_.Media() + "\\Windows备份").c_str(), nullptr);

  std::vector<DroppedItem> items = ShareLibrary::ItemsOfPaths(
      {"C:\\", games + "\\", song, program, session_.Media() + "\\Windows备份", session_.Media() + "\\没有这个"});
  items.push_back(DroppedItem{"", "网上邻居", false, true});
  EXPECT_EQ(Library().AddDroppedItems(Category("音乐"), items), 2);
  ASSERT_TRUE(WaitForDrops());
  EXPECT_EQ(SubCategories("音乐"), (std::vector<std::string>{"游戏目录 /1/1", "存档 /1/1/1"}));
  // Inside a dropped folder nothing is checked: the program comes along.
  EXPECT_EQ(session_.AttributeOfFile(setup, "fileSize"), "5");
  EXPECT_EQ(session_.AttributeOfFile(program, "MD5"), "<gone>");
  // The same program on software is accepted.
  EXPECT_EQ(Library().AddDroppedItems(Category("软件"), ShareLibrary::ItemsOfPaths({program})), 1);
  EXPECT_EQ(Library().AddDroppedItems(Category("音乐"), ShareLibrary::ItemsOfPaths({games})), 1);
  ASSERT_TRUE(WaitForDrops());
  EXPECT_EQ(SubCategories("音乐").size(), 4u);
  EXPECT_EQ(SubCategories("音乐")[2], "游戏目录 /1/2");

  // The drops asked for passes: the files are hashed and published in their
  // sub-categories (a folder's files as they arrive, so in any order).
  auto publishedAs = [&](const std::string& content, const char* name, const char* categoryPath) {
    const std::vector<std::string> published = session_.Host().CallsOf("PublishFile");
    const std::string call = "PublishFile(\"" + Md5::OfText(content) + "\", \"" + name + "\", " +
                             std::to_string(content.size()) + ", 1, \"" + categoryPath + "\", \"\")";
    return std::find(published.begin(), published.end(), call) != published.end();
  };
  ASSERT_TRUE(ShareSession::PumpUntil([&] {
    return publishedAs("song", "歌.mp3", "/1") && publishedAs("save", "进度.sav", "/1/1/1") &&
           publishedAs("setup", "安装.exe", "/1/2");
  }));
}

TEST_F(ShareFilesTest, UnfilteredModeLetsEveryPathThrough) {
  const std::string program = session_.MediaFile("windows工具.exe", "tool");
  Library().SetUnfiltered(true);
  EXPECT_EQ(Library().AddDroppedItems(Category("音乐"), ShareLibrary::ItemsOfPaths({program})), 1);
}

TEST_F(ShareFilesTest, AShellIdListDropDescribesFilesAndFolders) {
  const std::string song = session_.MediaFile("歌.mp3", "song");
  const std::string folder = session_.Media() + "\\专辑";
  CreateDirectoryA(folder.c_str(), nullptr);
  win::UniqueIdList parent(ILCreateFromPathA(session_.Media().c_str()));
  win::UniqueIdList songList(ILCreateFromPathA(song.c_str()));
  win::UniqueIdList folderList(ILCreateFromPathA(folder.c_str()));
  ASSERT_TRUE(parent && songList && folderList);
  // The array: the count, the offsets, the parent's list, then each child's last item.
  auto children = [](const ITEMIDLIST* list) { return ILFindLastID(list); };
  const UINT parentSize = ILGetSize(parent.Get());
  const UINT songSize = ILGetSize(children(songList.Get()));
  const UINT folderSize = ILGetSize(children(folderList.Get()));
  std::vector<BYTE> bytes(4 * sizeof(UINT) + parentSize + songSize + folderSize);
  auto* ida = reinterpret_cast<CIDA*>(bytes.data());
  ida->cidl = 2;
  UINT offset = 4 * sizeof(UINT);
  const ITEMIDLIST* parts[] = {parent.Get(), children(songList.Get()), children(folderList.Get())};
  const UINT sizes[] = {parentSize, songSize, folderSize};
  for (int i = 0; i < 3; ++i) {
    ida->aoffset[i] = offset;
    memcpy(bytes.data() + offset, parts[i], sizes[i]);
    offset += sizes[i];
  }

  std::vector<DroppedItem> items = ShareLibrary::ItemsOfShellIdList(ida, bytes.size());
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].path, song);
  EXPECT_TRUE(items[0].fileSystem);
  EXPECT_FALSE(items[0].folder);
  EXPECT_EQ(items[1].path, folder);
  EXPECT_TRUE(items[1].folder);
  EXPECT_EQ(items[1].displayName, "专辑");

  // Offsets that leave the data, and a count the data cannot hold, give nothing.
  ida->aoffset[2] = static_cast<UINT>(bytes.size() + 10);
  EXPECT_EQ(ShareLibrary::ItemsOfShellIdList(ida, bytes.size()).size(), 1u);
  ida->cidl = 0x40000000;
  EXPECT_TRUE(ShareLibrary::ItemsOfShellIdList(ida, bytes.size()).empty());
  EXPECT_TRUE(ShareLibrary::ItemsOfShellIdList(ida, 2).empty());
  EXPECT_TRUE(ShareLibrary::ItemsOfShellIdList(nullptr, 100).empty());
}

TEST_F(ShareFilesTest, FinishedDownloadsJoinTheirCategoryAndAreFoundByDigest) {
  const std::string film = session_.MediaFile("下载的电影.avi", "film");
  const std::string secret = session_.MediaFile("私人.avi", "secret");
  session_.Host().ClearCalls();
  ASSERT_TRUE(Library().AddFinishedDownload(3, film, Md5::OfText("film"), 4, "朋友推荐"));
  // Published at once, before any pass.
  EXPECT_EQ(session_.Host().Calls(),
            (std::vector<std::string>{
                "PublishFile(\"" + Md5::OfText("film") + "\", \"下载的电影.avi\", 4, 3, \"/3\", \"朋友推荐\")",
                "ReportPublishedFile(\"下载的电影.avi\", \"" + Md5::OfText("film") + "\", 4, 3)"}));
  ASSERT_TRUE(Library().AddFinishedDownload(8, secret, Md5::OfText("secret"), 6));
  EXPECT_EQ(session_.Host().CallsOf("PublishFile").size(), 1u);
  EXPECT_FALSE(Library().AddFinishedDownload(9, film, Md5::OfText("film"), 4));
  EXPECT_FALSE(Library().AddFinishedDownload(0, film, Md5::OfText("film"), 4));
  EXPECT_FALSE(Library().AddFinishedDownload(3, "", Md5::OfText("film"), 4));

  SharedFileInfo found;
  ASSERT_TRUE(Library().FindByMd5(Md5::OfText("secret"), &found));
  EXPECT_EQ(found.path, secret);
  EXPECT_EQ(found.category, 9);
  EXPECT_EQ(found.file, nullptr);
  EXPECT_FALSE(Library().FindByMd5(Md5::OfText("nothing")));
  EXPECT_FALSE(Library().FindByMd5(""));
  EXPECT_TRUE(session_.Host().CallsOf("UnpublishFile").empty());

  // The worker verifies both; the same download again is not added twice.
  ASSERT_TRUE(session_.WaitForPasses(2));
  EXPECT_EQ(session_.AttributeOfFile(film, "time").empty(), false);
  ASSERT_TRUE(Library().AddFinishedDownload(3, film, Md5::OfText("film"), 4));
  std::lock_guard<std::recursive_mutex> guard(Library().Lock());
  XmlElement::List files;
  Category("视频").FindAll(files, true, "file");
  EXPECT_EQ(files.size(), 1u);
}

}  // namespace
