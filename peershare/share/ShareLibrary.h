#pragma once

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "share/DroppedFolder.h"
#include "share/FolderWatch.h"
#include "share/HashPlugin.h"
#include "share/HashQueue.h"
#include "share/KeywordLists.h"
#include "share/PublicationQueue.h"
#include "share/PublishedCopy.h"
#include "share/Publisher.h"
#include "share/ServerSettings.h"
#include "share/SettingsFetcher.h"
#include "share/ShareDirectories.h"
#include "share/ShareDocument.h"
#include "share/ShareFileNames.h"
#include "share/ShareIdentity.h"
#include "share/ShareWorker.h"
#include "share/TopTenList.h"
#include "win/Handles.h"

class HostClient;

// An item dropped on a category: a shell item with its file-system path.
struct DroppedItem {
  std::string path;
  std::string displayName;  // a folder's category takes this name
  bool fileSystem = true;
  bool folder = false;
};

// What the hash passes did since Start.
struct HashStatistics {
  uint32_t passes = 0;
  uint32_t filesHashed = 0;    // answers stored in the document
  uint32_t openingPauses = 0;  // pauses after every 11th opening
  uint32_t filesRemoved = 0;   // files gone from the disk, removed from the document
};

// The process-wide owner of the share, and the share tree control of the
// share page: the user's share document under one lock, the hash plug-in,
// the worker thread with its hash passes and rescans, the folder watch, the
// publication of files to the host, the server settings with the keyword
// lists and the top-ten list. Its operations run on the client's window
// thread unless they say otherwise; the worker and the folder watch reach
// the window thread through the tree window's messages.
//
// The start, the stop and the host's questions are in ShareLibrary.cpp, the
// hash pass and the rescans in ShareLibraryHashing.cpp, the adding of files
// in ShareLibraryFiles.cpp and the tree window in ShareLibraryWindow.cpp.
class ShareLibrary {
 public:
  // The waits of the library; tests shorten them.
  struct Timing {
    DWORD settingsStepWait = SettingsFetcher::kDefaultStepWait;
    DWORD settingsRetry = ShareWorker::kDefaultRetryInterval;
    DWORD hashPluginUnloadWait = HashPlugin::kDefaultUnloadWait;
    // Ending the worker: a first wait, then a longer one.
    DWORD stopGrace = 1000;
    DWORD stopPatience = 60000;
    DWORD folderWatchTimeout = FolderWatch::kDefaultTimeout;
    // After every 11th file opened, and after a withdrawn digest.
    DWORD openingPause = 50;
    DWORD withdrawPause = 100;
    // Timer 500 and the quiet period of the delayed save; timer 1.
    DWORD saveCheckInterval = 10000;
    DWORD quietPeriod = Publisher::kDefaultQuietPeriod;
    DWORD handOutInterval = 60000;
    // A pass that got no digest at all repeats after this wait.
    DWORD stalledRepeatDelay = 60000;
    // The bytes hashed after which a pass saves the document and the copy.
    unsigned long long saveAfterBytes = 524288000ULL;
  };
  // Messages of the tree window.
  static constexpr UINT kSettingsApplied = WM_APP + 1;
  static constexpr UINT kTopTenReplaced = WM_APP + 2;
  // The worker listed a dropped folder; timer 2 then adds it a batch at a time.
  static constexpr UINT kFolderListed = WM_APP + 3;
  static constexpr UINT_PTR kDropTimer = 2;
  static constexpr size_t kDropBatch = 2000;
  static constexpr UINT kPublishQueued = 1125;
  static constexpr UINT_PTR kSaveTimer = 500;
  static constexpr UINT_PTR kHandOutTimer = 1;
  static constexpr int kTreeId = 3077;
  static constexpr COLORREF kTreeBackground = RGB(0xF8, 0xF9, 0xFD);

  ShareLibrary(std::string executableFolder, std::string dataFolder);
  ~ShareLibrary();
  ShareLibrary(const ShareLibrary&) = delete;
  ShareLibrary& operator=(const ShareLibrary&) = delete;

