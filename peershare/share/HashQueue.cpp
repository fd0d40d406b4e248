#include "share/HashQueue.h"

#include <cstdlib>

#include "share/ShareCategories.h"

namespace {

constexpr unsigned long long kTicksPerSecond = 10000000ULL;
// 100-nanosecond ticks from 1601 to 1970.
constexpr unsigned long long kTicksTo1970 = 116444736000000000ULL;

}  // namespace

long long HashQueue::SecondsSince1970(const FILETIME& time) {
  unsigned long long ticks = static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
  return static_cast<long long>(ticks / kTicksPerSecond) - static_cast<long long>(kTicksTo1970 / kTicksPerSecond);
}

bool HashQueue::ModificationTime(const std::string& path, long long& seconds, unsigned long long* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  seconds = SecondsSince1970(data.ftLastWriteTime);
  if (size != nullptr) *size = static_cast<unsigned long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return true;
}

bool HashQueue::NeedsHashing(const XmlElement& file) {
  if (AttributeOf(file, "MD5").empty()) return true;
  std::string path;
  file.GetChildText("filePath", path);
  long long modified = 0;
  if (!ModificationTime(path, modified)) return true;
  return std::strtoll(AttributeOf(file, "time").c_str(), nullptr, 10) != modified;
}

void HashQueue::Build(ShareDocument& document) {
  for (auto& list : lists_) list.clear();
  XmlElement* root = document.Root();
  if (root == nullptr) return;
  for (size_t i = 0; i < root->ChildCount(); ++i) {
    XmlElement* category = root->Child(i);
    if (category->Name() != "Type") continue;
    int code = ShareCategories::QueueCode(AttributeOf(*category, "name"));
    if (code == 0) continue;
    XmlElement::List files;
    category->FindAll(files, true, "file");
    for (XmlElement* file : files) {
      bool reShare = AttributeOf(*file, "reShare") == "1";
      if (reShare) file->SetAttribute("reShare", "0");
      if (reShare || NeedsHashing(*file)) lists_[code].push_back(file);
    }
  }
}

XmlElement* HashQueue::TakeFirst(int& code) {
  for (code = 0; code < kCodes; ++code) {
    if (lists_[code].empty()) continue;
    XmlElement* file = lists_[code].front();
    lists_[code].pop_front();
    return file;
  }
  code = 0;
  return nullptr;
}

bool HashQueue::Empty() const {
  for (const auto& list : lists_)
    if (!list.empty()) return false;
  return true;
}
