#pragma once

#include <cstdint>

// The client's objects for one download and for one peer that serves it.
// The client built their tables of operations: the declaration order is the
// binary contract, slots the plug-in never calls are kept as placeholders,
// and no destructor is declared (the client frees its own objects).
class TaskSource;

// What a serving peer says about itself; fixed-width fields, the same in both
// builds.
struct SourceDescription {
  uint32_t peerId;
  uint32_t peerTag;
  int32_t percent;
  char nickname[64];
};
static_assert(sizeof(SourceDescription) == 76, "the client fills 76 bytes");

class HostSource {
 public:
  // slot 0: nonzero when `out` was filled
  virtual int32_t Describe(SourceDescription* out) = 0;
  // slot 1: KB/s
  virtual void SetSpeedLimits(int32_t inputKBps, int32_t outputKBps) = 0;

 protected:
  ~HostSource() = default;
};

// Transfer modes.
constexpr int32_t kModeRandom = 1, kModeSequential = 2, kModePlay = 3;

class HostTransfer {
 public:
  virtual void Slot0() = 0;
  // slot 1: mode 1 random, 2 sequential, 3 play; the second argument is 0
  virtual void SetMode(int32_t mode, int32_t reserved) = 0;
  // slot 2: `text` holds kHostTextMax bytes; nonzero when the player can start
  virtual int32_t PlayerStream(char* text, int32_t* number) = 0;
  // slots 3 to 7
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  // (1, 0) when the user deletes the download: the client ends the transfer
  // later through the sink; (0, 1) when the plug-in shuts down.
  virtual void Stop(int32_t deleting, int32_t closing) = 0;
  virtual void Release() = 0;
  virtual void SetSpeedLimits(int32_t inputKBps, int32_t outputKBps) = 0;
  virtual void Slot8() = 0;
  // slot 9: the source's handle, or null when refused; the connection values
  // come from the search result or link unchanged
  virtual HostSource* AddSource(TaskSource* source, uint32_t peerId, uint32_t peerTag, int32_t connectionKind,
                                uint32_t ip, uint32_t port, int32_t value4, int32_t value5) = 0;
  virtual void Slot10() = 0;
  virtual void Slot11() = 0;
  // slots 12 and 13
  virtual void ShowBlockMap() = 0;
  virtual void RefreshSources() = 0;
  virtual void Slot14() = 0;
  // slot 15: 1 random, 2 sequential, any other value play
  virtual int32_t CurrentMode() = 0;

 protected:
  ~HostTransfer() = default;
};
