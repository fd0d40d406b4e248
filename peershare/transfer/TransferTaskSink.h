#pragma once

#include <cstdint>

class HostSource;
class TaskSource;

// The callback interface of one download, handed to the client's
// StartDownload. The client calls it from its own threads; the declaration
// order is the binary contract, slot 0 first.
class TransferTaskSink {
 public:
  // slot 0: counters in bytes, speeds in bytes per second, fraction 0 to 1
  virtual void Progress(uint64_t downloaded, uint64_t uploaded, uint64_t unbilled, uint64_t fourth,
                        double downloadSpeed, double uploadSpeed, double fraction) = 0;
  // slot 1
  virtual void SetStatusText(const char* text) = 0;
  // slot 2: the whole file is on disk
  virtual void Complete() = 0;
  // slot 3: the last call the client makes on this sink
  virtual void Ended() = 0;
  // slot 4: the file now serves uploads
  virtual void HandedOver() = 0;
  // slot 5: a peer started serving the file; the answer is the record the
  // client reports that peer's progress to
  virtual TaskSource* NewSource(HostSource* source) = 0;
  // slot 6: always 1
  virtual int32_t Alive() = 0;

 protected:
  ~TransferTaskSink() = default;
};
