#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frame/XmlDocument.h"

// One HasUpload record of the TrafficLog: what a peer received from this
// machine, as the client's upload side wrote it.
struct TrafficRecord {
  XmlElement* element = nullptr;
  int64_t timestamp = 0;
  uint32_t friendId = 0;
  std::string realIp;
  uint64_t uploadNum = 0;
};

// The user's "transmitout%d.xml": root Transmit with one HasUpload element
// per upload record. The report reads it, takes out the records it handed to
// the operator's server and writes it back; the client appends to it.
class TrafficLog {
 public:
  static const char kDefaultText[];

  TrafficLog();
  // "%s/config/transmitout%d.xml" below the client data folder.
  static std::string PathFor(const std::string& dataFolder, uint32_t user);

  // Reads the file into the tree. When it cannot be read the tree holds the
  // empty default instead and the answer is false.
  bool Load(const std::string& path);
  bool Save() const;
  XmlDocument& Tree() { return *tree_; }

  struct Selection {
    std::vector<TrafficRecord> records;
    // HasUpload elements before the day whose timestamp, friendid or
    // uploadnum is no number: never sent, never removed.
    size_t skipped = 0;
  };
  // The HasUpload records below Transmit, in document order, whose timestamp
  // lies before `midnight`; records of later moments stay for a later day.
  Selection RecordsBefore(int64_t midnight) const;
  // Takes these records' elements out of the tree, in one pass.
  void Remove(const std::vector<TrafficRecord>& records);

 private:
  XmlElement* Root() const;

  std::unique_ptr<XmlDocument, XmlElement::Releaser> tree_;
  std::string path_;
};
