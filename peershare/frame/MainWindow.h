#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "controls/Dialog.h"
#include "controls/HtmlView.h"
#include "controls/Panel.h"
#include "frame/ClientConfig.h"
#include "share/FriendPanel.h"
#include "frame/PluginInterface.h"
#include "frame/StatusLine.h"
#include "search/MailPlugin.h"
#include "search/SearchCentre.h"
#include "share/ShareLibrary.h"
#include "share/SharePage.h"
#include "transfer/DownloadList.h"
#include "transfer/FinishedDownloadList.h"
#include "transfer/FinishedUploadList.h"
#include "transfer/UploadManager.h"
#include "transfer/TransferWindow.h"
#include "win/Handles.h"

class HostClient;

// The plug-in's main dialog. It is also the PluginInterface the client gets
// from init(): every operation switches to the library's module state, and
// the ones that need the window do nothing (and answer 0) unless the window
// was started and not stopped. The window and its panels are in
// MainWindow.cpp, the operations in MainWindowOperations.cpp, the buttons in
// MainWindowCommands.cpp.
class MainWindow : public Dialog, public PluginInterface {
 public:
  enum class State { NotStarted, Running, Stopping, Suspended };
  // Panels in ShowPanel's numbering.
  static constexpr int kHome = 1, kSearch = 2, kShare = 3, kFriends = 4;

  explicit MainWindow(std::string executableFolder);
  ~MainWindow() override;

  void SetHost(HostClient* host);
  HostClient* Host() const { return host_; }
  // Creates the window from a template with the desktop as parent, unless it exists.
  bool CreateFrom(int templateId);

  State CurrentState() const { return state_; }
  uint32_t User() const { return user_; }
  bool Unfiltered() const { return unfiltered_; }
  const ClientConfig& Config() const { return config_; }
  FriendPanel& Friends() { return friendPanel_; }
  // The transfer objects exist from Start to Stop.
  DownloadList* Downloads() const { return downloads_.get(); }
  UploadManager* Uploads() const { return uploads_.get(); }
  FinishedDownloadList* FinishedDownloads() const { return finishedDownloads_.get(); }
  FinishedUploadList* FinishedUploads() const { return finishedUploads_.get(); }
  TransferWindow& Transfers() { return homePanel_; }
  const StatusLine& Status() const { return status_; }
  // The panel shown (1 to 4) while the window is, 0 when none.
  int VisiblePanel() const;
  HWND PanelWindow(int panel) const;
  // The browser child 59748; null where no browser control could be hosted.
  HWND NoticeView() const { return noticeView_.Handle(); }
  static int TabButton(int panel);
  ShareLibrary& Library() { return shareLibrary_; }
  SharePage& SharePanel() { return sharePanel_; }
  SearchCentre& Search() { return searchPanel_; }
  MailPlugin& Mail() { return mailPlugin_; }
  // Shows one panel and hides the others, the window staying where it is.
  void SelectPanel(int panel);
  // The "mailto:" link of the recommendation mail, ending with the user's number.
  std::string RecommendationMail() const;
  // When Start or Resume last started the traffic clock (GetTickCount).
  DWORD TrafficClockStart() const { return startTime_; }

