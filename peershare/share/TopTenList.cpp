#include "share/TopTenList.h"

#include <algorithm>
#include <cstdlib>

#include "share/FileBytes.h"
#include "share/IniFile.h"

namespace {

constexpr const char* kDateSection = "topten";

std::string EntrySection(int32_t position) { return "no" + std::to_string(position); }

}  // namespace

TopTenList::TopTenList(const std::string& executableFolder) : path_(executableFolder + "/config/topten.ini") {}

int32_t TopTenList::DayNumber(const SYSTEMTIME& day) { return day.wYear * 360 + day.wMonth * 30 + day.wDay; }

int32_t TopTenList::FileDate() const {
  std::lock_guard<std::mutex> guard(fileLock_);
  IniFile file;
  file.Load(path_);
  return file.GetInt(kDateSection, "date", 0);
}

bool TopTenList::ReplaceFile(const std::string& content) {
  std::lock_guard<std::mutex> guard(fileLock_);
  return FileBytes::Write(path_, content);
}

std::string TopTenList::RowText(const TopTenEntry& entry) {
  return std::to_string(entry.position) + ". " + entry.fileName;
}

void TopTenList::SetRow(const TopTenEntry& entry) {
  auto place = std::lower_bound(rows_.begin(), rows_.end(), entry.position,
                                [](const TopTenEntry& row, int32_t position) { return row.position < position; });
  if (place != rows_.end() && place->position == entry.position) {
    *place = entry;
  } else {
    rows_.insert(place, entry);
  }
}

void TopTenList::AddTopTenEntry(const TopTenEntry& entry, bool save, const SYSTEMTIME& today) {
  if (entry.position < 1 || entry.position > kPositions) return;
  SetRow(entry);
  if (!save) return;
  std::lock_guard<std::mutex> guard(fileLock_);
  IniFile file;
  file.Load(path_);
  const std::string section = EntrySection(entry.position);
  file.Set(section, "size", std::to_string(entry.size));
  file.Set(section, "fileType", std::to_string(entry.fileType));
  file.Set(section, "hash", entry.hash);
  file.Set(section, "filename", entry.fileName);
  file.Set(kDateSection, "date", std::to_string(DayNumber(today)));
  file.Save(path_);
}

void TopTenList::Reload() {
  IniFile file;
  {
    std::lock_guard<std::mutex> guard(fileLock_);
    file.Load(path_);
  }
  rows_.clear();
  for (int32_t position = 1; position <= kPositions; ++position) {
    const std::string section = EntrySection(position);
    TopTenEntry entry;
    entry.position = position;
    entry.size = static_cast<uint32_t>(std::strtoul(file.Get(section, "size", "0").c_str(), nullptr, 10));
    if (entry.size == 0) continue;
    entry.fileType = file.GetInt(section, "fileType", 0);
    entry.hash = file.Get(section, "hash");
    entry.fileName = file.Get(section, "filename");
    rows_.push_back(entry);
  }
}
