#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "share/HashPlugin.h"
#include "share/KeywordLists.h"
#include "share/PublishedCopy.h"
#include "share/ServerSettings.h"
#include "share/SettingsFetcher.h"
#include "share/ShareDocument.h"
#include "share/ShareFileNames.h"
#include "share/ShareIdentity.h"
#include "share/ShareWorker.h"
#include "share/TopTenList.h"
#include "win/Handles.h"

class HostClient;

// The process-wide owner of the share: the user's share document under one
// lock, the hash plug-in, the worker thread, the server settings with the
// keyword lists and the top-ten list. Its operations run on the client's
// window thread; the worker reaches the window thread through the library's
// own message window.
class ShareLibrary {
 public:
  // The pauses of the settings fetch and the hash plug-in's unloading.
  struct Timing {
    DWORD settingsStepWait = SettingsFetcher::kDefaultStepWait;
    DWORD settingsRetry = ShareWorker::kDefaultRetryInterval;
    DWORD hashPluginUnloadWait = HashPlugin::kDefaultUnloadWait;
  };
  // Messages of the library window.
  static constexpr UINT kSettingsApplied = WM_APP + 1;
  static constexpr UINT kTopTenReplaced = WM_APP + 2;

  ShareLibrary(std::string executableFolder, std::string dataFolder);
  ~ShareLibrary();
  ShareLibrary(const ShareLibrary&) = delete;
  ShareLibrary& operator=(const ShareLibrary&) = delete;

  void SetTiming(const Timing& timing) { timing_ = timing; }
  // Where the share identity takes its adapters from.
  void SetAdapterSource(std::function<std::vector<NetworkAdapter>()> source) { adapters_ = std::move(source); }
  // Called on the window thread after each applied settings fetch, after the
  // host heard the ad version.
  std::function<void(const ServerSettings::Values&)> onSettingsApplied;

  // Loads the hash plug-in, opens the user's document and keyword lists,
  // and starts the library window and the worker.
  bool Start(HostClient* host, uint32_t user, bool rehashAll, int32_t appServer);
  // Ends the worker, saves the document, unloads the hash plug-in.
  void Stop();
  bool Running() const { return window_.IsValid(); }
  void Suspend() { worker_.Suspend(); }
  void Resume() { worker_.Resume(); }

  // PluginInterface slot 29: opens the user's document; `count` gets the
  // number of hashed files and `id` (33 bytes) the share identity. 1 when
  // the document is open.
  int32_t OpenShareLibrary(uint32_t user, char* id, int32_t* count);
  // Slot 6; `path` holds kHostTextMax bytes, `digest` 33.
  int32_t GetShareListFile(uint32_t peer, char* digest, char* path);
  // Slot 26; `path` holds kHostTextMax bytes. An unknown digest is withdrawn
  // from the host once per process.
  int32_t LookupSharedFile(const char* hash, char* path, int32_t* hidden, int32_t* category);
  // Slot 13.
  void AddTopTenEntry(const TopTenEntry& entry, bool save);

  // Writes temp0 from a clone of the document, then temp1.
  bool PublishCopy(PublishedCopy::Sizes* sizes = nullptr);
  // The 60-second step: temp1 from temp0.
  bool RefreshHandOut() const;
  // Sets the collection's password and publishes the copy.
  bool SetCollectionPassword(const std::string& password);
  // A peer's copy as a share document, or null.
  XmlDocumentPtr ReceivePeerCopy(const std::string& path) const;
  std::string ShareIdentityText();

  // For the windows of the share page and the later steps of the library.
  std::recursive_mutex& Lock() { return lock_; }
  ShareDocument& Document() { return document_; }
  ShareFileNames Files() const;
  const std::string& ExecutableFolder() const { return executableFolder_; }
  const std::string& DataFolder() const { return dataFolder_; }
  const ServerSettings& Settings() const { return settings_; }
  ServerSettings& Settings() { return settings_; }
  KeywordLists& Keywords() { return keywords_; }
  TopTenList& TopTen() { return topTen_; }
  HashPlugin& Hashes() { return hashPlugin_; }
  ShareWorker& Worker() { return worker_; }
  SettingsFetcher* Fetcher() { return fetcher_.get(); }
  HWND Window() const { return window_.Get(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateWindowOnce();
  void OnWindowMessage(UINT message);
  void OpenDocument(uint32_t user);
  ShareWorker::Tasks WorkerTasks();
  void ReportUnknownHash(const std::string& hash, const char* path);

  std::string executableFolder_, dataFolder_;
  Timing timing_;
  std::function<std::vector<NetworkAdapter>()> adapters_ = &ShareIdentity::ReadAdapters;
  HostClient* host_ = nullptr;
  int32_t appServer_ = 0;
  uint32_t user_ = 0;

  std::recursive_mutex lock_;
  ShareDocument document_;
  bool rehashAll_ = false;

  HashPlugin hashPlugin_;
  ServerSettings settings_;
  KeywordLists keywords_;
  TopTenList topTen_;
  std::unique_ptr<SettingsFetcher> fetcher_;
  ShareWorker worker_;
  win::UniqueWindow window_;
};
