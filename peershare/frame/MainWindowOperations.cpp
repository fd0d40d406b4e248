// The PluginInterface operations the client calls through the main window.
// Every one switches to the library's module state first; the ones that
// need the window do nothing (and answer 0) unless it was started.
#include "frame/MainWindow.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <string>

#include "frame/HostClient.h"
#include "frame/ModuleState.h"
#include "frame/ResourceIds.h"
#include "transfer/FieldText.h"
#include "transfer/TrafficLog.h"

// --- lifecycle ------------------------------------------------------------

int32_t MainWindow::Start(uint32_t user, int32_t coins, int32_t rehashAll) {
  ModuleStateGuard guard;
  config_.Read();
  if (state_ == State::Suspended && Handle() != nullptr) {
    Resume(0, 0, 0);
    return 1;
  }
  startTime_ = GetTickCount();
  user_ = user;
  coins_ = coins;
  // The small window that Initialize shows lacks the main window's controls:
  // never started, it makes way for the main window proper.
  if (Handle() != nullptr && state_ == State::NotStarted && templateId_ != IDD_MAIN) Destroy();
  CreateTransferObjects();
  // The document is the signed-in user's from the list's first window on.
  if (!downloads_->Loaded()) {
    downloads_->SetDocumentPath(TransferDocument::PathFor(config_.DataFolder(), user));
    downloads_->SetUser(user);
    downloads_->SetAppServer(config_.AppServer());
  }
  uploads_->SetTrafficLogPath(TrafficLog::PathFor(config_.DataFolder(), user));
  uploads_->SetUser(user);
  downloads_->SetCoins(coins);
  homePanel_.SetLists({downloads_.get(), uploads_.get(), finishedDownloads_.get(), finishedUploads_.get()});
  if (!CreateFrom(IDD_MAIN)) return 0;
  unfiltered_ = ReadUnfilteredMode();
  searchPanel_.SetFilterOff(unfiltered_);
  friendPanel_.SetFilterOff(unfiltered_);
  shareLibrary_.SetUnfiltered(unfiltered_);
  if (shareLibrary_.Start(host_, user, rehashAll != 0, config_.AppServer(), PanelWindow(kShare)))
    sharePanel_.ShowLibrary(shareLibrary_, host_);
  state_ = State::Running;
  return 1;
}

void MainWindow::Stop() {
  ModuleStateGuard guard;
  if (state_ == State::NotStarted && Handle() == nullptr) return;
  state_ = State::Stopping;
  // The last uploaded bytes count before the coins are settled.
  if (uploads_ != nullptr) uploads_->TakeUploadedBytes();
  if (downloads_ != nullptr) downloads_->Stop();
  sharePanel_.LeaveLibrary();
  shareLibrary_.Stop();
  if (Handle() != nullptr) Destroy();
  homePanel_.SetLists({});
  DeleteTransferObjects();
  ReleaseOle();
  state_ = State::NotStarted;
}

// In this order: the finished-download list, the upload history, the
// download list and the upload manager.
void MainWindow::CreateTransferObjects() {
  if (downloads_ != nullptr) return;
  finishedDownloads_ = std::make_unique<FinishedDownloadList>();
  finishedUploads_ = std::make_unique<FinishedUploadList>();
  downloads_ = std::make_unique<DownloadList>(host_, config_.ExecutableFolder());
  uploads_ = std::make_unique<UploadManager>(host_);
  ConnectTransferObjects();
}

