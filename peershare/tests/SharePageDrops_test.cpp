// Drops on the share page that are large or odd: thousands of items at once,
// a folder of a hundred thousand entries while the page keeps answering,
// shell items outside the file system, a folder dropped into the category
// made of it, and drops still under way when their category goes or the
// library stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <set>

#include "SharePageFixture.h"
#include "controls/DragData.h"
#include "frame/XmlDocument.h"
#include "share/Md5.h"

namespace {

// Empty files "<prefix>0<extension>", "<prefix>1<extension>", ... in `folder`.
bool CreateEmptyFiles(const std::string& folder, const std::string& prefix, int count, const char* extension) {
  for (int i = 0; i < count; ++i) {
    const std::string path = folder + "\\" + prefix + std::to_string(i) + extension;
    win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
  }
  return true;
}

// The folders of the large drops, made by CTest beforehand in the folder
// SHARE_BIG_FOLDER names (make_big_folder.sh): "大文件夹" with 99,999 empty
// files and a folder "下层" of ten, and "五千首" with 5,000 files
// "歌<n>.mp3" holding the text of n. A program run alone makes smaller ones
// of its own: Wine takes minutes to make 100,000 files in one folder.
class DropFolders {
 public:
  static constexpr int kAloneFiles = 1999, kAloneSongs = 500;

