#include "share/DroppedFolder.h"

#include <algorithm>
#include <unordered_map>

#include "frame/XmlElement.h"
#include "share/ShareDocument.h"

namespace {

bool IsAtOrBelow(const XmlElement* element, const XmlElement& ancestor) {
  for (; element != nullptr; element = element->Parent())
    if (element == &ancestor) return true;
  return false;
}

}  // namespace

void DroppedFolder::SetListing(FolderListing listing) {
  listing_ = std::move(listing);
  listed_ = true;
  made_.assign(listing_.Entries().size(), nullptr);
}

bool DroppedFolder::AddNext(ShareDocument& document, size_t count) {
  const std::vector<FolderListing::Entry>& entries = listing_.Entries();
  // The user may add sub-categories between two batches: the dirs are
  // looked up again in every batch, then counted on.
  std::unordered_map<const XmlElement*, long> largestDirs;
  const size_t end = next_ + std::min(count, entries.size() - next_);
  for (; next_ < end; ++next_) {
    const FolderListing::Entry& entry = entries[next_];
    XmlElement* parent = entry.parent == FolderListing::kTop ? category_ : made_[entry.parent];
    if (parent == nullptr) continue;
    if (!entry.folder) {
      document.AddFile(*parent, entry.path, "", entry.size);
      continue;
    }
    auto largest = largestDirs.find(parent);
    if (largest == largestDirs.end()) largest = largestDirs.emplace(parent, ShareDocument::LargestDir(*parent)).first;
    made_[next_] = document.AddCategory(*parent, entry.name, ++largest->second);
  }
  return next_ >= entries.size();
}

void DroppedFolder::Forget(const XmlElement& removed) {
  if (IsAtOrBelow(category_, removed)) {
    Cancel();
    return;
  }
  for (XmlElement*& made : made_)
    if (IsAtOrBelow(made, removed)) made = nullptr;
}

void DroppedFolder::Cancel() {
  category_ = nullptr;
  std::fill(made_.begin(), made_.end(), nullptr);
}
