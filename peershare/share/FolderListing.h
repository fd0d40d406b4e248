#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Everything below a folder as the file system lists it, read without
// touching the share document. A folder's own entry comes before what it
// holds. Links to other folders are left out: they may lead back up the
// tree.
class FolderListing {
 public:
  // The parent of the entries directly in the listed folder.
  static constexpr size_t kTop = static_cast<size_t>(-1);

  struct Entry {
    size_t parent;  // the index of the folder entry that holds it, or kTop
    std::string name;
    std::string path;
    bool folder;
    uint32_t size;
  };

  // Lists `folder`, entering folders down to `levels` below it (0: only
  // the folder itself is listed). Ends early, incomplete, once `stop` is
  // signalled.
  static FolderListing Of(const std::string& folder, int levels, HANDLE stop = nullptr);

  const std::vector<Entry>& Entries() const { return entries_; }
  bool Complete() const { return complete_; }

 private:
  void List(const std::string& folder, size_t parent, int levelsLeft, HANDLE stop);
  bool Stopped(HANDLE stop);

  std::vector<Entry> entries_;
  bool complete_ = true;
};
