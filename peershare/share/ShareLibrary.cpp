#include "share/ShareLibrary.h"

#include <cstring>
#include <set>
#include <unordered_map>
#include <utility>

#include "frame/HostClient.h"
#include "share/CodePageText.h"
#include "share/Md5.h"

namespace {

constexpr size_t kIdentityBuffer = Md5::kHexLength + 1;

// Digests already withdrawn from the host in this process.
std::set<std::string>& ReportedUnknownHashes() {
  static std::set<std::string> hashes;
  return hashes;
}

SYSTEMTIME LocalNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now;
}

}  // namespace

ShareLibrary::ShareLibrary(std::string executableFolder, std::string dataFolder)
    : executableFolder_(std::move(executableFolder)),
      dataFolder_(std::move(dataFolder)),
      keywords_(dataFolder_),
      topTen_(executableFolder_) {}

ShareLibrary::~ShareLibrary() { Stop(); }

ShareFileNames ShareLibrary::Files() const { return ShareFileNames(dataFolder_, user_); }

// --- start and stop ----------------------------------------------------------

bool ShareLibrary::Start(HostClient* host, uint32_t user, bool rehashAll, int32_t appServer, HWND parent) {
  if (Running()) return true;
  host_ = host;
  appServer_ = appServer;
  publisher_.SetHost(host, appServer);
  publisher_.SetQuietPeriod(timing_.quietPeriod);
  publisher_.saveDocument = [this] { SaveDocument(); };
  publisher_.Reset();
  publications_.Clear();
  hashPlugin_.Load(executableFolder_);
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    rehashAll_ = rehashAll;
    stopRequested_ = false;
    OpenDocument(user);
  }
  keywords_.LoadFiles();
  topTen_.Reload();
  directories_ = ShareDirectories::Read(executableFolder_);
  ending_ = false;
  if (!CreateTree(parent)) return false;

  fetcher_ = std::make_unique<SettingsFetcher>(WebAddress::Operator(executableFolder_), settings_, keywords_, topTen_);
  fetcher_->SetStepWait(timing_.settingsStepWait);
  fetcher_->SetStopEvent(worker_.StopEvent());
  HWND window = window_.Get();
  fetcher_->onApplied = [window](const ServerSettings::Values&) { PostMessageA(window, kSettingsApplied, 0, 0); };
  fetcher_->onTopTenReplaced = [window] { PostMessageA(window, kTopTenReplaced, 0, 0); };
  worker_.SetRetryInterval(timing_.settingsRetry);
  firstPassDone_ = false;
  openings_ = 0;
  passes_ = filesHashed_ = openingPauses_ = filesRemoved_ = 0;
  if (!worker_.Start(WorkerTasks())) {
    ending_ = true;
    window_.Reset();
    return false;
  }
  if (directories_.VodSystem()) {
    const ShareWorker& worker = worker_;
    folderWatch_.Start(directories_.Folders(), worker_.StopEvent(), timing_.folderWatchTimeout,
                       {[&worker] { worker.Post(ShareWorker::kRunHashPass); },
                        [&worker] { worker.Post(ShareWorker::kRescan); }});
  }
  SetTimer(window, kSaveTimer, timing_.saveCheckInterval, nullptr);
  SetTimer(window, kHandOutTimer, timing_.handOutInterval, nullptr);
  return true;
}

ShareWorker::Tasks ShareLibrary::WorkerTasks() {
  ShareWorker::Tasks tasks;
  tasks.onStart = [this] {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    document_.MarkAllForRehash(rehashAll_);
    rehashAll_ = false;
  };
  tasks.fetchSettings = [this] { return fetcher_->FetchServerSettings(); };
  tasks.onMessage = [this](const MSG& message) { OnWorkerMessage(message); };
  return tasks;
}

void ShareLibrary::OnWorkerMessage(const MSG& message) {
  if (message.message == ShareWorker::kRunHashPass) {
    RunHashPass();
  } else if (message.message == ShareWorker::kRescan) {
    Rescan();
  } else if (message.message == ShareWorker::kListFolders) {
    ListDroppedFolders();
  } else if (message.message == WM_TIMER && repeatTimer_ != 0 && message.wParam == repeatTimer_) {
    KillTimer(nullptr, repeatTimer_);
    repeatTimer_ = 0;
    RunHashPass();
  }
}

void ShareLibrary::Stop() {
  if (!Running() && !worker_.Running()) return;
  EndThreadsAndSave();
  window_.Reset();
}

// What destroying the share tree does. A worker that would not end within
// the wait keeps the hash plug-in loaded: it may still be inside it.
void ShareLibrary::EndThreadsAndSave() {
  if (ending_) return;
  ending_ = true;
  if (HWND window = window_.Get()) {
    KillTimer(window, kSaveTimer);
    KillTimer(window, kHandOutTimer);
    KillTimer(window, kDropTimer);
  }
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    stopRequested_ = true;
  }
  bool ended = worker_.Stop(timing_.stopGrace, timing_.stopPatience);
  folderWatch_.Join();
  // A drop under way is finished here so that the saved document holds it;
  // a worker that did not end may still be listing, so nothing is listed
  // again then.
  FinishDrops(ended);
  KeepUndeliveredPublications();
  SaveDocument();
  if (ended) hashPlugin_.Unload(timing_.hashPluginUnloadWait);
}

