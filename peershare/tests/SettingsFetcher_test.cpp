// The settings fetch against the web server double: the request's form, the
// keys, the keyword lists kept by digest, the top-ten list, and every
// failure ending its step without losing the local lists.
#include "share/SettingsFetcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ClientFolder.h"
#include "LoggingHost.h"
#include "WebServerDouble.h"
#include "frame/MainWindow.h"
#include "share/FileBytes.h"
#include "share/Md5.h"

namespace {

using Which = KeywordLists::Which;
constexpr const char* kSettingsRequest = "GET /tovakup/filter.ini HTTP/1.1";

class SettingsFetcherTest : public ::testing::Test {
 protected:
  SettingsFetcherTest() { fetcher_ = MakeFetcher(server_.Address()); }

  void SetUp() override { ASSERT_TRUE(server_.Ok()) << "the web server double's control server is not running"; }

  std::unique_ptr<SettingsFetcher> MakeFetcher(const std::string& address) {
    WebAddress server;
    EXPECT_TRUE(WebAddress::Parse(address, server));
    auto fetcher = std::make_unique<SettingsFetcher>(server, settings_, keywords_, topTen_);
    fetcher->SetStepWait(0);
    fetcher->onApplied = [this](const ServerSettings::Values&) { ++applied_; };
    fetcher->onTopTenReplaced = [this] { ++topTenReplaced_; };
    return fetcher;
  }
  std::string Location(const std::string& path) const { return server_.Address() + path; }
  void PutSettings(const std::string& keys) { ASSERT_TRUE(server_.Put("/tovakup/filter.ini", "[tovak]\r\n" + keys)); }
  // Settings naming both keyword lists on the server, with their digests.
  void PutListSettings(const std::string& lite, const std::string& full, const std::string& more = "") {
    ASSERT_TRUE(server_.Put("/lists/lite.txt", lite));
    ASSERT_TRUE(server_.Put("/lists/full.txt", full));
    PutSettings("LiteFilterLibURL=" + Location("/lists/lite.txt") + "\r\nLiteFilterHashId=" + Md5::OfText(lite) +
                "\r\nFilterLibURL=" + Location("/lists/full.txt") + "\r\nFilterHashId=" + Md5::OfText(full) +
                "\r\n" + more);
  }