  DropFolders() {
    char unixPath[MAX_PATH] = "";
    DWORD length = GetEnvironmentVariableA("SHARE_BIG_FOLDER", unixPath, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      parent_ = std::string("Z:") + unixPath;
      std::replace(parent_.begin(), parent_.end(), '/', '\\');
      return;
    }
    temp_ = std::make_unique<TempFolder>("C:\\");
    parent_ = temp_->Path();
    bigFiles_ = kAloneFiles;
    songs_ = kAloneSongs;
    made_ = CreateDirectoryA(Big().c_str(), nullptr) && CreateDirectoryA((Big() + "\\下层").c_str(), nullptr) &&
            CreateEmptyFiles(Big() + "\\下层", "b", 10, ".avi") && CreateEmptyFiles(Big(), "a", bigFiles_, ".avi") &&
            CreateDirectoryA((parent_ + "\\五千首").c_str(), nullptr);
    for (int n = 0; n < songs_ && made_; ++n) made_ = WriteFileBytes(Song(n), std::to_string(n));
  }
  bool Made() const {
    return made_ && GetFileAttributesA((Big() + "\\下层").c_str()) != INVALID_FILE_ATTRIBUTES &&
           GetFileAttributesA(Song(songs_ - 1).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  std::string Big() const { return parent_ + "\\大文件夹"; }
  // The files directly in the big folder; with its folder, its entries.
  int BigFiles() const { return bigFiles_; }
  win::ComPtr<IDataObject> BigData() const { return ShellDataOf(parent_, {"大文件夹"}); }
  int Songs() const { return songs_; }
  static std::string SongName(int n) { return "歌" + std::to_string(n) + ".mp3"; }
  std::string Song(int n) const { return parent_ + "\\五千首\\" + SongName(n); }
  std::string SongFolder() const { return parent_ + "\\五千首"; }

 private:
  std::unique_ptr<TempFolder> temp_;
  std::string parent_;
  int bigFiles_ = 99999, songs_ = 5000;
  bool made_ = true;
};

// A "Shell IDList Array" of items given by their lists from the desktop.
win::ComPtr<IDataObject> IdListData(const std::vector<const ITEMIDLIST*>& items) {
  const USHORT desktop = 0;
  std::string bytes((items.size() + 2) * sizeof(UINT), '\0');
  auto offsetAt = [&bytes](size_t index, UINT offset) { std::memcpy(&bytes[index * sizeof(UINT)], &offset, sizeof offset); };
  const UINT count = static_cast<UINT>(items.size());
  std::memcpy(&bytes[0], &count, sizeof count);
  offsetAt(1, static_cast<UINT>(bytes.size()));
  bytes.append(reinterpret_cast<const char*>(&desktop), sizeof desktop);
  for (size_t i = 0; i < items.size(); ++i) {
    offsetAt(i + 2, static_cast<UINT>(bytes.size()));
    bytes.append(reinterpret_cast<const char*>(items[i]), ILGetSize(items[i]));
  }
  win::ComPtr<IDataObject> data;
  data.Attach(new DragDataObject(SharePage::ShellIdListFormat(), bytes));
  return data;
}

// Another thread that keeps sending a message to the page and counts the
// answers, and the sends that found no answer within ten seconds.
class PageProbe {
 public:
  explicit PageProbe(HWND page) : page_(page), thread_(CreateThread(nullptr, 0, &PageProbe::Run, this, 0, nullptr)) {}
  ~PageProbe() { Stop(); }
  // The page's thread pumps its messages until the probe ended.
  void Stop() {
    done_ = true;
    if (thread_) ShareSession::PumpUntil([this] { return WaitForSingleObject(thread_.Get(), 0) == WAIT_OBJECT_0; });
  }
  unsigned Answers() const { return answers_; }
  unsigned Failures() const { return failures_; }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* probe = static_cast<PageProbe*>(self);
    while (!probe->done_) {
      DWORD_PTR result = 0;
      if (SendMessageTimeoutA(probe->page_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0) {
        ++probe->answers_;
      } else {
        ++probe->failures_;
      }
      Sleep(20);
    }
    return 0;
  }

  HWND page_;
  std::atomic<bool> done_{false};
  std::atomic<unsigned> answers_{0}, failures_{0};
  win::UniqueThread thread_;
};

class SharePageHashedDropTest : public SharePageDropTest {
 protected:
  SharePageHashedDropTest() : SharePageDropTest(true) {}
};

size_t FileCount(const XmlElement& category) {
  size_t files = 0;
  for (size_t i = 0; i < category.ChildCount(); ++i) files += category.Child(i)->Name() == "file" ? 1 : 0;
  return files;
}

TEST_F(SharePageHashedDropTest, FiveThousandItemsAtOnceBecomeRowsThenPublications) {
  Start({});
  DropFolders folders;
  ASSERT_TRUE(folders.Made());
  const int kItems = folders.Songs();
  std::vector<std::string> names;
  for (int n = 0; n < kItems; ++n) names.push_back(DropFolders::SongName(n));
  ULONGLONG started = GetTickCount64();
  win::ComPtr<IDataObject> data = ShellDataOf(folders.SongFolder(), names);
  ASSERT_TRUE(data);
  std::printf("the shell's data object of %d items made in %llu ms\n", kItems, GetTickCount64() - started);
  Select(Category("音乐"));
  started = GetTickCount64();
  ASSERT_TRUE(DropOnTree(data.Get(), Category("音乐")));
  std::printf("%d items dropped in %llu ms\n", kItems, GetTickCount64() - started);
  started = GetTickCount64();

  // Rows at once; the host hears of nothing before there is a digest.
  ListView& rows = page_.ShareFiles();
  ASSERT_EQ(rows.ItemCount(), kItems);
  std::set<std::string> shown;
  for (int row = 0; row < kItems; ++row) shown.insert(rows.ItemText(row, 0));
  EXPECT_EQ(shown.size(), static_cast<size_t>(kItems));
  EXPECT_TRUE(shown.count(folders.Song(0)) && shown.count(folders.Song(kItems - 1)));
  for (int row = 0; row < kItems; ++row) {
    if (rows.ItemText(row, 0) == folders.Song(123)) {
      EXPECT_EQ(rows.ItemText(row, 1), SharePage::SizeText(3));
    }
  }
  EXPECT_TRUE(session_.Host().Calls().empty());

  // Then each is hashed and published in music once.
  ASSERT_TRUE(ShareSession::PumpUntil(
      [&] {
        return session_.Host().CallsOf("PublishFile").size() >= static_cast<size_t>(kItems) && session_.Library().QueuedPublications() == 0;
      },
      55000));
  std::printf("hashed and published in %llu ms\n", GetTickCount64() - started);
  ShareSession::Pump(300);
  const std::vector<std::string> published = session_.Host().CallsOf("PublishFile");
  EXPECT_EQ(published.size(), static_cast<size_t>(kItems));
  const std::set<std::string> distinct(published.begin(), published.end());
  EXPECT_EQ(distinct.size(), static_cast<size_t>(kItems));
  for (int i : {0, 123, kItems - 1}) {
    const std::string content = std::to_string(i);
    EXPECT_TRUE(distinct.count("PublishFile(\"" + Md5::OfText(content) + "\", \"" + names[i] + "\", " +
                               std::to_string(content.size()) + ", 1, \"/1\", \"\")"))
        << names[i];
  }
  EXPECT_EQ(session_.Host().CallsOf("ReportPublishedFile").size(), static_cast<size_t>(kItems));
}

TEST_F(SharePageDropTest, AFolderOfAHundredThousandEntriesLeavesThePageAnswering) {
  Start({});
  DropFolders folder;
  ASSERT_TRUE(folder.Made());
  win::ComPtr<IDataObject> data = folder.BigData();
  ASSERT_TRUE(data);

  const ULONGLONG started = GetTickCount64();
  PageProbe probe(page_.Handle());
  ASSERT_TRUE(DropOnTree(data.Get(), Category("视频")));
  // The sub-category is there at once; what it holds follows.
  HTREEITEM added = Category("大文件夹", Category("视频"));
  ASSERT_NE(added, nullptr);
  unsigned answeredMeanwhile = 0;
  ASSERT_TRUE(ShareSession::PumpUntil(
      [&] {
        if (!session_.Library().DropsPending()) return true;
        answeredMeanwhile = probe.Answers();
        return false;
      },
      55000));
  std::printf("%d entries dropped in %llu ms; the page answered %u times meanwhile\n", folder.BigFiles() + 1,
              GetTickCount64() - started, answeredMeanwhile);
  probe.Stop();
  EXPECT_GT(answeredMeanwhile, 0u);
  EXPECT_EQ(probe.Failures(), 0u);

  EXPECT_EQ(Children(added), std::vector<std::string>{"下层"});
  std::lock_guard<std::recursive_mutex> guard(session_.Library().Lock());
  XmlElement* category = Element(added);
  EXPECT_EQ(FileCount(*category), static_cast<size_t>(folder.BigFiles()));
  XmlElement* below = category->FindFirst(false, "Type", "name", "下层");
  ASSERT_NE(below, nullptr);
  EXPECT_EQ(ShareDocument::CategoryPath(*below), "/3/1/1");
  EXPECT_EQ(FileCount(*below), 10u);
  EXPECT_NE(session_.FileOf(folder.Big() + "\\a" + std::to_string(folder.BigFiles() - 1) + ".avi"), nullptr);
}

TEST_F(SharePageDropTest, ShellItemsOutsideTheFileSystemAreSkipped) {
  Start({});
  TempFolder folder("C:\\");
  const std::string file = folder.File("工具.exe");
  ASSERT_TRUE(WriteFileBytes(file, "tool"));
  std::vector<win::UniqueIdList> lists;
  for (int special : {CSIDL_CONTROLS, CSIDL_DRIVES, CSIDL_BITBUCKET, CSIDL_PRINTERS, CSIDL_NETWORK}) {
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, special, &list))) lists.emplace_back(list);
  }
  ASSERT_GE(lists.size(), 3u);
  std::vector<const ITEMIDLIST*> items;
  for (const auto& list : lists) items.push_back(list.Get());
  Select(Category("软件"));