// Records still queued when the window goes never reach the host, and their
// files' digests stand unchanged in the document, so the next session would
// not hash them again (every reShare mark is reset when a worker starts).
// Their files lose the time they were hashed at instead: the next session's
// first pass hashes and publishes them again, and keeps their digests
// meanwhile. The records themselves must not reach the host then.
void ShareLibrary::KeepUndeliveredPublications() {
  std::deque<Publication> undelivered = publications_.TakeAll();
  std::lock_guard<std::recursive_mutex> guard(lock_);
  XmlElement* root = document_.Root();
  if (undelivered.empty() || root == nullptr) return;
  std::unordered_map<std::string, XmlElement*> files;
  XmlElement::List paths;
  root->FindAll(paths, true, "filePath");
  for (XmlElement* path : paths) files.emplace(path->Text(), path->Parent());
  for (const Publication& record : undelivered) {
    auto file = files.find(record.path);
    if (record.publish && file != files.end() && file->second != nullptr) file->second->SetAttribute("time", "0");
  }
}

void ShareLibrary::CancelDrops() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  for (const auto& drop : drops_) drop->Cancel();
  drops_.clear();
}

void ShareLibrary::SaveDocument() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  document_.Save();
}

HashStatistics ShareLibrary::Statistics() const {
  return HashStatistics{passes_, filesHashed_, openingPauses_, filesRemoved_};
}

// --- the document ------------------------------------------------------------

void ShareLibrary::OpenDocument(uint32_t user) {
  user_ = user;
  // Another document leaves the worker's queues pointing nowhere, and the
  // drops under way with nowhere to go.
  changed_ = true;
  CancelDrops();
  ShareDocument::HashConverter convert;
  if (hashPlugin_.Loaded()) {
    convert = [this](const std::string& oldHash, std::string& newHash) {
      return hashPlugin_.ConvertHash(oldHash, newHash);
    };
  }
  document_.Open(Files(), convert);
}

int32_t ShareLibrary::OpenShareLibrary(uint32_t user, char* id, int32_t* count) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  OpenDocument(user);
  if (count != nullptr) *count = document_.HashedFileCount();
  if (id != nullptr) {
    std::string identity = ShareIdentityText();
    std::memcpy(id, identity.c_str(), std::min(identity.size() + 1, kIdentityBuffer));
    id[kIdentityBuffer - 1] = '\0';
  }
  return 1;
}

std::string ShareLibrary::ShareIdentityText() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  int32_t timeStamp = document_.GetTimeStamp(LocalNow());
  return ShareIdentity::Compute(ShareIdentity::AdapterAddress(adapters_()), user_, timeStamp, executableFolder_);
}

int32_t ShareLibrary::GetShareListFile(uint32_t peer, char* digest, char* path) {
  return PublishedCopy::HandOut(Files(), peer, digest, path, kHostTextMax);
}

int32_t ShareLibrary::LookupSharedFile(const char* hash, char* path, int32_t* hidden, int32_t* category) {
  if (hash == nullptr) return 0;
  const std::string wanted(hash, strnlen(hash, kHostTextMax));
  SharedFileInfo found;
  bool known;
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    known = document_.Lookup(wanted, found);
  }
  if (!known) {
    if (!wanted.empty()) ReportUnknownHash(wanted, path);
    return 0;
  }
  // A path the host's buffer cannot hold would name another file.
  if (found.path.size() >= static_cast<size_t>(kHostTextMax)) return 0;
  if (path != nullptr) std::memcpy(path, found.path.c_str(), found.path.size() + 1);
  if (hidden != nullptr) *hidden = found.hidden ? 1 : 0;
  if (category != nullptr) *category = found.category;
  return 1;
}

void ShareLibrary::ReportUnknownHash(const std::string& hash, const char* path) {
  if (host_ == nullptr || !ReportedUnknownHashes().insert(hash).second) return;
  host_->NotifyShareChanged();
  host_->UnpublishFile(0, hash.c_str(), "");
  host_->NotifyUnpublishDone();
  if (appServer_ != 0) {
    std::string name = path != nullptr ? CodePageText::FileNameOf(std::string(path, strnlen(path, kHostTextMax))) : "";
    host_->ReportUnpublishedFile(name.c_str(), hash.c_str());
  }
}

void ShareLibrary::AddTopTenEntry(const TopTenEntry& entry, bool save) {
  topTen_.AddTopTenEntry(entry, save, LocalNow());
}

// --- published copies ----------------------------------------------------

bool ShareLibrary::PublishCopy(PublishedCopy::Sizes* sizes) {
  std::string text;
  ShareFileNames names = Files();
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (document_.Root() == nullptr) return false;
    text = document_.PeersText();
  }
  return PublishedCopy::Write(text, names, sizes);
}

bool ShareLibrary::HashFile(const std::string& path) { return !path.empty() && hashPlugin_.HashFile(path); }

bool ShareLibrary::RefreshHandOut() const { return PublishedCopy::RefreshHandOut(Files()); }

bool ShareLibrary::SetCollectionPassword(const std::string& password) {
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!document_.SetCollectionPassword(password)) return false;
  }
  return PublishCopy();
}

XmlDocumentPtr ShareLibrary::ReceivePeerCopy(const std::string& path) const { return PublishedCopy::Receive(path); }