  void SetTiming(const Timing& timing) { timing_ = timing; }
  // Where the share identity takes its adapters from.
  void SetAdapterSource(std::function<std::vector<NetworkAdapter>()> source) { adapters_ = std::move(source); }
  // Unfiltered mode: dropped paths are not checked by CanShare.
  void SetUnfiltered(bool unfiltered) { unfiltered_ = unfiltered; }
  // Called on the window thread after each applied settings fetch, after the
  // host heard the ad version.
  std::function<void(const ServerSettings::Values&)> onSettingsApplied;
  // Called on the window thread once everything in a dropped folder is in
  // its sub-category (not when the library stops meanwhile).
  std::function<void(XmlElement& category)> onFolderAdded;

  // Loads the hash plug-in, opens the user's document and keyword lists,
  // creates the share tree (a child of `parent`, or a hidden window of its
  // own), starts the worker and, with "vodSystem", the folder watch.
  bool Start(HostClient* host, uint32_t user, bool rehashAll, int32_t appServer, HWND parent = nullptr);
  // As destroying the share tree: ends the folder watch and the worker
  // (waiting as Timing says), saves the document, unloads the hash plug-in.
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
  // Slot 34: hands a file to the hash plug-in; false when hashing is off.
  bool HashFile(const std::string& path);

  // --- adding files (window thread) ---
  // Appends a file to a category and marks the document changed; a file
  // with a digest is published at once unless its top-level category is the
  // collection.
  XmlElement* AddFileToCategory(XmlElement& category, const std::string& path, const std::string& md5,
                                uint32_t size, const std::string& comment = std::string());
  // Items dropped on a category: those CanShare accepts (with the label code
  // of the category's top-level category) are added, a folder as a new
  // sub-category; then a hash pass is asked for. Returns the number of items
  // added. What a folder holds follows later: the worker lists it and the
  // window thread adds it in batches (at once when the worker is not
  // running); a hash pass is asked for again and onFolderAdded called.
  int AddDroppedItems(XmlElement& category, const std::vector<DroppedItem>& items);
  // Whether dropped folders wait to be listed or added.
  bool DropsPending();
  // The items of a "Shell IDList Array" drop.
  static std::vector<DroppedItem> ItemsOfShellIdList(const CIDA* idList, size_t bytes);
  // The items of plain paths, as the file system describes them.
  static std::vector<DroppedItem> ItemsOfPaths(const std::vector<std::string>& paths);
  // A finished download joins the top-level category of its code (1 to 7, 8
  // for 珍藏) with the digest it was downloaded by; it is published at once
  // unless it is in the collection, and the worker is woken to verify it.
  // A path the document holds already is marked for hashing instead of
  // added twice. False for another code, a document without that category,
  // or before Start.
  bool AddFinishedDownload(int32_t categoryCode, const std::string& path, const std::string& md5, uint32_t size,
                           const std::string& comment = std::string());
  // The first shared file whose MD5 is `md5`, without telling the host
  // anything; `found->file` is left null. False for an empty digest.
  bool FindByMd5(const std::string& md5, SharedFileInfo* found = nullptr);

  // Files dragged onto another category: each is copied (deep) into
  // `target` and published there when it has a digest, then the originals
  // are removed as RemoveFiles does. Files already in `target` stay.
  void MoveFiles(XmlElement& target, const std::vector<XmlElement*>& files);
  // A category dragged onto another: a deep copy goes under `target`; the
  // host hears that the share changed and a hash pass is asked for. Null
  // when `target` is the category or lies below it.
  XmlElement* CopyCategory(XmlElement& target, const XmlElement& category);

  // --- removing (window thread, ShareLibraryRemoval.cpp) ---
  // Withdraws each file from the host and removes its element; then tells
  // the host the share changed and the withdrawal is done, and asks for a
  // hash pass. Null entries are skipped.
  void RemoveFiles(const std::vector<XmlElement*>& files);
  // Withdraws a category with everything below it from the host and removes
  // it, then asks for a hash pass. Neither the root nor a top-level
  // category is removed: false.
  bool RemoveCategory(XmlElement& category);

