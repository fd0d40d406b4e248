// The hash plug-in double loaded the way the share library loads the
// client's plug-in: its slots through the Hasher table, its answers on a
// thread of its own.
#include "share/HashPlugin.h"

#include <gtest/gtest.h>

#include <string>

#include "ClientFolder.h"
#include "share/Md5.h"

namespace {

// Waits for the plug-in's answer about `path`.
bool WaitForAnswer(HashPlugin& plugin, const std::string& path, std::string& digest) {
  for (int i = 0; i < 100; ++i) {
    if (WaitForSingleObject(plugin.ResultEvent(), 100) != WAIT_OBJECT_0) continue;
    std::string answered;
    plugin.Result(answered, digest);
    if (answered == path) return true;
  }
  return false;
}

TEST(HashPlugin, HashesFilesOnItsOwnThreadAndConvertsTheOldForm) {
  ClientFolder client;
  HashPlugin plugin;
  ASSERT_TRUE(plugin.Load(client.Bin()));
  ASSERT_TRUE(plugin.Loaded());

  const std::string path = client.Data() + "\\电影.avi";
  const std::string content(300000, 'z');
  ASSERT_TRUE(WriteFileBytes(path, content));
  std::string digest;
  ASSERT_TRUE(plugin.HashFile(path));
  ASSERT_TRUE(WaitForAnswer(plugin, path, digest));
  EXPECT_EQ(digest, Md5::OfText(content));

  const std::string missing = client.Data() + "\\gone.avi";
  ASSERT_TRUE(plugin.HashFile(missing));
  ASSERT_TRUE(WaitForAnswer(plugin, missing, digest));
  EXPECT_EQ(digest, "");

  std::string converted;
  EXPECT_TRUE(plugin.ConvertHash("0123456789ABCDEF0123456789ABCDEF", converted));
  EXPECT_EQ(converted, "0123456789abcdef0123456789abcdef");
  for (const char* refused : {"0123456789abcdef0123456789abcdef", "0123", "0123456789ABCDEF0123456789ABCDEFF",
                              "G123456789ABCDEF0123456789ABCDEF", ""}) {
    EXPECT_FALSE(plugin.ConvertHash(refused, converted)) << refused;
    EXPECT_EQ(converted, "");
  }
  plugin.Unload(0);
  EXPECT_FALSE(plugin.Loaded());
  EXPECT_FALSE(plugin.HashFile(path));
}

// An answer that comes while it is watched for is taken without the event;
// one that comes later signals it, so a waiting worker still wakes.
TEST(HashPlugin, AnswersWatchedForLeaveTheEventAloneAndLaterOnesSignalIt) {
  ClientFolder client;
  HashPlugin plugin;
  ASSERT_TRUE(plugin.Load(client.Bin()));
  const std::string quick = client.Data() + "\\quick.mp3", slow = client.Data() + "\\slowly-hashed.mp3";
  ASSERT_TRUE(WriteFileBytes(quick, "quick"));
  ASSERT_TRUE(WriteFileBytes(slow, "slow"));
  while (WaitForSingleObject(plugin.ResultEvent(), 0) == WAIT_OBJECT_0) {
  }

  std::string digest;
  plugin.Expect(quick);
  ASSERT_TRUE(plugin.HashFile(quick));
  ASSERT_TRUE(plugin.WatchForResult(quick, digest, 5000000));
  EXPECT_EQ(digest, Md5::OfText("quick"));
  EXPECT_EQ(WaitForSingleObject(plugin.ResultEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_FALSE(plugin.TakeResult(quick, digest)) << "an answer is taken once";

  plugin.Expect(slow);
  ASSERT_TRUE(plugin.HashFile(slow));
  EXPECT_FALSE(plugin.WatchForResult(slow, digest, 1000));
  ASSERT_EQ(WaitForSingleObject(plugin.ResultEvent(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  ASSERT_TRUE(plugin.TakeResult(slow, digest));
  EXPECT_EQ(digest, Md5::OfText("slow"));
  plugin.Unload(0);
}

TEST(HashPlugin, AMissingLibraryOrExportLeavesHashingOff) {
  ClientFolder withoutPlugin(false);
  HashPlugin plugin;
  EXPECT_FALSE(plugin.Load(withoutPlugin.Bin()));
  EXPECT_FALSE(plugin.Loaded());
  std::string converted = "stale";
  EXPECT_FALSE(plugin.ConvertHash("0123456789ABCDEF0123456789ABCDEF", converted));
  EXPECT_FALSE(plugin.HashFile("C:\\x"));

  // A library without the export "init".
  ClientFolder wrongLibrary(false);
  char system[MAX_PATH] = "";
  GetSystemDirectoryA(system, MAX_PATH);
  ASSERT_TRUE(CopyFileA((std::string(system) + "\\version.dll").c_str(), wrongLibrary.HashPluginPath().c_str(), FALSE));
  EXPECT_FALSE(plugin.Load(wrongLibrary.Bin()));
  EXPECT_FALSE(plugin.Loaded());
}

}  // namespace
