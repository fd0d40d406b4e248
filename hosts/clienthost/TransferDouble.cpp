#include "TransferDouble.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "transfer/TaskSource.h"

namespace {

std::string Line(const char* format, ...) {
  char line[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  return line;
}

}  // namespace

SourceDouble::SourceDouble(uint32_t peerId, std::string nickname, std::function<void(const std::string&)> log)
    : peerId_(peerId), nickname_(std::move(nickname)), log_(std::move(log)) {}

int32_t SourceDouble::Describe(SourceDescription* out) {
  if (out == nullptr) return 0;
  *out = {};
  out->peerId = peerId_;
  out->peerTag = peerId_ ^ 0x5A5A;
  out->percent = 100;
  std::snprintf(out->nickname, sizeof out->nickname, "%s", nickname_.c_str());
  return 1;
}

void SourceDouble::SetSpeedLimits(int32_t inputKBps, int32_t outputKBps) {
  log_(Line("source %u SetSpeedLimits(%d, %d)", peerId_, inputKBps, outputKBps));
}

TransferDouble::TransferDouble(TransferTaskSink* sink, std::string localPath, std::string hash, uint32_t size,
                               TransferPace pace, std::function<void(int, const std::string&)> log)
    : sink_(sink),
      localPath_(std::move(localPath)),
      hash_(std::move(hash)),
      size_(size),
      pace_(pace),
      log_(std::move(log)) {
  if (pace_.stepMilliseconds > 0 && sink_ != nullptr) simulation_ = std::thread(&TransferDouble::Simulate, this);
}

TransferDouble::~TransferDouble() {
  if (ender_.joinable()) ender_.join();
  StopSimulation();
}

void TransferDouble::Trap(int slot) {
  log_(slot, Line("TRAP: HostTransfer slot %d is not part of the contract", slot));
  std::fflush(nullptr);
  __builtin_trap();
}

void TransferDouble::Slot0() { Trap(0); }
void TransferDouble::Slot8() { Trap(8); }
void TransferDouble::Slot10() { Trap(10); }
void TransferDouble::Slot11() { Trap(11); }
void TransferDouble::Slot14() { Trap(14); }

void TransferDouble::SetMode(int32_t mode, int32_t reserved) {
  log_(1, Line("transfer %s SetMode(%d, %d)", hash_.c_str(), mode, reserved));
  mode_.store(mode);
}

int32_t TransferDouble::PlayerStream(char* text, int32_t* number) {
  log_(2, Line("transfer %s PlayerStream()", hash_.c_str()));
  if (text == nullptr || number == nullptr) return 0;
  std::snprintf(text, 260, "stream-%s", hash_.c_str());
  *number = 8901;
  return 1;
}

void TransferDouble::Pause() {
  log_(3, Line("transfer %s Pause()", hash_.c_str()));
  paused_.store(true);
}

void TransferDouble::Resume() {
  log_(4, Line("transfer %s Resume()", hash_.c_str()));
  paused_.store(false);
}

// A deletion ends the transfer later, from a thread of the client's; at
// shutdown nothing reaches the sink any more once Stop returns.
void TransferDouble::Stop(int32_t deleting, int32_t closing) {
  log_(5, Line("transfer %s Stop(%d, %d)", hash_.c_str(), deleting, closing));
  if (closing != 0) {
    StopSimulation();
    std::unique_lock<std::shared_mutex> hold(guard_);
    ended_.store(true);
    return;
  }
  if (deleting != 0 && !ender_.joinable()) {
    ender_ = std::thread([this] {
      StopSimulation();
      End();
    });
  }
}

void TransferDouble::Release() {
  log_(6, Line("transfer %s Release()", hash_.c_str()));
  released_.store(true);
}

void TransferDouble::SetSpeedLimits(int32_t inputKBps, int32_t outputKBps) {
  log_(7, Line("transfer %s SetSpeedLimits(%d, %d)", hash_.c_str(), inputKBps, outputKBps));
}

HostSource* TransferDouble::AddSource(TaskSource* source, uint32_t peerId, uint32_t peerTag, int32_t connectionKind,
                                      uint32_t ip, uint32_t port, int32_t value4, int32_t value5) {
  log_(9, Line("transfer %s AddSource(%p, %u, %u, %d, 0x%08X, %u, %d, %d)", hash_.c_str(), static_cast<void*>(source),
               peerId, peerTag, connectionKind, ip, port, value4, value5));
  if (pace_.refuseSources || source == nullptr) return nullptr;
  std::lock_guard<std::mutex> hold(sourcesLock_);
  sources_.push_back(std::make_unique<SourceDouble>(peerId, "peer" + std::to_string(peerId),
                                                    [this](const std::string& line) { log_(9, line); }));
  return sources_.back().get();
}

void TransferDouble::ShowBlockMap() { log_(12, Line("transfer %s ShowBlockMap()", hash_.c_str())); }
void TransferDouble::RefreshSources() { log_(13, Line("transfer %s RefreshSources()", hash_.c_str())); }

int32_t TransferDouble::CurrentMode() {
  log_(15, Line("transfer %s CurrentMode()", hash_.c_str()));
  return mode_.load();
}

bool TransferDouble::CallSink(const std::function<void(TransferTaskSink&)>& call) {
  std::shared_lock<std::shared_mutex> hold(guard_);
  if (ended_.load() || sink_ == nullptr) return false;
  call(*sink_);
  return true;
}

bool TransferDouble::ReportProgress(uint64_t downloaded, uint64_t uploaded, uint64_t unbilled, double speed,
                                    double upSpeed, double fraction) {
  return CallSink([&](TransferTaskSink& sink) {
    sink.Progress(downloaded, uploaded, unbilled, 0, speed, upSpeed, fraction);
    downloaded_.store(std::max(downloaded_.load(), downloaded));
  });
}

bool TransferDouble::Advance(uint64_t bytes, uint64_t unbilled, double fraction) {
  std::lock_guard<std::mutex> order(progressLock_);
  return CallSink([&](TransferTaskSink& sink) {
    uint64_t downloaded = downloaded_.load() + bytes, free = unbilled_.load() + unbilled;
    sink.Progress(downloaded, 0, free, 0, static_cast<double>(bytes), 0, fraction);
    downloaded_.store(downloaded);
    unbilled_.store(free);
  });
}

bool TransferDouble::ReportStatus(const char* text) {
  return CallSink([&](TransferTaskSink& sink) { sink.SetStatusText(text); });
}

TaskSource* TransferDouble::ReportSource(uint32_t peerId, const std::string& nickname) {
  SourceDouble* source = nullptr;
  {
    std::lock_guard<std::mutex> hold(sourcesLock_);
    sources_.push_back(std::make_unique<SourceDouble>(peerId, nickname, [this](const std::string& line) { log_(9, line); }));
    source = sources_.back().get();
  }
  TaskSource* record = nullptr;
  CallSink([&](TransferTaskSink& sink) { record = sink.NewSource(source); });
  return record;
}

bool TransferDouble::CallSource(TaskSource& source, int32_t percent, uint32_t speed) {
  return CallSink([&](TransferTaskSink&) { source.Progress(percent, speed, 0, 0); });
}

bool TransferDouble::ReportComplete() {
  return CallSink([](TransferTaskSink& sink) { sink.Complete(); });
}

bool TransferDouble::ReportHandedOver() {
  return CallSink([](TransferTaskSink& sink) { sink.HandedOver(); });
}

void TransferDouble::End() {
  {
    std::unique_lock<std::shared_mutex> hold(guard_);
    if (ended_.exchange(true) || sink_ == nullptr) return;
  }
  sink_->Ended();
}

void TransferDouble::StopSimulation() {
  stopping_.store(true);
  std::lock_guard<std::mutex> hold(joinLock_);
  if (simulation_.joinable() && simulation_.get_id() != std::this_thread::get_id()) simulation_.join();
}

void TransferDouble::Simulate() {
  for (int i = 0; i < pace_.sources; ++i) {
    TaskSource* source = ReportSource(30001 + i, "peer" + std::to_string(i + 1));
    uint32_t share = pace_.bytesPerStep * 1000 / std::max<DWORD>(pace_.stepMilliseconds, 1) / pace_.sources;
    if (source != nullptr) CallSource(*source, 100 - 10 * i, share);
  }
  ReportStatus("正在下载");
  uint64_t done = static_cast<uint64_t>(size_) * std::clamp(pace_.startPercent, 0, 100) / 100;
  while (!stopping_.load()) {
    Sleep(pace_.stepMilliseconds);
    if (stopping_.load()) return;
    if (paused_.load()) continue;
    done = std::min<uint64_t>(done + pace_.bytesPerStep, size_);
    double speed = pace_.bytesPerStep * 1000.0 / pace_.stepMilliseconds;
    ReportProgress(done, done / 4, 0, speed, speed / 4, size_ > 0 ? static_cast<double>(done) / size_ : 1.0);
    if (done < size_) continue;
    ReportStatus("下载完成");
    ReportComplete();
    if (pace_.handOver) ReportHandedOver();
    End();
    return;
  }
}