  // Writes temp0 from the document's peers' text, then temp1.
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
  // Under the lock: the document's set of files or categories changed.
  void MarkChanged() { changed_ = true; }
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
  const FolderWatch& Watch() const { return folderWatch_; }
  HWND Window() const { return window_.Get(); }
  HashStatistics Statistics() const;
  // Any thread: queues a record for the window thread.
  void QueuePublication(Publication record);
  // Worker thread: queues without waking the window; WakeWindowForQueued
  // wakes it for every record queued so far.
  void QueuePublicationQuietly(Publication record);
  void WakeWindowForQueued();
  size_t QueuedPublications() const { return publications_.Size(); }
  const Publisher& Publishing() const { return publisher_; }

 private:
  // --- ShareLibrary.cpp
  void OpenDocument(uint32_t user);
  ShareWorker::Tasks WorkerTasks();
  void OnWorkerMessage(const MSG& message);
  void CancelDrops();
  void ReportUnknownHash(const std::string& hash, const char* path);
  void EndThreadsAndSave();
  void KeepUndeliveredPublications();
  void SaveDocument();

  // --- ShareLibraryHashing.cpp (worker thread)
  enum class PassEnd { Done, Repeat, Stalled, WorkerEnds };
  struct PassFile;
  void RunHashPass();
  PassEnd HashPass();
  enum class Rebuild { Allowed, Refused };
  bool TakeNextFile(HashQueue& queue, PassFile& file, unsigned long long& bytes, Rebuild rebuild);
  ShareWorker::Wait WaitForDigest(const PassFile& file, std::string& digest);
  void StoreDigest(PassFile& file, const std::string& digest);
  void HandOutHashed();
  void SaveAndPublishCopy();
  void Rescan();

  // --- ShareLibraryFiles.cpp
  void PublishAtOnce(const XmlElement& file);
  void AddFolder(XmlElement& parent, const DroppedItem& folder);
  // Worker thread: lists the dropped folders that wait for it.
  void ListDroppedFolders();
  // Window thread: adds the next batch of a listed folder.
  void AddListedBatch();
  // Adds what is left of every drop at once; folders not listed yet are
  // listed here when `mayList`.
  void FinishDrops(bool mayList);
  // A publish record of a file, or a withdrawal of one of its digests.
  static Publication RecordOf(const XmlElement& file, int code, const std::string& hash);
  static Publication Withdrawal(const XmlElement& file, int code, const std::string& hash);

  // --- ShareLibraryRemoval.cpp
  void WithdrawFile(XmlElement& file);

  // --- ShareLibraryWindow.cpp
  static LRESULT CALLBACK TreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  bool CreateTree(HWND parent);
  void OnSettingsMessage(UINT message);
  void OnFolderListed();
  void OnPublishQueued();
  void OnTimer(UINT_PTR timer);
  void WakeWindow();

  std::string executableFolder_, dataFolder_;
  Timing timing_;
  std::function<std::vector<NetworkAdapter>()> adapters_ = &ShareIdentity::ReadAdapters;
  HostClient* host_ = nullptr;
  int32_t appServer_ = 0;
  uint32_t user_ = 0;
  bool unfiltered_ = false;

  std::recursive_mutex lock_;
  ShareDocument document_;
  // Guarded by the lock.
  bool rehashAll_ = false;
  bool changed_ = false;
  bool stopRequested_ = false;

  HashPlugin hashPlugin_;
  ServerSettings settings_;
  KeywordLists keywords_;
  TopTenList topTen_;
  std::unique_ptr<SettingsFetcher> fetcher_;
  ShareDirectories directories_;
  ShareWorker worker_;
  FolderWatch folderWatch_;
  PublicationQueue publications_;
  // Guarded by the lock; the worker holds one while it lists it.
  std::vector<std::shared_ptr<DroppedFolder>> drops_;
  Publisher publisher_;
  win::UniqueChildWindow window_;
  bool ending_ = false;

  // Worker thread only.
  bool firstPassDone_ = false;
  unsigned openings_ = 0;
  // The files the pass opened since the host last heard of hashed files.
  std::vector<win::UniqueFile> openedFiles_;
  UINT_PTR repeatTimer_ = 0;
  std::atomic<uint32_t> passes_{0}, filesHashed_{0}, openingPauses_{0}, filesRemoved_{0};
};
