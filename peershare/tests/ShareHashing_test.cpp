// The worker's hash passes with real files, the hash plug-in double and a
// logging host: what the document keeps, what the host hears and when.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ShareSession.h"
#include "share/HashQueue.h"
#include "share/Md5.h"
#include "share/ShareCategories.h"

namespace {

std::string Seconds(const std::string& path) {
  long long seconds = 0;
  HashQueue::ModificationTime(path, seconds);
  return std::to_string(seconds);
}

// Gives a file a modification time of its own, so a rewrite within the same
// second still counts as a change.
void Touch(const std::string& path, long long secondsSince1970) {
  win::UniqueFile file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
  unsigned long long ticks = (static_cast<unsigned long long>(secondsSince1970) + 11644473600ULL) * 10000000ULL;
  FILETIME time = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SetFileTime(file.Get(), nullptr, nullptr, &time);
}

// The handles this process holds, as the system lists them.
size_t HandlesOfThisProcess() {
  struct Entry {
    void* object;
    ULONG_PTR process;
    ULONG_PTR handle;
    ULONG access;
    USHORT backTrace, type;
    ULONG attributes, reserved;
  };
  struct Table {
    ULONG_PTR count, reserved;
    Entry entries[1];
  };
  using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  constexpr ULONG kExtendedHandleInformation = 64;
  constexpr LONG kTooSmall = static_cast<LONG>(0xC0000004);
  auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<char> buffer(1 << 20);
  ULONG length = 0;
  LONG status;
  while ((status = query(kExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length)) ==
         kTooSmall)
    buffer.resize(buffer.size() * 2);
  if (status != 0) return 0;
  const auto* table = reinterpret_cast<const Table*>(buffer.data());
  size_t count = 0;
  for (ULONG_PTR i = 0; i < table->count; ++i) count += table->entries[i].process == GetCurrentProcessId() ? 1 : 0;
  return count;
}

std::vector<DWORD> ThreadsOfThisProcess() {
  std::vector<DWORD> threads;
  win::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (bool more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) threads.push_back(entry.th32ThreadID);
  return threads;
}

class ShareHashingTest : public ::testing::Test {
 protected:
  ShareSession session_;
  ShareLibrary& Library() { return session_.Library(); }
  LoggingHost& Host() { return session_.Host(); }
};

TEST_F(ShareHashingTest, APassHashesNewFilesPublishesThemByCategoryAndKeepsTheCollectionPrivate) {
  const std::string song = session_.MediaFile("月亮代表我的心.mp3", "moon song");
  const std::string film = session_.MediaFile("第1集.rmvb", "episode one");
  const std::string diary = session_.MediaFile("日记.txt", "diary");
  ASSERT_TRUE(session_.WriteDocument({{"视频", film, "", "0", "<comment>\r\n好看</comment>\r\n"},
                                      {"珍藏", diary, ""},
                                      {"音乐", song, ""}}));
  ASSERT_TRUE(session_.Start());
  ASSERT_TRUE(session_.WaitForPasses(1));

  EXPECT_EQ(session_.AttributeOfFile(song, "MD5"), Md5::OfText("moon song"));
  EXPECT_EQ(session_.AttributeOfFile(song, "fileSize"), "9");
  EXPECT_EQ(session_.AttributeOfFile(song, "time"), Seconds(song));
  EXPECT_EQ(session_.AttributeOfFile(diary, "MD5"), Md5::OfText("diary"));
  // Music first (code 1), then video (3); the collection is hashed but never published.
  const std::string songHash = Md5::OfText("moon song"), filmHash = Md5::OfText("episode one");
  EXPECT_EQ(Host().Calls(), (std::vector<std::string>{
                                "PublishFile(\"" + songHash + "\", \"月亮代表我的心.mp3\", 9, 1, \"/1\", \"\")",
                                "ReportPublishedFile(\"月亮代表我的心.mp3\", \"" + songHash + "\", 9, 1)",
                                "PublishFile(\"" + filmHash + "\", \"第1集.rmvb\", 11, 3, \"/3\", \"好看\")",
                                "ReportPublishedFile(\"第1集.rmvb\", \"" + filmHash + "\", 11, 3)",
                            }));
  EXPECT_EQ(Library().Statistics().filesHashed, 3u);

  // The pass saved the document and wrote the copy peers receive.
  XmlDocument saved;
  ASSERT_TRUE(saved.Load(session_.DocumentPath()));
  EXPECT_NE(saved.FindFirst(true, "file", "MD5", Md5::OfText("diary").c_str()), nullptr);
  XmlDocumentPtr copy = Library().ReceivePeerCopy(session_.Client().ConfigFile("temp1share10001.xml"));
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy->FindByText(true, "filePath", "日记.txt"), nullptr);
}