  WebServerDouble server_;
  ClientFolder client_;
  ServerSettings settings_;
  KeywordLists keywords_{client_.Data()};
  TopTenList topTen_{client_.Bin()};
  std::unique_ptr<SettingsFetcher> fetcher_;
  int applied_ = 0;
  int topTenReplaced_ = 0;
};

TEST_F(SettingsFetcherTest, TheRequestCarriesTheVerbTheAgentAndBothHeaders) {
  PutSettings("adversion=3\r\n");
  fetcher_->FetchServerSettings();
  // The extra "User-Agent" header takes the place of the session's agent
  // name; nothing else (no cookie, no cache header) goes along.
  EXPECT_EQ(server_.Log(), std::string(kSettingsRequest) + "\r\nHost: " + server_.Address() +
                               "\r\nAccept: text/*\r\nUser-Agent: Tovak\r\n\r\n");
}

TEST_F(SettingsFetcherTest, EveryKeyIsReadWithItsDefault) {
  EXPECT_FALSE(settings_.Fetched());
  // The last line has no line end; the long address is refused.
  PutSettings("KeywordDownload=1\r\nFilterFriend=0\nadversion=9\r\nuploadrecord=1\r\nuploadurl=" +
              std::string(5000, 'u') + "\r\nmailUrl=http://mail\r\nTop10Date=77\rmailMaxCopy=12");
  fetcher_->FetchServerSettings();
  ASSERT_TRUE(settings_.Fetched());
  ServerSettings::Values values = settings_.Current();
  EXPECT_EQ(values.keywordDownload, 1);
  EXPECT_EQ(values.filterEmptySearch, 0);
  EXPECT_EQ(values.filterFriend, 0);
  EXPECT_EQ(values.filterZhenCang, 1);
  EXPECT_EQ(values.filterPeerId, 1);
  EXPECT_EQ(values.adVersion, 9);
  EXPECT_EQ(values.uploadRecord, 1);
  EXPECT_EQ(values.uploadUrl, "");
  EXPECT_FALSE(values.UploadRecordsEnabled());
  EXPECT_EQ(values.mailUrl, "http://mail");
  EXPECT_EQ(values.mailMaxCopy, 12);
  EXPECT_EQ(values.top10Date, 77);
  EXPECT_EQ(values.top10, "");
  EXPECT_EQ(applied_, 1);
  // The settings file is not left behind in the executable folder.
  EXPECT_FALSE(FileBytes::Exists(client_.Bin() + "\\filter.ini"));
}

TEST_F(SettingsFetcherTest, AFailedSettingsFetchLeavesTheSwitchesAsTheyWere) {
  PutSettings("FilterFriend=0\r\nadversion=4\r\n");
  EXPECT_FALSE(fetcher_->FetchServerSettings());  // no full list named: the fetch repeats
  ASSERT_EQ(settings_.Current().filterFriend, 0);

  for (const std::string& rule : {std::string("/tovakup/filter.ini status 500"),
                                  std::string("/tovakup/filter.ini status 404"),
                                  std::string("/tovakup/filter.ini truncate 10"),
                                  std::string("/tovakup/filter.ini drop")}) {
    PutSettings("FilterFriend=1\r\nadversion=5\r\n");
    ASSERT_TRUE(server_.SetRules(rule));
    EXPECT_FALSE(fetcher_->FetchServerSettings()) << rule;
    EXPECT_EQ(settings_.Current().filterFriend, 0) << rule;
    EXPECT_EQ(settings_.Current().adVersion, 4) << rule;
  }
  EXPECT_EQ(applied_, 1);
  std::unique_ptr<SettingsFetcher> refused = MakeFetcher(WebServerDouble::RefusingAddress());
  EXPECT_FALSE(refused->FetchServerSettings());
  EXPECT_EQ(applied_, 1);
}

TEST_F(SettingsFetcherTest, KeywordListsAreDownloadedOnlyWhenTheirDigestsDiffer) {
  PutListSettings("短词\r\n另一个", "色情\r\n反动\r\n");
  EXPECT_TRUE(fetcher_->FetchServerSettings());
  EXPECT_EQ(*keywords_.Keywords(Which::Short), (KeywordLists::List{"短词", "另一个"}));
  EXPECT_EQ(*keywords_.Keywords(Which::Full), (KeywordLists::List{"色情", "反动"}));
  EXPECT_EQ(ReadFileBytes(keywords_.FilePath(Which::Full)), "色情\r\n反动\r\n");
  EXPECT_TRUE(fetcher_->FetchServerSettings());
  EXPECT_EQ(server_.Count("GET /lists/lite.txt HTTP/1.1"), 1);
  EXPECT_EQ(server_.Count("GET /lists/full.txt HTTP/1.1"), 1);
  EXPECT_EQ(server_.Count(kSettingsRequest), 2);

  // A list already on disk with the right digest is current without a request.
  ClientFolder other;
  KeywordLists otherLists(other.Data());
  ASSERT_TRUE(WriteFileBytes(otherLists.FilePath(Which::Full), "色情\r\n反动\r\n"));
  ASSERT_TRUE(WriteFileBytes(otherLists.FilePath(Which::Short), "短词\r\n另一个"));
  SettingsFetcher fetcher(fetcher_->OperatorServer(), settings_, otherLists, topTen_);
  fetcher.SetStepWait(0);
  EXPECT_TRUE(fetcher.FetchServerSettings());
  EXPECT_EQ(server_.Count("GET /lists/full.txt HTTP/1.1"), 1);
}

TEST_F(SettingsFetcherTest, AFailedListDownloadEmptiesTheFileAndKeepsTheListInMemory) {
  const std::string full = "new\r\n";
  keywords_.Replace(Which::Full, "kept\r\n");
  const std::string failures[] = {"/lists/full.txt status 404", "/lists/full.txt status 500",
                                  "/lists/full.txt truncate 2"};
  for (const std::string& rule : failures) {
    ASSERT_TRUE(WriteFileBytes(keywords_.FilePath(Which::Full), "old local list\r\n"));
    PutListSettings("lite", full);
    ASSERT_TRUE(server_.SetRules(rule));
    EXPECT_FALSE(fetcher_->FetchServerSettings()) << rule;
    EXPECT_EQ(ReadFileBytes(keywords_.FilePath(Which::Full)), "") << rule;
    EXPECT_EQ(*keywords_.Keywords(Which::Full), (KeywordLists::List{"kept"})) << rule;
    EXPECT_EQ(*keywords_.Keywords(Which::Short), (KeywordLists::List{"lite"})) << rule;
  }
  // A list above 10 MB is refused the same way.
  ASSERT_TRUE(server_.SetRules(""));
  PutListSettings("lite", std::string(KeywordLists::kMaxFileBytes + 1, 'k'));
  EXPECT_FALSE(fetcher_->FetchServerSettings());
  EXPECT_EQ(ReadFileBytes(keywords_.FilePath(Which::Full)), "");
  EXPECT_EQ(*keywords_.Keywords(Which::Full), (KeywordLists::List{"kept"}));
  // The next fetch downloads it again and the list becomes current.
  PutListSettings("lite", full);
  EXPECT_TRUE(fetcher_->FetchServerSettings());
  EXPECT_EQ(*keywords_.Keywords(Which::Full), (KeywordLists::List{"new"}));
}

TEST_F(SettingsFetcherTest, TheTopTenListIsReplacedWhenItsDateChanges) {
  const std::string topTen = "[topten]\r\ndate=740000\r\n[no1]\r\nsize=10\r\nfileType=3\r\nhash=h\r\nfilename=一.avi\r\n";
  ASSERT_TRUE(server_.Put("/top/topten.ini", topTen));
  PutSettings("Top10Date=740000\r\nTop10=" + Location("/top/topten.ini") + "\r\n");
  fetcher_->FetchServerSettings();
  EXPECT_EQ(topTenReplaced_, 1);
  EXPECT_EQ(ReadFileBytes(topTen_.FilePath()), topTen);
  EXPECT_EQ(topTen_.FileDate(), 740000);
  fetcher_->FetchServerSettings();  // the same date: nothing to fetch
  EXPECT_EQ(server_.Count("GET /top/topten.ini HTTP/1.1"), 1);

  // Without "/" there is nothing to fetch; a failed fetch keeps the local list.
  PutSettings("Top10Date=740001\r\nTop10=127.0.0.1-no-path\r\n");
  fetcher_->FetchServerSettings();
  PutSettings("Top10Date=740001\r\nTop10=" + Location("/top/topten.ini") + "\r\n");
  ASSERT_TRUE(server_.SetRules("/top/topten.ini status 500"));
  fetcher_->FetchServerSettings();
  EXPECT_EQ(topTenReplaced_, 1);
  EXPECT_EQ(ReadFileBytes(topTen_.FilePath()), topTen);
}

// The same fetch as the plug-in runs it: on the share worker when Start
// comes, with the host told on the window thread.
class ShareLibraryFetchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Ok());
    ASSERT_TRUE(client_.WriteCustomIni("operatorServer=" + server_.Address() + "\r\n"));
    window_ = WindowWithoutPauses(client_, &host_, 30);
  }
  void TearDown() override {
    if (window_) window_->Stop();
  }
  // Runs the window thread's messages until the condition holds.
  bool PumpUntil(const std::function<bool()>& condition, int rounds = 500) {
    for (int i = 0; i < rounds && !condition(); ++i) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      Sleep(10);
    }
    return condition();
  }

  WebServerDouble server_;
  ClientFolder client_;
  LoggingHost host_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(ShareLibraryFetchTest, StartFetchesOnTheWorkerAndRetriesUntilTheFullListIsCurrent) {
  ASSERT_TRUE(server_.Put("/tovakup/filter.ini", "[tovak]\r\nadversion=7\r\n"));
  // The server fails at first: the worker keeps asking, and the host hears nothing.
  ASSERT_TRUE(server_.SetRules("/tovakup/filter.ini status 500"));
  PluginInterface& plugin = *window_;
  ASSERT_EQ(plugin.Start(10001, 0, 0), 1);
  ASSERT_TRUE(PumpUntil([&] { return server_.Count(kSettingsRequest) >= 3; }));
  EXPECT_TRUE(host_.CallsOf("SetAdVersion").empty());
  EXPECT_FALSE(window_->Library().Settings().Fetched());
  ASSERT_TRUE(server_.SetRules(""));
  ASSERT_TRUE(PumpUntil([&] { return !host_.CallsOf("SetAdVersion").empty(); }));
  EXPECT_EQ(host_.CallsOf("SetAdVersion")[0], "SetAdVersion(7)");
  // No full list named: the fetch still repeats.
  int answered = server_.Count(kSettingsRequest);
  ASSERT_TRUE(PumpUntil([&] { return server_.Count(kSettingsRequest) >= answered + 2; }));

  ASSERT_TRUE(server_.Put("/lists/full.txt", "词\r\n"));
  ASSERT_TRUE(server_.Put("/tovakup/filter.ini", "[tovak]\r\nadversion=8\r\nFilterLibURL=" + server_.Address() +
                                                     "/lists/full.txt\r\nFilterHashId=" + Md5::OfText("词\r\n") +
                                                     "\r\n"));
  ASSERT_TRUE(PumpUntil([&] { return window_->Library().Fetcher()->FullListCurrent(); }));
  int requests = server_.Count(kSettingsRequest);
  PumpUntil([] { return false; }, 30);  // ten retry intervals
  EXPECT_EQ(server_.Count(kSettingsRequest), requests);
  EXPECT_EQ(*window_->Library().Keywords().Keywords(KeywordLists::Which::Full), (KeywordLists::List{"词"}));
  EXPECT_EQ(host_.CallsOf("SetAdVersion").back(), "SetAdVersion(8)");
}

}  // namespace
