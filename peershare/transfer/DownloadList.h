#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/ListView.h"
#include "controls/ListWindow.h"
#include "controls/PlayImage.h"
#include "controls/ProgressBarCell.h"
#include "transfer/CoinAccount.h"
#include "transfer/DailyFlowCounter.h"
#include "transfer/DownloadPrompts.h"
#include "transfer/DownloadTask.h"
#include "transfer/PlayerLink.h"
#include "transfer/TransferDocument.h"
#include "win/Handles.h"

class HostClient;

// The single owner of the user's downloads: the list in the upper half of
// the transfer window. It takes download requests, decides whether each
// starts, waits in the local queue or is refused, drives the client's
// transfers, refreshes its rows every two seconds, charges and credits
// coins, and keeps the pending downloads in the TransferDocument.
//
// The list is a window of its own (the window the client's threads and the
// player post to) that holds a virtual list-view control: the rows are the
// list's own model, and the control asks for the texts of the rows it shows.
// Everything runs on the window thread except the tasks' sinks. The parts:
// DownloadList.cpp (window, document, messages), DownloadListRequests.cpp
// (requests, queue, refresh, coins), DownloadListRows.cpp (rows, columns,
// drawing, sorting), DownloadListMenu.cpp (row menu), DownloadListEnds.cpp
// (end of a task, sources, player).
class DownloadList : public ListWindow {
 public:
  // A download request, in the order every requester gives its inputs.
  struct Request {
    std::string hash;
    int32_t category = 0;
    std::string fileName;
    uint32_t size = 0;
    uint32_t peerId = 0;
    uint32_t peerTag = 0;
    std::string comment;
    int32_t mode = 1;  // 1 normal, 2 sequential, 3 play
    std::string nickname;
    int32_t fromMobile = 0;
    std::string folder;  // empty: the download folder
    bool quiet = false;
    int32_t connectionKind = 0;
    uint32_t ip = 0;  // host order; 127.0.0.1 names no source
    uint32_t port = 0;
    int32_t value4 = 0, value5 = 0;
  };
  enum Result : int32_t { kInShareLibrary = 0, kInList = 1, kNoCoins = 2, kAdded = 3, kRefused = 5 };
  // Logical columns; the optional ones exist while their element does.
  enum Column {
    kName, kSize, kCost, kStatus, kSpeed, kUpSpeed, kPercent, kPlay, kTimeUsed, kRemaining, kDownloaded,
    kUploaded, kComment, kColumnCount
  };
  static constexpr UINT_PTR kRefreshTimer = 1, kDailyFlowTimer = 2;
  static constexpr UINT kRefreshInterval = 2000;
  static constexpr int kSkippedTicks = 3;
  static constexpr int kNonMemberLimit = 2, kMemberLimit = 10;
  static constexpr uint32_t kLoopback = 0x7F000001;

  // One row: a task, or one of its sources below it.
  struct Row {
    DownloadTask* task;
    TaskSource* source;
  };

  DownloadList(HostClient* host, std::string programFolder);
  ~DownloadList() override;
  DownloadList(const DownloadList&) = delete;
  DownloadList& operator=(const DownloadList&) = delete;

  // What the share library answers: the local path of a shared file with
  // this hash. Unset: no file is shared.
  std::function<bool(const std::string& hash, std::string& localPath)> findSharedFile;
  // Hands a finished download to the share library.
  std::function<void(const std::string& localPath, const std::string& hash, uint32_t size, int32_t category)>
      addFinishedFile;
  // The status line: coins, tasks and sources.
  std::function<void(int32_t coins, int32_t tasks, int32_t sources)> onStatus;

  // The history lists hear of the document: read (its Transmit root), a
  // finished download appended (its HasDownload), let go of.
  std::function<void(XmlElement* transmit)> onHistoryLoaded;
  std::function<void(XmlElement* finished)> onDownloadFinished;
  std::function<void()> onHistoryReleased;

  // Null: the real dialogs.
  void SetPrompts(DownloadPrompts* prompts);
  DownloadPrompts& Prompts();
  // Where finished downloads hand their files over; null: nowhere.
  void SetUploadIntake(UploadIntake* uploads) { shared_.uploads.store(uploads); }
  // The daily flow counter's settings, before the list window is made.
  void SetAppServer(int32_t appServer) { dailyFlow_.SetAppServer(appServer); }
  void SetClock(Clock clock) { dailyFlow_.SetClock(std::move(clock)); }
  DailyFlowCounter& DailyFlow() { return dailyFlow_; }
  void SetDocumentPath(const std::string& path) { documentPath_ = path; }
  void SetUser(uint32_t user) { player_.SetUser(user); }
  void SetCoins(int32_t coins) { coins_.SetBalance(coins); }

  // Creates the list window in `parent` and starts the refresh timer; the
  // first time, loads the document and restores its downloads as queued
  // rows. A window made again after its parent went shows the same tasks.
  bool Create(HWND parent, int id, const RECT& area);
  bool Ready() const { return Handle() != nullptr && loaded_ && !closing_; }
  // The document was read (by the first window).
  bool Loaded() const { return loaded_; }

  // The entry point of every requester.
  int32_t Add(const Request& request);
  // Shutdown: stops every transfer, settles the coins, saves, frees the
  // tasks and releases the document.
  void Stop();

  // One timer tick: the first three are skipped.
  void Tick();
  void Refresh();

  // The download folder, as the plug-in interface sets it: with a path, take
  // it; without, ask with the folder browser. Saves.
  void SetDownloadFolder(const char* path);
  const std::string& DownloadFolder() const { return document_.DownloadFolder(); }
  bool AskForFolder() const { return document_.AskForFolder(); }
  void SetAskForFolder(bool ask) { document_.SetAskForFolder(ask); }
  TransferDocument& Document() { return document_; }
  bool SaveDocument();
  // History records out of the document; saves and tells the player.
  void RemoveHistory(const std::vector<XmlElement*>& records);

