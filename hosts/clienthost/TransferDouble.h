#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "frame/HostTransfer.h"
#include "transfer/TransferTaskSink.h"

// How a simulated transfer runs on its own thread. With no step interval it
// does nothing by itself: the test drives it through the Report operations.
struct TransferPace {
  DWORD stepMilliseconds = 0;
  uint32_t bytesPerStep = 256 * 1024;
  int sources = 1;
  // After the last byte: complete, then hand over and end, or only end.
  bool handOver = true;
  bool refuseSources = false;
  // Where the file stands when the transfer starts.
  int32_t startPercent = 0;
};

// One peer of a simulated transfer.
class SourceDouble : public HostSource {
 public:
  SourceDouble(uint32_t peerId, std::string nickname, std::function<void(const std::string&)> log);
  int32_t Describe(SourceDescription* out) override;
  void SetSpeedLimits(int32_t inputKBps, int32_t outputKBps) override;
  uint32_t PeerId() const { return peerId_; }

 private:
  uint32_t peerId_;
  std::string nickname_;
  std::function<void(const std::string&)> log_;
};

// The client's transfer of one file: the operations the plug-in calls are
// logged; progress, status texts, sources, completion, hand-over and the end
// reach the plug-in's sink from the double's own threads. No sink call
// follows the end (operation 3), which comes once the plug-in stopped the
// transfer for a deletion, or after the last byte.
class TransferDouble : public HostTransfer {
 public:
  TransferDouble(TransferTaskSink* sink, std::string localPath, std::string hash, uint32_t size, TransferPace pace,
                 std::function<void(int, const std::string&)> log);
  ~TransferDouble();
  TransferDouble(const TransferDouble&) = delete;
  TransferDouble& operator=(const TransferDouble&) = delete;

  // HostTransfer: slots 1 to 7, 9, 12, 13 and 15; the others trap.
  void Slot0() override;
  void SetMode(int32_t mode, int32_t reserved) override;
  int32_t PlayerStream(char* text, int32_t* number) override;
  void Pause() override;
  void Resume() override;
  void Stop(int32_t deleting, int32_t closing) override;
  void Release() override;
  void SetSpeedLimits(int32_t inputKBps, int32_t outputKBps) override;
  void Slot8() override;
  HostSource* AddSource(TaskSource* source, uint32_t peerId, uint32_t peerTag, int32_t connectionKind, uint32_t ip,
                        uint32_t port, int32_t value4, int32_t value5) override;
  void Slot10() override;
  void Slot11() override;
  void ShowBlockMap() override;
  void RefreshSources() override;
  void Slot14() override;
  int32_t CurrentMode() override;

  // Sink calls from any thread; false once the transfer has ended.
  bool ReportProgress(uint64_t downloaded, uint64_t uploaded, uint64_t unbilled, double speed, double upSpeed,
                      double fraction);
  // Adds to the counters and reports them, in order with the other calls
  // of this kind: `unbilled` of the `bytes` cost nothing. False (and nothing
  // counted) once the transfer has ended.
  bool Advance(uint64_t bytes, uint64_t unbilled, double fraction);
  bool ReportStatus(const char* text);
  TaskSource* ReportSource(uint32_t peerId, const std::string& nickname);
  // A source's progress, through the record the plug-in gave for it.
  bool CallSource(TaskSource& source, int32_t percent, uint32_t speed);
  bool ReportComplete();
  bool ReportHandedOver();
  // Operation 3, once.
  void End();

  const std::string& LocalPath() const { return localPath_; }
  const std::string& Hash() const { return hash_; }
  uint32_t Size() const { return size_; }
  bool Ended() const { return ended_.load(); }
  bool Released() const { return released_.load(); }
  bool Paused() const { return paused_.load(); }
  // Bytes the double reported as downloaded and as unbilled so far.
  uint64_t Downloaded() const { return downloaded_.load(); }
  uint64_t Unbilled() const { return unbilled_.load(); }
  void AddUnbilled(uint64_t bytes) { unbilled_.fetch_add(bytes); }

 private:
  // Runs `call` on the sink unless the transfer has ended.
  bool CallSink(const std::function<void(TransferTaskSink&)>& call);
  void Simulate();
  void StopSimulation();
  void Trap(int slot);

  TransferTaskSink* sink_;
  std::string localPath_, hash_;
  uint32_t size_;
  TransferPace pace_;
  std::function<void(int, const std::string&)> log_;

  std::shared_mutex guard_;
  std::atomic<bool> ended_{false}, released_{false}, paused_{false}, stopping_{false};
  std::atomic<int32_t> mode_{1};
  std::atomic<uint64_t> downloaded_{0}, unbilled_{0};
  std::mutex sourcesLock_;
  std::vector<std::unique_ptr<SourceDouble>> sources_;
  std::mutex joinLock_;
  std::mutex progressLock_;
  std::thread simulation_, ender_;
};