  // PluginInterface
  int32_t GetMainValues(int32_t* a, int32_t* b) override;
  int32_t UploadPeerSetHas(uint32_t peer) override;
  int32_t UploadPeerMapHas(uint32_t peer) override;
  int32_t GetSyncDownloadLimit() override;
  UploadRecord* AddUpload(const char* name, const char* localPath, int32_t category, uint32_t size,
                          int32_t value) override;
  int32_t AddHostDownload(const char* name, int32_t a, const char* hash, uint32_t size, const char* comment) override;
  int32_t GetShareListFile(uint32_t peer, char* digest, char* path) override;
  void ShowPeerShareList(int32_t flag, uint32_t peer, int32_t x, const char* path) override;
  int32_t Slot8(int32_t, int32_t, int32_t) override;
  void Slot9(int32_t, int32_t, int32_t, int32_t) override;
  int32_t ShowPeer(uint32_t peer) override;
  int32_t AddDownload(const char* name, const char* hash, uint32_t size, const char* comment) override;
  void SetAccount(int32_t coins, int32_t pointsA, int32_t pointsB) override;
  void AddTopTenEntry(int32_t position, int32_t value, const char* hash, const char* fileName, uint32_t size,
                      int32_t fileType, const char* text, int32_t save) override;
  void AddPeer(uint32_t peer, int32_t image, const char* name) override;
  void RemovePeer(uint32_t peer) override;
  void UpdatePeer(uint32_t peer, int32_t image, const char* name) override;
  int32_t Start(uint32_t user, int32_t coins, int32_t rehashAll) override;
  void Stop() override;
  void ShowPanel(int32_t panel) override;
  void Suspend() override;
  void Resume(int32_t a, int32_t b, int32_t c) override;
  void Hide() override;
  void AddSearchResult(uint32_t queryId, const char* hash, const char* fileName, uint32_t size, int32_t category,
                       const char* comment, uint32_t peerId, const char* nickname, int32_t connectionKind,
                       uint32_t ip, uint16_t port, int32_t bandwidth, uint32_t peerTag,
                       const char* extra) override;
  void SearchFinished(uint32_t queryId) override;
  int32_t OpenFile(int32_t kind, int32_t x, int32_t y, const char* path) override;
  int32_t LookupSharedFile(const char* hash, char* path, int32_t* hidden, int32_t* category) override;
  int32_t SetDownloadFolder(const char* path, int32_t value) override;
  const char* GetDownloadFolder(int32_t* value) override;
  int32_t OpenShareLibrary(uint32_t user, char* id, int32_t* count) override;
  int32_t GetBusy(uint32_t* flags) override;
  void StartSearch(int32_t type, const char* text) override;
  void Slot32(int32_t, int32_t, int32_t) override;
  void Slot33(int32_t, int32_t) override;
  int32_t HashFile(const char* path, int32_t b) override;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  void OnDestroy() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  HBRUSH Background() const override { return background_.Get(); }

 private:
  // The window exists and was started (running or suspended).
  bool Started() const;
  Panel* PanelObject(int panel);
  const Panel* PanelObject(int panel) const;
  void CreatePanels();
  void BringToFront();
  void InitSearchBar();
  void FillSearchBar(int32_t type, const char* text);
  void CreateSearchAnimation();
  void Layout();
  void OpenAddress(const std::string& address) const;
  void CreateNoticeView();
  void ReleaseOle();
  void CreateTransferObjects();
  void ConnectTransferObjects();
  void DeleteTransferObjects();
  // The MD5 of the shared file at `path`, or empty.
  std::string SharedFileHash(const std::string& path);
  // A download request from the client's operations; 5 before Start.
  int32_t AddClientDownload(const char* name, int32_t category, const char* hash, uint32_t size,
                            const char* comment);

  ClientConfig config_;
  HostClient* host_ = nullptr;
  State state_ = State::NotStarted;
  uint32_t user_ = 0;
  int32_t coins_ = 0;
  DWORD startTime_ = 0;
  // The dialog template the window was made from.
  int templateId_ = 0;
  bool unfiltered_ = false;
  TransferWindow homePanel_;
  SearchCentre searchPanel_{*this};
  SharePage sharePanel_;
  FriendPanel friendPanel_{*this};
  StatusLine status_;
  HtmlView noticeView_;
  bool oleInitialized_ = false;
  win::UniqueBrush background_;
  ShareLibrary shareLibrary_;
  std::unique_ptr<FinishedDownloadList> finishedDownloads_;
  std::unique_ptr<FinishedUploadList> finishedUploads_;
  std::unique_ptr<DownloadList> downloads_;
  std::unique_ptr<UploadManager> uploads_;
  MailPlugin mailPlugin_{config_.ExecutableFolder()};
};
