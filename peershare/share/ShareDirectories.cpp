#include "share/ShareDirectories.h"

#include <cstdlib>
#include <map>

#include "share/CodePageText.h"
#include "share/IniFile.h"

namespace {

constexpr const char* kSection = "tovak";
constexpr const char* kKeyPrefix = "directory";
constexpr size_t kShortestFolder = 4;

// The number of a "directory%d" key, or 0 for any other key.
long DirectoryNumber(const std::string& key) {
  const size_t prefix = std::char_traits<char>::length(kKeyPrefix);
  if (key.size() <= prefix || !CodePageText::EqualsIgnoringCase(key.substr(0, prefix), kKeyPrefix)) return 0;
  char* end = nullptr;
  long number = std::strtol(key.c_str() + prefix, &end, 10);
  return *end == '\0' && key[prefix] != '-' && key[prefix] != '+' ? number : 0;
}

}  // namespace

ShareDirectories ShareDirectories::Read(const std::string& executableFolder) {
  IniFile ini;
  ini.Load(executableFolder + "\\config\\shareDirectory.ini");
  ShareDirectories directories;
  directories.vodSystem_ = ini.GetInt(kSection, "vodSystem", 0) != 0;
  const long count = ini.GetInt(kSection, "shareDirectoryCount", 0);
  // The keys present are walked, not the numbers up to the count: a count of
  // a million with three entries costs three lookups.
  std::map<long, std::string> numbered;
  for (const auto& [key, value] : ini.Entries(kSection)) {
    long number = DirectoryNumber(key);
    if (number >= 1 && number <= count && value.size() >= kShortestFolder) numbered.emplace(number, value);
  }
  for (auto& [number, folder] : numbered) directories.folders_.push_back(std::move(folder));
  return directories;
}