  EXPECT_FALSE(DropOnTree(IdListData(items).Get(), Category("软件")));
  EXPECT_EQ(page_.ShareFiles().ItemCount(), 0);
  EXPECT_TRUE(Children(Category("软件")).empty());

  // Among them a file: it alone joins.
  win::UniqueIdList fileList(ILCreateFromPathA(file.c_str()));
  ASSERT_TRUE(fileList);
  items.insert(items.begin() + 1, fileList.Get());
  ASSERT_TRUE(DropOnTree(IdListData(items).Get(), Category("软件")));
  ASSERT_TRUE(WaitForDrops());
  ASSERT_EQ(page_.ShareFiles().ItemCount(), 1);
  EXPECT_EQ(page_.ShareFiles().ItemText(0, 0), file);
  EXPECT_TRUE(Children(Category("软件")).empty());
  EXPECT_TRUE(session_.Host().Calls().empty());
}

TEST_F(SharePageDropTest, AFolderDroppedIntoTheCategoryMadeOfItNestsOnce) {
  Start({});
  TempFolder folder("C:\\");
  const std::string album = folder.File("专辑");
  ASSERT_TRUE(CreateDirectoryA(album.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((album + "\\碟二").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(album + "\\一.mp3", "1"));
  ASSERT_TRUE(WriteFileBytes(album + "\\碟二\\二.mp3", "2"));
  // A link back to the folder inside it, where the system makes one.
  CreateSymbolicLinkA((album + "\\回环").c_str(), album.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
  win::ComPtr<IDataObject> data = ShellDataOf(folder.Path(), {"专辑"});
  ASSERT_TRUE(data);
  ASSERT_TRUE(DropOnTree(data.Get(), Category("音乐")));
  ASSERT_TRUE(WaitForDrops());
  HTREEITEM first = Category("专辑", Category("音乐"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Children(first), std::vector<std::string>{"碟二"});

  ASSERT_TRUE(DropOnTree(data.Get(), first));
  ASSERT_TRUE(WaitForDrops());
  HTREEITEM nested = Category("专辑", first);
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(Children(first), (std::vector<std::string>{"碟二", "专辑"}));
  EXPECT_EQ(Children(nested), std::vector<std::string>{"碟二"});
  std::lock_guard<std::recursive_mutex> guard(session_.Library().Lock());
  EXPECT_EQ(ShareDocument::CategoryPath(*Element(nested)), "/1/1/2");
  EXPECT_EQ(FileCount(*Element(nested)), 1u);
  XmlElement::List paths;
  session_.Library().Document().Root()->FindAll(paths, true, "filePath");
  EXPECT_EQ(paths.size(), 4u);  // each file once per category
}

TEST_F(SharePageDropTest, ACategoryRemovedWhileItsFolderArrivesStaysEmpty) {
  Start({});
  DropFolders folder;
  ASSERT_TRUE(folder.Made());
  win::ComPtr<IDataObject> data = folder.BigData();
  ASSERT_TRUE(data);
  auto fileCount = [this] {
    std::lock_guard<std::recursive_mutex> guard(session_.Library().Lock());
    XmlElement::List files;
    session_.Library().Document().Root()->FindAll(files, true, "file");
    return files.size();
  };

  // Removed before the folder was listed.
  ASSERT_TRUE(DropOnTree(data.Get(), Category("图书")));
  ASSERT_TRUE(page_.TreeCommand(ID_CATEGORY_DELETE, Category("大文件夹", Category("图书"))));
  ASSERT_TRUE(WaitForDrops());
  EXPECT_TRUE(Children(Category("图书")).empty());
  EXPECT_EQ(fileCount(), 0u);

  // Removed after the first of its files arrived.
  ASSERT_TRUE(DropOnTree(data.Get(), Category("图书")));
  HTREEITEM added = Category("大文件夹", Category("图书"));
  ASSERT_NE(added, nullptr);
  ASSERT_TRUE(ShareSession::PumpUntil([&] { return fileCount() > 0 || !session_.Library().DropsPending(); }, 30000));
  ASSERT_TRUE(session_.Library().DropsPending()) << "the whole folder arrived in one step";
  ASSERT_TRUE(page_.TreeCommand(ID_CATEGORY_DELETE, added));
  ASSERT_TRUE(WaitForDrops());
  EXPECT_TRUE(Children(Category("图书")).empty());
  EXPECT_EQ(fileCount(), 0u);
}

TEST_F(SharePageDropTest, ADropUnderWayWhenTheLibraryStopsIsSavedWhole) {
  Start({});
  DropFolders folder;
  ASSERT_TRUE(folder.Made());
  win::ComPtr<IDataObject> data = folder.BigData();
  ASSERT_TRUE(data);
  ASSERT_TRUE(DropOnTree(data.Get(), Category("资料")));
  page_.LeaveLibrary();
  session_.Library().Stop();
  EXPECT_FALSE(session_.Library().Worker().Running());

  XmlDocument saved;
  ASSERT_TRUE(saved.Load(session_.DocumentPath()));
  XmlElement* category = saved.FindFirst(true, "Type", "name", "大文件夹");
  ASSERT_NE(category, nullptr);
  EXPECT_EQ(FileCount(*category), static_cast<size_t>(folder.BigFiles()));
  XmlElement* inner = category->FindFirst(false, "Type", "name", "下层");
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(FileCount(*inner), 10u);
}

}  // namespace