TEST_F(ShareHashingTest, UnchangedFilesAreHashedAgainOnlyWhenMarkedOrChanged) {
  const std::string song = session_.MediaFile("歌.mp3", "first");
  const std::string other = session_.MediaFile("曲.mp3", "other");
  ASSERT_TRUE(session_.WriteDocument({{"音乐", song, ""}, {"音乐", other, ""}}));
  ASSERT_TRUE(session_.Start());
  ASSERT_TRUE(session_.WaitForPasses(1));
  ASSERT_EQ(Library().Statistics().filesHashed, 2u);
  Library().Stop();

  // A new session: the digests and times match, nothing is hashed.
  ASSERT_TRUE(session_.Start());
  ASSERT_TRUE(session_.WaitForPasses(1));
  EXPECT_EQ(Library().Statistics().filesHashed, 0u);
  Library().Stop();

  // rehashAll marks every file: hashed and published again, never withdrawn.
  Host().ClearCalls();
  ASSERT_TRUE(session_.Start(1, true));
  ASSERT_TRUE(session_.WaitForPasses(1));
  EXPECT_EQ(Library().Statistics().filesHashed, 2u);
  EXPECT_EQ(Host().CallsOf("PublishFile").size(), 2u);
  EXPECT_TRUE(Host().CallsOf("UnpublishFile").empty());

  // A changed file: its old digest is withdrawn before the new one is published.
  Host().ClearCalls();
  ASSERT_TRUE(WriteFileBytes(song, "second"));
  Touch(song, 1300000000);
  ASSERT_TRUE(Library().Worker().Post(ShareWorker::kRunHashPass));
  ASSERT_TRUE(session_.WaitForPasses(2));
  EXPECT_EQ(Library().Statistics().filesHashed, 3u);
  EXPECT_EQ(session_.AttributeOfFile(song, "time"), "1300000000");
  EXPECT_EQ(Host().Calls(), (std::vector<std::string>{
                                "UnpublishFile(1, \"" + Md5::OfText("first") + "\", \"/1\")",
                                "ReportUnpublishedFile(\"歌.mp3\", \"" + Md5::OfText("first") + "\")",
                                "NotifyUnpublishDone()",
                                "PublishFile(\"" + Md5::OfText("second") + "\", \"歌.mp3\", 6, 1, \"/1\", \"\")",
                                "ReportPublishedFile(\"歌.mp3\", \"" + Md5::OfText("second") + "\", 6, 1)",
                            }));
}

