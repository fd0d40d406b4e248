#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "controls/ListWindow.h"
#include "controls/ProgressBarCell.h"
#include "share/ServerSettings.h"
#include "transfer/GreenChannelSet.h"
#include "transfer/LocalClock.h"
#include "transfer/TemporaryChannelTable.h"
#include "transfer/UploadRecord.h"
#include "transfer/UploadRecordReport.h"
#include "win/Handles.h"

class HostClient;
class TaskSource;

// The lower half of the transfer window ("传出状态"): the files other peers
// fetch from this machine, each with the peers receiving it. It also keeps
// the green-channel set, the temporary-channel table and the two tunnel
// counts the client asks about, and runs the upload record report.
//
// The map of uploads is guarded by the manager's lock: the client adds
// uploads and reports on them from its own threads; the rows, the report
// timer and everything else belong to the window thread. The parts:
// UploadManager.cpp (records, messages, report), UploadManagerRows.cpp
// (columns, cells, drawing), UploadManagerMenu.cpp (row menu "Manger").
class UploadManager final : public ListWindow, public UploadIntake {
 public:
  enum Column { kName, kSize, kCoins, kStatus, kSpeed, kPercent, kTimeUsed, kUploaded, kComment, kColumnCount };
  static constexpr UINT_PTR kRefreshTimer = 1, kReportTimer = 2;
  static constexpr UINT kRefreshInterval = 2000;
  static constexpr UINT kReportInterval = 3600000;
  // How long Stop waits for a report thread before it leaves it running.
  static constexpr DWORD kReportStopWait = 3000;

  // One row: an upload, or one of its receiving peers below it.
  struct Row {
    UploadRecord* record;
    TaskSource* source;
  };

  explicit UploadManager(HostClient* host, Clock clock = Clock());
  ~UploadManager() override;
  UploadManager(const UploadManager&) = delete;
  UploadManager& operator=(const UploadManager&) = delete;

  // The status line: uploads, and receiving peers (-1 keeps the shown value).
  std::function<void(int32_t uploads, int32_t peers)> onStatus;
  // Uploaded bytes for the coin accounting, handed on at each refresh.
  std::function<void(int64_t bytes)> onUploadedBytes;
  // The hash of a shared file, for the links of uploads the client started.
  std::function<std::string(const std::string& localPath)> hashOfFile;
  // The green-channel dialog (it needs the transfer document).
  std::function<void(HWND owner)> openGreenChannel;

  // The list window in `parent`, with the refresh and report timers.
  bool Create(HWND parent, int id, const RECT& area);
  // Stops the timers and waits a while for report threads; the rest goes
  // with the object.
  void Stop();

  // From the client, on any thread: a new upload, its row at the top. Null
  // once the manager stopped.
  UploadRecord* AddUpload(const char* name, const char* localPath, int32_t category, uint32_t size, int32_t value);
  // UploadIntake: a finished download, from the client's thread.
  uint32_t AddFinishedDownload(const UploadItem& item) override;
  size_t UploadCount() const;
  UploadRecord* FindRecord(uint32_t id) const;
  // Cut by the user but not ended by the client yet.
  size_t RetiringCount() const;

  GreenChannelSet& GreenChannel() { return greenChannel_; }
  TemporaryChannelTable& TemporaryChannels() { return temporaryChannels_; }
  void SetTunnelCounts(int32_t maximum, int32_t member);
  int32_t MaxTunnels() const { return maxTunnels_; }
  int32_t MemberTunnels() const { return memberTunnels_; }

  // The upload record report.
  void SetTrafficLogPath(const std::string& path) { trafficLogPath_ = path; }
  void SetUser(uint32_t user) { user_ = user; }
  // New server settings: the first ones start the report.
  void OnSettingsApplied(const ServerSettings::Values& values);
  // The hourly check: a report thread when the day changed since the last.
  void CheckReportDay();
  bool StartReport();
  int64_t LastReportStart() const { return lastReportStart_; }
  // Report threads still running; waits at most `milliseconds` for them.
  size_t RunningReports();
  bool WaitForReports(DWORD milliseconds);
  UploadRecordReport& Report() { return *report_; }
  UploadRecordReport::Inputs ReportInputs() const;

  // One refresh tick.
  void Refresh();
  // Hands the uploaded bytes counted so far to the coin accounting.
  void TakeUploadedBytes();

  // Rows and cells.
  const std::vector<Row>& Rows() const { return rows_; }
  std::string CellText(int row, int column) const;
  void ToggleExpanded(UploadRecord& record);

  // The row menu: its sub-menu "Manger" prepared for the selection, and its
  // commands.
  win::UniqueMenu LoadRowMenu() const;
  void PrepareMenu(HMENU menu) const;
  void RunCommand(int command);
  void ShowRowMenu(POINT screen);
  // The output limit of the first selected peer that has a source handle.
  bool LimitSelectedPeer(int32_t inputKBps, int32_t outputKBps);
  // "切断连接" without the menu.
  void CutSelected();
  void OpenTemporaryChannels(HWND owner);

 private:
  LRESULT OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnListNotify(NMHDR& header) override;
  void OnListGone() override;
  int64_t Now() const { return clock_ ? clock_() : LocalClock::SystemNow(); }
  bool OnWindowThread() const { return GetCurrentThreadId() == windowThread_; }

  // Records.
  uint32_t Insert(std::unique_ptr<UploadRecord> record);
  void OnNewUpload(uint32_t id);
  void OnEnded(uint32_t id);
  void OnSourceAdded(uint32_t id, TaskSource* source);
  void OnSourceRemoved(uint32_t id, TaskSource* source);
  void OnSourceChanged(uint32_t id, TaskSource* source);
  int32_t PeerCount() const;
  // Records the client ended, whatever became of its message.
  std::vector<uint32_t> EndedIds() const;
  void ReportStatus(int32_t peers);

  // Rows.
  void CreateColumns();
  void RebuildRows(const std::vector<UploadRecord*>& order);
  std::vector<UploadRecord*> RecordOrder() const;
  void RemoveRows(const UploadRecord& record);
  void SyncControl();
  std::vector<Row> SelectedRows() const;
  void FillCell(NMLVDISPINFOA& info) const;
  void OnRowPainted(HDC dc, int index) override;
  void RedrawVisibleRows() const;

  // Menu commands.
  void SendToAllPeers();
  void RunPeerCommand(int command, const TaskSource& source);
  void AskPeerLimit();
  std::string ShareLink(const UploadRecord& record) const;

  HostClient* host_;
  Clock clock_;
  std::shared_ptr<UploadShared> shared_ = std::make_shared<UploadShared>();
  DWORD windowThread_ = 0;
  std::atomic<bool> stopped_{false};

  mutable std::mutex lock_;
  // Guarded by lock_.
  std::map<uint32_t, std::unique_ptr<UploadRecord>> records_;
  // Cut by the user: kept until the client's last call (Ended).
  std::map<uint32_t, std::unique_ptr<UploadRecord>> retiring_;

  std::vector<Row> rows_;
  ProgressBarCell progressBar_;

  GreenChannelSet greenChannel_;
  TemporaryChannelTable temporaryChannels_;
  int32_t maxTunnels_ = 0, memberTunnels_ = 0;

  std::shared_ptr<UploadRecordReport> report_ = std::make_shared<UploadRecordReport>();
  std::string trafficLogPath_;
  uint32_t user_ = 0;
  ServerSettings::Values settings_;
  bool startupReportStarted_ = false;
  int64_t lastReportStart_ = 0;
  std::vector<win::UniqueThread> reportThreads_;
};