  // Rows and tasks.
  const std::vector<Row>& Rows() const { return rows_; }
  size_t TaskCount() const { return tasks_.size(); }
  DownloadTask* FindTask(uint32_t id) const;
  DownloadTask* FindTaskByHash(const std::string& hash) const;
  int RowOf(const DownloadTask* task) const;
  int RunningCount() const;
  int SourceCount() const;
  // Coins still needed by the running downloads.
  double RunningNeed() const;
  CoinAccount& Coins() { return coins_; }
  std::atomic<int64_t>& BillableBytes() { return shared_.billableBytes; }
  // Tasks deleted or handed over whose transfer has not ended yet.
  size_t RetiringCount() const { return retiring_.size(); }

  // Columns.
  const std::vector<int>& ShownColumns() const { return shownColumns_; }
  bool IsColumnShown(int column) const;
  void ShowOptionalColumn(int column, bool show);
  void SetOtherPercent(bool on);
  bool OtherPercent() const { return document_.OtherPercent(); }
  // The text of a cell, as the control shows it.
  std::string CellText(int row, int column) const;
  void SortBy(int column);
  void ToggleExpanded(DownloadTask& task);

  // The row menu: its first sub-menu prepared for the selection, and its
  // commands.
  win::UniqueMenu LoadRowMenu() const;
  void PrepareMenu(HMENU menu) const;
  void RunCommand(int command);
  void ShowRowMenu(POINT screen);
  // The traffic settings of a download (their menu entry stays disabled):
  // the first selected task that has a transfer gets the limits, in KB/s.
  bool LimitSelectedTransfer(int32_t inputKBps, int32_t outputKBps);

  // Resume as the menu does (a user request).
  void Resume(DownloadTask& task);
  void Pause(DownloadTask& task);
  // Deletes as the user does, without asking.
  void Delete(DownloadTask& task);
  void PlayTask(DownloadTask& task);
  // A click on a cell of the control.
  void OnCellClick(int row, int logicalColumn);

  PlayerLink& Player() { return player_; }

 private:
  LRESULT OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnListNotify(NMHDR& header) override;
  void OnListGone() override;
  void LoadDocument();
  void RestoreDownloads();
  bool IsMember() const;
  bool LimitAllows(int running, bool member) const;

  // Requests.
  std::string LocalPathFor(const std::string& folder, const std::string& fileName) const;
  bool ChooseTargetFolder(const Request& request, std::string& folder);
  void StartTask(DownloadTask& task, int32_t mode);
  void AddNamedSource(DownloadTask& task, const Request& request);
  void AgeAndRequeue();
  void StartFromQueue();
  std::vector<DownloadItemRecord> PendingItems() const;
  void SaveAndNotify();

  // Rows.
  void CreateColumns();
  int ColumnPosition(int logical) const;
  void InsertTaskRow(DownloadTask& task, int position);
  void RemoveRows(const DownloadTask& task);
  void RemoveSourceRow(const TaskSource& source);
  void InsertSourceRow(DownloadTask& task, TaskSource& source);
  // Rebuilds the rows from the tasks in `order`, sources below the expanded
  // ones, keeping the selection.
  void RebuildRows(const std::vector<DownloadTask*>& order);
  std::vector<DownloadTask*> TaskOrder() const;
  void SyncControl();
  std::vector<Row> SelectedRows() const;
  std::vector<DownloadTask*> SelectedTasks() const;
  void SnapshotRow(DownloadTask& task);
  void Redraw() const;
  void RedrawChangedRows();
  void FillCell(NMLVDISPINFOA& info) const;
  void OnRowPainted(HDC dc, int index) override;

  // Menu commands.
  void DeleteSelected();
  void DeleteAll();
  void CommentSelected();
  void RunPeerCommand(int command, const TaskSource& source);
  void CopyText(const std::string& text) const;
  std::string ShareLink(const DownloadTask& task) const;

  // Ends.
  void OnTaskRow(uint32_t taskId, int position);
  void OnSourceAdded(uint32_t taskId, TaskSource* source);
  void OnHandedOver(uint32_t taskId);
  void OnTaskEnded(uint32_t taskId);
  void OnSourceRemoved(uint32_t taskId, TaskSource* source);
  void OnSourceChanged(uint32_t taskId, TaskSource* source);
  void OnPlayerRecord(const COPYDATASTRUCT& data);
  void MoveToHistory(DownloadTask& task);
  std::unique_ptr<DownloadTask> TakeTask(uint32_t id);
  // Deletes as the user does, without saving.
  void Discard(DownloadTask& task);
  void Retire(std::unique_ptr<DownloadTask> task);
  void PlayFileByHash(const std::string& hash);

  HostClient* host_;
  std::string programFolder_;
  std::string documentPath_;
  TransferDocument document_;
  TaskShared shared_;
  CoinAccount coins_{shared_.billableBytes};
  PlayerLink player_;
  DailyFlowCounter dailyFlow_;
  std::unique_ptr<WindowPrompts> windowPrompts_;
  DownloadPrompts* prompts_ = nullptr;

  bool loaded_ = false;
  bool closing_ = false;
  int ticks_ = 0;
  std::string lastChosenFolder_;

  std::map<uint32_t, std::unique_ptr<DownloadTask>> tasks_;
  std::map<uint32_t, std::unique_ptr<DownloadTask>> retiring_;
  std::vector<Row> rows_;
  std::vector<int> shownColumns_;
  std::array<bool, kColumnCount> sortDescending_{};
  PlayImage playImage_;
  ProgressBarCell progressBar_;
};