void MainWindow::ConnectTransferObjects() {
  // A plain lookup: a download asking for an unknown hash is no withdrawal.
  downloads_->findSharedFile = [this](const std::string& hash, std::string& path) {
    SharedFileInfo found;
    if (!shareLibrary_.FindByMd5(hash, &found)) return false;
    path = found.path;
    return true;
  };
  downloads_->addFinishedFile = [this](const std::string& path, const std::string& hash, uint32_t size,
                                       int32_t category) {
    shareLibrary_.AddFinishedDownload(category, path, hash, size);
  };
  downloads_->onStatus = [this](int32_t coins, int32_t tasks, int32_t sources) {
    status_.Update(coins, StatusLine::kKeep, tasks, StatusLine::kKeep, sources, StatusLine::kKeep);
  };
  downloads_->onHistoryLoaded = [this](XmlElement* transmit) {
    finishedDownloads_->Fill(transmit);
    finishedUploads_->Fill(transmit);
  };
  downloads_->onDownloadFinished = [this](XmlElement* finished) { finishedDownloads_->Append(finished); };
  downloads_->onHistoryReleased = [this] {
    finishedDownloads_->Clear();
    finishedUploads_->Clear();
  };
  downloads_->SetUploadIntake(uploads_.get());
  finishedDownloads_->SetDownloadList(downloads_.get());
  finishedUploads_->SetDownloadList(downloads_.get());
  uploads_->onStatus = [this](int32_t uploads, int32_t peers) {
    status_.Update(StatusLine::kKeep, StatusLine::kKeep, StatusLine::kKeep, uploads, StatusLine::kKeep, peers);
  };
  uploads_->onUploadedBytes = [this](int64_t bytes) {
    if (downloads_ != nullptr) downloads_->Coins().AddUploadedBytes(bytes);
  };
  uploads_->hashOfFile = [this](const std::string& path) { return SharedFileHash(path); };
  shareLibrary_.onSettingsApplied = [this](const ServerSettings::Values& values) {
    if (uploads_ != nullptr) uploads_->OnSettingsApplied(values);
  };
}

// After the download list stopped and the window went: the upload history,
// the finished-download list, the upload manager, the download list.
void MainWindow::DeleteTransferObjects() {
  finishedUploads_.reset();
  finishedDownloads_.reset();
  uploads_.reset();
  downloads_.reset();
}

std::string MainWindow::SharedFileHash(const std::string& path) {
  std::lock_guard<std::recursive_mutex> hold(shareLibrary_.Lock());
  XmlElement* root = shareLibrary_.Document().Root();
  XmlElement* filePath = root != nullptr ? root->FindByText(true, "filePath", path) : nullptr;
  return filePath != nullptr && filePath->Parent() != nullptr ? AttributeOf(*filePath->Parent(), "MD5") : "";
}

void MainWindow::Suspend() {
  ModuleStateGuard guard;
  if (!Started() || state_ != State::Running) return;
  state_ = State::Suspended;
  shareLibrary_.Suspend();
  friendPanel_.Clear();
}

void MainWindow::Resume(int32_t, int32_t, int32_t) {
  ModuleStateGuard guard;
  if (!Started()) return;
  startTime_ = GetTickCount();
  shareLibrary_.Resume();
  friendPanel_.Rebuild(host_, user_);
  state_ = State::Running;
}

// --- window operations ----------------------------------------------------

void MainWindow::ShowPanel(int32_t panel) {
  ModuleStateGuard guard;
  if (!Started() || panel < kHome || panel > kFriends) return;
  SelectPanel(panel);
  BringToFront();
}

void MainWindow::Hide() {
  ModuleStateGuard guard;
  if (Started()) ShowWindow(Handle(), SW_HIDE);
}

int32_t MainWindow::ShowPeer(uint32_t peer) {
  ModuleStateGuard guard;
  if (!Started() || !config_.ShowFriend()) return 0;
  friendPanel_.RequestShares(peer);
  BringToFront();
  SelectPanel(kFriends);
  return 1;
}

void MainWindow::AddPeer(uint32_t peer, int32_t image, const char* name) {
  ModuleStateGuard guard;
  if (!Started() || peer == user_) return;
  friendPanel_.AddPeer(peer, image, name != nullptr ? name : "");
}

void MainWindow::RemovePeer(uint32_t peer) {
  ModuleStateGuard guard;
  if (Started()) friendPanel_.RemovePeer(peer);
}

void MainWindow::UpdatePeer(uint32_t peer, int32_t image, const char* name) {
  ModuleStateGuard guard;
  if (Started()) friendPanel_.UpdatePeer(peer, image, name != nullptr ? name : "");
}

