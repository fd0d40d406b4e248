// The media folders of "shareDirectory.ini": reading them, the rescans that
// sort their files into categories, and the folder watch.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "ShareSession.h"
#include "share/FolderWatch.h"
#include "share/Md5.h"
#include "share/ShareDirectories.h"

namespace {

bool WriteShareDirectories(const ClientFolder& client, const std::string& keys) {
  return WriteFileBytes(client.BinConfig() + "\\shareDirectory.ini", "[tovak]\r\n" + keys);
}

size_t FilesIn(ShareLibrary& library, const char* label) {
  std::lock_guard<std::recursive_mutex> guard(library.Lock());
  XmlElement* category = library.Document().Root()->FindFirst(false, "Type", "name", label);
  XmlElement::List files;
  if (category != nullptr) category->FindAll(files, true, "file");
  return files.size();
}

TEST(ShareDirectories, AHugeCountWithThreeEntriesGivesThoseInTheirOrder) {
  ClientFolder client(false);
  ASSERT_TRUE(WriteShareDirectories(client,
                                    "vodSystem=1\r\nshareDirectoryCount=1000000\r\ndirectory999999=E:\\电影\r\n"
                                    "directory2=D:\\音乐\r\ndirectory7=C:\r\ndirectory0=F:\\零\r\n"
                                    "directory1000001=G:\\超出\r\ndirectoryX=H:\\字母\r\n"));
  const ULONGLONG start = GetTickCount64();
  ShareDirectories directories = ShareDirectories::Read(client.Bin());
  EXPECT_LT(GetTickCount64() - start, 1000u);
  EXPECT_TRUE(directories.VodSystem());
  EXPECT_EQ(directories.Folders(), (std::vector<std::string>{"D:\\音乐", "E:\\电影"}));

  ClientFolder empty(false);
  ShareDirectories none = ShareDirectories::Read(empty.Bin());
  EXPECT_FALSE(none.VodSystem());
  EXPECT_TRUE(none.Folders().empty());
}

TEST(FolderWatchRecords, OnlyRemovedRecordsCountAndBadOffsetsEndTheWalk) {
  alignas(DWORD) BYTE buffer[256] = {};
  auto record = [&](DWORD offset, DWORD next, DWORD action) {
    auto* info = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(buffer + offset);
    info->NextEntryOffset = next;
    info->Action = action;
  };
  record(0, 24, FILE_ACTION_REMOVED);
  record(24, 24, FILE_ACTION_ADDED);
  record(48, 24, FILE_ACTION_REMOVED);
  record(72, 0, FILE_ACTION_REMOVED);
  EXPECT_EQ(FolderWatch::RemovedRecords(buffer, 96), 3);
  // Only the bytes the system reported count.
  EXPECT_EQ(FolderWatch::RemovedRecords(buffer, 64), 2);
  EXPECT_EQ(FolderWatch::RemovedRecords(buffer, 60), 1);
  record(48, 4000, FILE_ACTION_REMOVED);
  EXPECT_EQ(FolderWatch::RemovedRecords(buffer, 96), 2);
  record(0, 3, FILE_ACTION_REMOVED);
  EXPECT_EQ(FolderWatch::RemovedRecords(buffer, 96), 1);
}

TEST(FolderWatchThread, ARemovalAsksForAPassAQuietTimeOutForARescan) {
  TempFolder folder;
  const std::string victim = folder.File("删除我.mp3");
  ASSERT_TRUE(WriteFileBytes(victim, "x"));
  win::UniqueEvent stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<int> passes{0}, rescans{0};
  FolderWatch watch;
  ASSERT_TRUE(watch.Start({folder.Path(), folder.Path() + "\\不存在"}, stop.Get(), 300,
                          {[&] { ++passes; }, [&] { ++rescans; }}));
  EXPECT_EQ(watch.WatchedCount(), 1u);
  Sleep(50);
  ASSERT_TRUE(DeleteFileA(victim.c_str()));
  ASSERT_TRUE(ShareSession::PumpUntil([&] { return passes == 1; }, 5000));
  ASSERT_TRUE(ShareSession::PumpUntil([&] { return rescans >= 1; }, 5000));
  SetEvent(stop.Get());
  watch.Join();
  EXPECT_FALSE(watch.Running());
}

class ShareFoldersTest : public ::testing::Test {
 protected:
  ShareLibrary& Library() { return session_.Library(); }
  ShareSession session_;
};

TEST_F(ShareFoldersTest, RescansSortFilesByExtensionAndTheWatchFollowsDeletions) {
  const std::string media = session_.Media();
  ASSERT_TRUE(WriteShareDirectories(session_.Client(), "vodSystem=1\r\nshareDirectoryCount=3\r\ndirectory1=" +
                                                          media + "\r\ndirectory2=" + media +
                                                          "\\不存在的目录\r\ndirectory3=ab\r\n"));
  const std::string song = session_.MediaFile("歌.MP3", "song");
  const std::string film = session_.MediaFile("片.asf", "film");
  const std::string text = session_.MediaFile("说明.txt", "text");
  CreateDirectoryA((media + "\\子目录").c_str(), nullptr);
  const std::string nested = session_.MediaFile("子目录\\深.rmvb", "deep");
  // A file the document names already is not added twice, whatever its case.
  ShareSession::File known = {"资料", song, ""};
  known.path[known.path.size() - 3] = 'm';
  ASSERT_TRUE(session_.WriteDocument({known}));
  ShareLibrary::Timing timing = ShareSession::ShortTiming();
  timing.folderWatchTimeout = 400;
  Library().SetTiming(timing);
  ASSERT_TRUE(session_.Start());
  EXPECT_EQ(Library().Watch().WatchedCount(), 1u);
  // The first pass asks for a rescan, whose files the next pass hashes.
  ASSERT_TRUE(session_.WaitForPasses(2));
  EXPECT_EQ(FilesIn(Library(), "音乐"), 0u);
  EXPECT_EQ(FilesIn(Library(), "视频"), 2u);
  EXPECT_EQ(FilesIn(Library(), "资料"), 2u);
  EXPECT_EQ(session_.AttributeOfFile(film, "MD5"), Md5::OfText("film"));
  EXPECT_EQ(session_.AttributeOfFile(nested, "fileSize"), "4");

  // A deletion in the watched folder: the next pass removes the file.
  ASSERT_TRUE(DeleteFileA(film.c_str()));
  ASSERT_TRUE(ShareSession::PumpUntil([&] { return session_.AttributeOfFile(film, "MD5") == "<gone>"; }));
  // The withdrawal reaches the host from the window thread's publication queue.
  ShareSession::PumpUntil([&] { return !session_.Host().CallsOf("UnpublishFile").empty(); });
  EXPECT_EQ(session_.Host().CallsOf("UnpublishFile"),
            (std::vector<std::string>{"UnpublishFile(3, \"" + Md5::OfText("film") + "\", \"/3\")"}));
  // A new file: a quiet time-out rescans and finds it.
  const std::string added = session_.MediaFile("新歌.wma", "new");
  ASSERT_TRUE(ShareSession::PumpUntil([&] { return session_.AttributeOfFile(added, "MD5") == Md5::OfText("new"); }));
  EXPECT_EQ(FilesIn(Library(), "音乐"), 1u);
  EXPECT_TRUE(session_.AttributeOfFile(text, "MD5") == Md5::OfText("text"));
}

TEST(ShareFoldersWithoutPlugin, AFolderOfTwentyThousandFilesIsAddedOnce) {
  ShareSession session(false);
  constexpr int kFiles = 20000, kPerFolder = 500;
  // In folders of 500: Wine takes longer to create a file the more files are beside it.
  for (int i = 0; i < kFiles; ++i) {
    const std::string folder = session.Media() + "\\" + std::to_string(i / kPerFolder);
    if (i % kPerFolder == 0) CreateDirectoryA(folder.c_str(), nullptr);
    win::UniqueFile file(CreateFileA((folder + "\\f" + std::to_string(i) + ".ogg").c_str(), GENERIC_WRITE, 0,
                                     nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(file.IsValid());
  }
  ASSERT_TRUE(WriteShareDirectories(session.Client(), "shareDirectoryCount=1\r\ndirectory1=" + session.Media() + "\r\n"));
  ASSERT_TRUE(session.WriteDocument({}));
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitForPasses(1));
  // Without "vodSystem" only an explicit rescan looks at the folders.
  EXPECT_EQ(FilesIn(session.Library(), "音乐"), 0u);
  for (uint32_t pass = 2; pass <= 3; ++pass) {
    ASSERT_TRUE(session.Library().Worker().Post(ShareWorker::kRescan));
    ASSERT_TRUE(session.WaitForPasses(pass, 60000));
    EXPECT_EQ(FilesIn(session.Library(), "音乐"), static_cast<size_t>(kFiles));
  }
}

}  // namespace