TEST_F(ShareHashingTest, FilesThatVanishLeaveTheDocumentAndFilesHeldOpenStay) {
  const std::string first = session_.MediaFile("甲.mp3", "one");
  const std::string slow = session_.MediaFile("乙slowly-hashed.mp3", "two");
  const std::string vanishing = session_.MediaFile("丙.avi", "three");
  const std::string held = session_.MediaFile("丁.avi", "four");
  const std::string gone = session_.Media() + "\\早已删除.avi";
  const std::string stale = Md5::OfText("stale");
  ASSERT_TRUE(session_.WriteDocument({{"音乐", first, ""},
                                      {"音乐", slow, ""},
                                      {"视频", vanishing, ""},
                                      {"视频", held, ""},
                                      {"视频", gone, stale, "5"}}));
  ASSERT_TRUE(session_.Start(0));
  // The queue is built; while the second file is being hashed, the third
  // disappears and the fourth is held open by another program.
  ASSERT_TRUE(session_.PumpUntil([&] { return Library().Statistics().filesHashed == 1; }));
  ASSERT_TRUE(DeleteFileA(vanishing.c_str()));
  win::UniqueFile lock(CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock.IsValid());
  ASSERT_TRUE(session_.WaitForPasses(1));

  EXPECT_EQ(session_.AttributeOfFile(vanishing, "MD5"), "<gone>");
  EXPECT_EQ(session_.AttributeOfFile(gone, "MD5"), "<gone>");
  EXPECT_EQ(session_.AttributeOfFile(held, "MD5"), "");
  EXPECT_EQ(session_.AttributeOfFile(slow, "MD5"), Md5::OfText("two"));
  EXPECT_EQ(Library().Statistics().filesRemoved, 2u);
  // The host stops announcing the digest of the file that is gone.
  EXPECT_EQ(Host().CallsOf("UnpublishFile"),
            (std::vector<std::string>{"UnpublishFile(3, \"" + stale + "\", \"/3\")"}));

  // The file held open makes the pass repeat, but not at once and not in a
  // loop: only once it can be read again does a later pass hash it.
  ASSERT_TRUE(session_.WaitForPasses(2));  // the repeat after a pass with digests
  ShareSession::Pump(300);
  EXPECT_EQ(Library().Statistics().passes, 2u);
  lock.Reset();
  ASSERT_TRUE(Library().Worker().Post(ShareWorker::kRunHashPass));
  ASSERT_TRUE(session_.WaitForPasses(3));
  EXPECT_EQ(session_.AttributeOfFile(held, "MD5"), Md5::OfText("four"));
  XmlDocument saved;
  ASSERT_TRUE(saved.Load(session_.DocumentPath()));
  EXPECT_EQ(saved.FindByText(true, "filePath", vanishing), nullptr);
}

TEST_F(ShareHashingTest, PublicationsLeftAtTheStopReachTheHostInTheNextSession) {
  const std::string song = session_.MediaFile("歌.mp3", "song"), other = session_.MediaFile("曲.mp3", "other");
  ASSERT_TRUE(session_.WriteDocument({{"音乐", song, ""}, {"音乐", other, ""}}));
  ASSERT_TRUE(session_.Start());
  ASSERT_TRUE(session_.WaitForPasses(1));
  Host().ClearCalls();
  // Queued, but the window ends before it gets to the record.
  Publication record;
  record.code = 1;
  record.path = song;
  record.hash = Md5::OfText("song");
  Library().QueuePublication(record);
  Library().Stop();
  EXPECT_TRUE(Host().CallsOf("PublishFile").empty());
  XmlDocument saved;
  ASSERT_TRUE(saved.Load(session_.DocumentPath()));
  XmlElement* savedPath = saved.FindByText(true, "filePath", song);
  ASSERT_NE(savedPath, nullptr);
  EXPECT_EQ(AttributeOf(*savedPath->Parent(), "time"), "0");
  EXPECT_EQ(AttributeOf(*savedPath->Parent(), "MD5"), Md5::OfText("song"));
  EXPECT_EQ(AttributeOf(*saved.FindByText(true, "filePath", other)->Parent(), "time"), Seconds(other));

  ASSERT_TRUE(session_.Start());
  ASSERT_TRUE(session_.WaitForPasses(1));
  EXPECT_EQ(Library().Statistics().filesHashed, 1u);
  EXPECT_EQ(Host().CallsOf("PublishFile"),
            (std::vector<std::string>{"PublishFile(\"" + Md5::OfText("song") + "\", \"歌.mp3\", 4, 1, \"/1\", \"\")"}));
}

