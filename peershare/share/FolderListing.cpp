#include "share/FolderListing.h"

#include "win/Handles.h"

namespace {

// How many entries are listed between two looks at the stop event.
constexpr size_t kEntriesPerStopCheck = 256;

std::string Joined(const std::string& folder, const std::string& name) {
  bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
  return separated ? folder + name : folder + "\\" + name;
}

}  // namespace

FolderListing FolderListing::Of(const std::string& folder, int levels, HANDLE stop) {
  FolderListing listing;
  if (levels >= 0 && !folder.empty()) listing.List(folder, kTop, levels, stop);
  return listing;
}

bool FolderListing::Stopped(HANDLE stop) {
  if (stop == nullptr || entries_.size() % kEntriesPerStopCheck != 0) return false;
  if (WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) complete_ = false;
  return !complete_;
}

void FolderListing::List(const std::string& folder, size_t parent, int levelsLeft, HANDLE stop) {
  WIN32_FIND_DATAA found;
  win::UniqueFind find(FindFirstFileA(Joined(folder, "*.*").c_str(), &found));
  if (!find) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const bool folderEntry = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folderEntry && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    entries_.push_back(Entry{parent, name, Joined(folder, name), folderEntry, found.nFileSizeLow});
    if (folderEntry && levelsLeft > 0) {
      // A copy: the entries move as they grow.
      const std::string path = entries_.back().path;
      List(path, entries_.size() - 1, levelsLeft - 1, stop);
    }
    if (!complete_ || Stopped(stop)) return;
  } while (FindNextFileA(find.Get(), &found));
}