void MainWindow::SetAccount(int32_t coins, int32_t pointsA, int32_t pointsB) {
  ModuleStateGuard guard;
  if (!Started()) return;
  coins_ = coins;
  if (downloads_ != nullptr) downloads_->SetCoins(coins);
  int64_t points = std::min<int64_t>(static_cast<int64_t>(pointsA) + pointsB, INT32_MAX);
  status_.Update(coins, static_cast<int32_t>(std::max<int64_t>(points, INT32_MIN + 1)), StatusLine::kKeep,
                 StatusLine::kKeep, StatusLine::kKeep, StatusLine::kKeep);
}

void MainWindow::SearchFinished(uint32_t queryId) {
  ModuleStateGuard guard;
  if (Started()) searchPanel_.SearchFinished(queryId);
}

void MainWindow::StartSearch(int32_t type, const char* text) {
  ModuleStateGuard guard;
  if (!Started()) return;
  FillSearchBar(type, text != nullptr ? text : "");
  SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_START, BN_CLICKED),
               reinterpret_cast<LPARAM>(Item(IDC_SEARCH_START)));
  SelectPanel(kSearch);
  BringToFront();
}

int32_t MainWindow::OpenFile(int32_t kind, int32_t, int32_t, const char* path) {
  ModuleStateGuard guard;
  if (!Started() || kind != 1 || path == nullptr) return 0;
  auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(Handle(), "open", path, nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32 ? 1 : 0;
}

// Values of the main object, window or not.
int32_t MainWindow::GetMainValues(int32_t* a, int32_t* b) {
  ModuleStateGuard guard;
  if (a == nullptr || b == nullptr) return 0;
  *a = static_cast<int32_t>(user_);
  *b = coins_;
  return 1;
}

// A setting of "custom.ini": a client may ask before Start, which reads it.
int32_t MainWindow::GetSyncDownloadLimit() {
  ModuleStateGuard guard;
  if (!Started()) config_.Read();
  return config_.SyncDownloadLimit();
}

int32_t MainWindow::Slot8(int32_t, int32_t, int32_t) {
  ModuleStateGuard guard;
  return 1;
}

void MainWindow::Slot9(int32_t, int32_t, int32_t, int32_t) { ModuleStateGuard guard; }

void MainWindow::Slot33(int32_t, int32_t) { ModuleStateGuard guard; }

// --- operations of the share library and the transfer lists ---------------
// The client asks about the upload side and adds uploads from any of its
// threads; the upload manager guards its tables itself.

int32_t MainWindow::UploadPeerSetHas(uint32_t peer) {
  ModuleStateGuard guard;
  return uploads_ != nullptr && uploads_->GreenChannel().Contains(peer) ? 1 : 0;
}

int32_t MainWindow::UploadPeerMapHas(uint32_t peer) {
  ModuleStateGuard guard;
  return uploads_ != nullptr && uploads_->TemporaryChannels().Contains(peer) ? 1 : 0;
}

UploadRecord* MainWindow::AddUpload(const char* name, const char* localPath, int32_t category, uint32_t size,
                                    int32_t value) {
  ModuleStateGuard guard;
  if (!Started() || uploads_ == nullptr) return nullptr;
  return uploads_->AddUpload(name, localPath, category, size, value);
}

int32_t MainWindow::AddClientDownload(const char* name, int32_t category, const char* hash, uint32_t size,
                                      const char* comment) {
  if (!Started() || downloads_ == nullptr || name == nullptr || hash == nullptr) return kDownloadNotReady;
  DownloadList::Request request;
  request.hash = hash;
  request.category = category;
  request.fileName = name;
  request.size = size;
  request.comment = comment != nullptr ? comment : "";
  return downloads_->Add(request);
}

// The client's `a` is taken as the file's category.
int32_t MainWindow::AddHostDownload(const char* name, int32_t a, const char* hash, uint32_t size, const char* comment) {
  ModuleStateGuard guard;
  int32_t result = AddClientDownload(name, a, hash, size, comment);
  if (result == kDownloadNotReady || host_ == nullptr) return result;
  if (DownloadTask* task = downloads_->FindTaskByHash(FieldText::LowerHash(hash)))
    host_->DownloadAdded(name, downloads_->RowOf(task));
  return result;
}

int32_t MainWindow::GetShareListFile(uint32_t peer, char* digest, char* path) {
  ModuleStateGuard guard;
  return shareLibrary_.GetShareListFile(peer, digest, path);
}

// Only flag 0 hands over a received list.
void MainWindow::ShowPeerShareList(int32_t flag, uint32_t peer, int32_t, const char* path) {
  ModuleStateGuard guard;
  if (Started() && flag == 0 && path != nullptr) friendPanel_.ShowShareList(peer, path);
}

// The client names no category: the file counts as "other".
int32_t MainWindow::AddDownload(const char* name, const char* hash, uint32_t size, const char* comment) {
  ModuleStateGuard guard;
  constexpr int32_t kOtherCategory = 8;
  return AddClientDownload(name, kOtherCategory, hash, size, comment);
}

void MainWindow::AddTopTenEntry(int32_t position, int32_t value, const char* hash, const char* fileName,
                                uint32_t size, int32_t fileType, const char* text, int32_t save) {
  ModuleStateGuard guard;
  auto textOf = [](const char* argument) { return std::string(argument != nullptr ? argument : ""); };
  shareLibrary_.AddTopTenEntry({position, value, textOf(hash), textOf(fileName), size, fileType, textOf(text)},
                               save != 0);
}

void MainWindow::AddSearchResult(uint32_t queryId, const char* hash, const char* fileName, uint32_t size,
                                 int32_t category, const char* comment, uint32_t peerId, const char* nickname,
                                 int32_t connectionKind, uint32_t ip, uint16_t port, int32_t bandwidth,
                                 uint32_t peerTag, const char* extra) {
  ModuleStateGuard guard;
  if (!Started() || searchPanel_.PageOf(queryId) == nullptr) return;
  searchPanel_.AddResult(queryId, ResultRecord::FromHost(hash, fileName, size, category, comment, peerId, nickname,
                                                         connectionKind, ip, port, bandwidth, peerTag, extra));
}

int32_t MainWindow::LookupSharedFile(const char* hash, char* path, int32_t* hidden, int32_t* category) {
  ModuleStateGuard guard;
  return shareLibrary_.LookupSharedFile(hash, path, hidden, category);
}

int32_t MainWindow::SetDownloadFolder(const char* path, int32_t value) {
  ModuleStateGuard guard;
  if (!Started() || downloads_ == nullptr) return 0;
  downloads_->SetDownloadFolder(path);
  downloads_->SetAskForFolder(value != 0);
  return 1;
}

const char* MainWindow::GetDownloadFolder(int32_t* value) {
  ModuleStateGuard guard;
  if (downloads_ == nullptr) return "";
  if (value != nullptr) *value = downloads_->AskForFolder() ? 1 : 0;
  return downloads_->DownloadFolder().c_str();
}

int32_t MainWindow::OpenShareLibrary(uint32_t user, char* id, int32_t* count) {
  ModuleStateGuard guard;
  user_ = user;
  return shareLibrary_.OpenShareLibrary(user, id, count);
}

int32_t MainWindow::GetBusy(uint32_t* flags) {
  ModuleStateGuard guard;
  if (!Started() || flags == nullptr) return 0;
  *flags = (downloads_ != nullptr && downloads_->RunningCount() > 0 ? kBusyDownloading : 0) |
           (uploads_ != nullptr && uploads_->UploadCount() > 0 ? kBusyUploading : 0);
  return 1;
}

void MainWindow::Slot32(int32_t, int32_t, int32_t) { ModuleStateGuard guard; }

// The answer reaches the share library's result slot; the hash pass takes
// only the answers about its own files.
int32_t MainWindow::HashFile(const char* path, int32_t) {
  ModuleStateGuard guard;
  if (path == nullptr) return 0;
  return shareLibrary_.HashFile(std::string(path, strnlen(path, kHostTextMax))) ? 1 : 0;
}