TEST_F(ShareHashingTest, EveryEleventhOpeningPauses) {
  std::vector<ShareSession::File> files;
  for (int i = 0; i < 23; ++i) files.push_back({"资料", session_.MediaFile("资料" + std::to_string(i) + ".doc", "x"), ""});
  ASSERT_TRUE(session_.WriteDocument(files));
  ASSERT_TRUE(session_.Start());
  ASSERT_TRUE(session_.WaitForPasses(1));
  EXPECT_EQ(Library().Statistics().filesHashed, 23u);
  EXPECT_EQ(Library().Statistics().openingPauses, 2u);
}

// The pass keeps the files it opened until the host hears of them: by then
// another program may have them to itself.
TEST_F(ShareHashingTest, TheFilesOpenedBeforeAPauseAreClosedWhenItBegins) {
  std::vector<ShareSession::File> files;
  for (int i = 0; i < 14; ++i) files.push_back({"资料", session_.MediaFile("书" + std::to_string(i) + ".doc", "b"), ""});
  ASSERT_TRUE(session_.WriteDocument(files));
  ShareLibrary::Timing timing = ShareSession::ShortTiming();
  timing.openingPause = 400;
  Library().SetTiming(timing);
  ASSERT_TRUE(session_.Start());
  ASSERT_TRUE(session_.PumpUntil([&] { return Library().Statistics().openingPauses == 1; }));
  // The plug-in double may still be closing the eleventh.
  for (int i = 0; i < 10; ++i) {
    win::UniqueFile alone(CreateFileA(files[i].path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(alone) << i << ": " << GetLastError();
  }
  EXPECT_EQ(Library().Statistics().passes, 0u) << "the pause is over already";
  // The eleventh goes out after the pause, with the rest.
  EXPECT_TRUE(session_.PumpUntil([&] { return Host().CallsOf("PublishFile").size() == 10; }));
  ASSERT_TRUE(session_.WaitForPasses(1));
  EXPECT_EQ(Host().CallsOf("PublishFile").size(), 14u);
}

// Small files are answered before a wait would pay off, so the worker's
// messages are handled at the pauses.
TEST_F(ShareHashingTest, AnEndPostedToTheWorkerStopsAPassOfSmallFilesAtTheNextPause) {
  std::vector<ShareSession::File> files;
  for (int i = 0; i < 40; ++i) files.push_back({"资料", session_.MediaFile("页" + std::to_string(i) + ".doc", "p"), ""});
  ASSERT_TRUE(session_.WriteDocument(files));
  ShareLibrary::Timing timing = ShareSession::ShortTiming();
  timing.openingPause = 300;
  Library().SetTiming(timing);
  ASSERT_TRUE(session_.Start());
  // Posted after the first pause looked at the messages: the second sees it.
  ASSERT_TRUE(session_.PumpUntil([&] { return Library().Statistics().openingPauses == 1; }));
  ASSERT_TRUE(Library().Worker().Post(ShareWorker::kEnd));
  ShareSession::Pump(1000);
  EXPECT_LE(Library().Statistics().filesHashed, 22u);
  EXPECT_EQ(Library().Statistics().passes, 0u);
}

TEST_F(ShareHashingTest, ManyBytesHashedSaveTheDocumentDuringThePassAndTheHashedFilesGoOut) {
  const std::string a = session_.MediaFile("a.mp3", "aaaa"), c = session_.MediaFile("c.mp3", "cccc");
  const std::string stuck = session_.MediaFile("d-never-answered.mp3", "dddd");
  ASSERT_TRUE(session_.WriteDocument({{"音乐", a, ""}, {"音乐", c, ""}, {"音乐", stuck, ""}}));
  ShareLibrary::Timing timing = ShareSession::ShortTiming();
  timing.saveAfterBytes = 6;  // the second file of 4 bytes goes past it
  Library().SetTiming(timing);
  ASSERT_TRUE(session_.Start());
  ASSERT_TRUE(session_.PumpUntil([&] { return Library().Statistics().filesHashed == 2; }));
  ShareSession::Pump(100);
  // The pass waits for the third file; the save came before the second
  // file's digest was stored.
  EXPECT_EQ(Library().Statistics().passes, 0u);
  XmlDocument saved;
  ASSERT_TRUE(saved.Load(session_.DocumentPath()));
  EXPECT_NE(saved.FindFirst(true, "file", "MD5", Md5::OfText("aaaa").c_str()), nullptr);
  EXPECT_EQ(saved.FindFirst(true, "file", "MD5", Md5::OfText("cccc").c_str()), nullptr);
  XmlDocumentPtr copy = Library().ReceivePeerCopy(session_.Client().ConfigFile("temp1share10001.xml"));
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy->FindFirst(true, "file", "MD5", Md5::OfText("aaaa").c_str()), nullptr);
  // The files hashed before the one that never comes reach the host while
  // the pass still waits.
  EXPECT_TRUE(session_.PumpUntil([&] { return Host().CallsOf("PublishFile").size() == 2; }));
}

TEST_F(ShareHashingTest, AChineseNameFillingThePathLimitIsHashedAndShownCut) {
  // 259 bytes: the longest path the 8-bit file functions take.
  std::string name;
  const size_t folder = session_.Media().size() + 1;
  while (folder + name.size() + 2 + 4 <= 259) name += "长";
  if (folder + name.size() + 4 < 259) name += "x";
  const std::string path = session_.MediaFile(name + ".avi", "long");
  ASSERT_EQ(path.size(), 259u);
  ASSERT_TRUE(session_.WriteDocument({{"视频", path, ""}}));
  ASSERT_TRUE(session_.Start());
  ASSERT_TRUE(session_.WaitForPasses(1));
  EXPECT_EQ(session_.AttributeOfFile(path, "MD5"), Md5::OfText("long"));
  std::vector<std::string> published = Host().CallsOf("PublishFile");
  ASSERT_EQ(published.size(), 1u);
  EXPECT_NE(published[0].find("\"" + name.substr(0, 58) + ".avi\""), std::string::npos) << published[0];
  char found[kHostTextMax] = "";
  int32_t hidden = -1, category = -1;
  EXPECT_EQ(Library().LookupSharedFile(Md5::OfText("long").c_str(), found, &hidden, &category), 1);
  EXPECT_EQ(std::string(found), path);
}

TEST_F(ShareHashingTest, AnAnswerAboutAnotherFileDoesNotHideTheOneThePassWaitsFor) {
  std::vector<ShareSession::File> files;
  for (int i = 0; i < 40; ++i) files.push_back({"音乐", session_.MediaFile("歌" + std::to_string(i) + ".mp3", "s"), ""});
  const std::string other = session_.MediaFile("客户端要的.dat", "asked by the client");
  ASSERT_TRUE(session_.WriteDocument(files));
  ASSERT_TRUE(session_.Start());
  // The client's own requests (slot 34) answer into the same slot.
  for (int i = 0; i < 100 && Library().Statistics().passes == 0; ++i) {
    ASSERT_TRUE(Library().HashFile(other));
    ShareSession::Pump(2);
  }
  ASSERT_TRUE(session_.WaitForPasses(1, 30000));
  EXPECT_EQ(Library().Statistics().filesHashed, 40u);
  EXPECT_FALSE(Library().HashFile(""));
}

TEST(ShareHashingStop, StopDuringAPassSavesTheLastStateAndLeavesNoThreadOrHandle) {
  size_t doubleLeaves = 0;
  {
    // A first library loads what the system keeps loaded afterwards.
    ShareSession warmUp;
    ASSERT_TRUE(warmUp.WriteDocument({}));
    ASSERT_TRUE(warmUp.Start());
    warmUp.Library().Stop();
    // What loading and freeing the hash plug-in double costs by itself. On
    // i686 its runtime registers its unwind tables under a once-lock that
    // keeps a thread handle and an event for the loading thread; the library
    // is answerable only for what it leaves beyond that.
    const size_t withoutDouble = HandlesOfThisProcess();
    { win::UniqueModule plugin(LoadLibraryA(warmUp.Client().HashPluginPath().c_str())); }
    doubleLeaves = HandlesOfThisProcess() - std::min(withoutDouble, HandlesOfThisProcess());
    EXPECT_LE(doubleLeaves, 2u);
  }
  const std::vector<DWORD> before = ThreadsOfThisProcess();
  const size_t handlesBefore = HandlesOfThisProcess();
  ASSERT_GT(handlesBefore, 0u);
  auto session = std::make_unique<ShareSession>();
  ShareLibrary& library = session->Library();
  const std::string a = session->MediaFile("a.mp3", "a"), b = session->MediaFile("b.mp3", "b");
  const std::string stuck = session->MediaFile("卡住never-answered.mp3", "stuck");
  const std::string later = session->MediaFile("d.avi", "d");
  ASSERT_TRUE(session->WriteDocument({{"音乐", a, ""}, {"音乐", b, ""}, {"音乐", stuck, ""}, {"视频", later, ""}}));
  ASSERT_TRUE(session->Start());
  ASSERT_TRUE(session->PumpUntil([&] { return library.Statistics().filesHashed == 2; }));
  const DWORD worker = library.Worker().ThreadId();
  ShareSession::Pump(100);  // the worker now waits for an answer that never comes

  const ULONGLONG start = GetTickCount64();
  library.Stop();
  // Well inside the bound of the stop (grace and patience: 2 s here).
  EXPECT_LT(GetTickCount64() - start, 2000u);
  EXPECT_FALSE(library.Worker().Running());
  EXPECT_FALSE(library.Hashes().Loaded());
  const std::vector<DWORD> after = ThreadsOfThisProcess();
  EXPECT_EQ(std::count(after.begin(), after.end(), worker), 0);
  EXPECT_LE(after.size(), before.size());

  // The document on disk is the state in memory: two digests, the file in
  // flight and the one after it still there.
  std::string text;
  {
    std::lock_guard<std::recursive_mutex> guard(library.Lock());
    text = ShareDocument::TextOf(library.Document().Document());
  }
  EXPECT_EQ(ReadFileBytes(session->DocumentPath()), text);
  EXPECT_EQ(session->AttributeOfFile(b, "MD5"), Md5::OfText("b"));
  EXPECT_EQ(session->AttributeOfFile(stuck, "MD5"), "");
  EXPECT_EQ(session->AttributeOfFile(later, "MD5"), "");

  // Once the library object is gone, so is every handle it had (its locks
  // hold events of their own while they live).
  session.reset();
  EXPECT_LE(HandlesOfThisProcess(), handlesBefore + doubleLeaves);
}

TEST_F(ShareHashingTest, ASuspendedWorkerHoldsThePassBetweenFilesAndStillStops) {
  std::vector<ShareSession::File> files;
  for (int i = 0; i < 3; ++i)
    files.push_back({"音乐", session_.MediaFile("慢" + std::to_string(i) + "slowly-hashed.mp3", "s"), ""});
  ASSERT_TRUE(session_.WriteDocument(files));
  ASSERT_TRUE(session_.Start());
  ASSERT_TRUE(session_.PumpUntil([&] { return Library().Statistics().filesHashed == 1; }));
  Library().Suspend();
  ShareSession::Pump(1000);  // long enough for two more files
  EXPECT_LE(Library().Statistics().filesHashed, 2u);
  Library().Resume();
  ASSERT_TRUE(session_.WaitForPasses(1));
  EXPECT_EQ(Library().Statistics().filesHashed, 3u);

  Library().Suspend();
  const ULONGLONG start = GetTickCount64();
  Library().Stop();
  EXPECT_LT(GetTickCount64() - start, 2000u);
}

}  // namespace
