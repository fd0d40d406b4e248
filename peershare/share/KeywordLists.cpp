#include "share/KeywordLists.h"

#include "share/CodePageText.h"
#include "share/FileBytes.h"
#include "share/Md5.h"

KeywordLists::KeywordLists(const std::string& dataFolder)
    : fullPath_(dataFolder + "/config/filter.txt"),
      shortPath_(dataFolder + "/config/litefilter.txt"),
      full_(std::make_shared<List>()),
      short_(std::make_shared<List>()) {}

const std::string& KeywordLists::FilePath(Which which) const {
  return which == Which::Full ? fullPath_ : shortPath_;
}

void KeywordLists::LoadFiles() {
  for (Which which : {Which::Full, Which::Short}) {
    std::string content;
    if (FileBytes::Read(FilePath(which), content, kMaxFileBytes)) Replace(which, content);
  }
}

void KeywordLists::LoadFullListFirst() {
  std::string content;
  if (!FileBytes::Read(fullPath_, content, kMaxFileBytes)) return;
  Replace(Which::Full, content);
  if (Keywords(Which::Full)->empty()) return;
  if (FileBytes::Read(shortPath_, content, kMaxFileBytes)) Replace(Which::Short, content);
}

KeywordLists::List KeywordLists::SplitLines(const std::string& content) {
  List lines;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find_first_of("\r\n", start);
    if (end == std::string::npos) end = content.size();
    if (end > start) lines.push_back(content.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

void KeywordLists::Replace(Which which, const std::string& content) {
  auto list = std::make_shared<const List>(SplitLines(content));
  std::lock_guard<std::mutex> guard(lock_);
  Slot(which) = std::move(list);
}

std::shared_ptr<const KeywordLists::List> KeywordLists::Keywords(Which which) const {
  std::lock_guard<std::mutex> guard(lock_);
  return which == Which::Full ? full_ : short_;
}

bool KeywordLists::IsFiltered(Which which, std::string_view text) const {
  std::shared_ptr<const List> list = Keywords(which);
  for (const std::string& keyword : *list)
    if (CodePageText::Contains(text, keyword)) return true;
  return false;
}

bool KeywordLists::HidesFriendFile(std::string_view path, std::string_view md5, bool inCollection,
                                   const ServerSettings::Values& settings, bool unfiltered) const {
  if (md5 == Md5::kPlaceholder) return true;
  if (unfiltered) return false;
  bool switchOn = inCollection ? settings.filterZhenCang != 0 : settings.filterFriend != 0;
  return switchOn && IsFiltered(Which::Full, path);
}

bool KeywordLists::FiltersSearchResult(std::string_view name, bool searchHasKeyword, bool unfiltered) const {
  return !unfiltered && IsFiltered(searchHasKeyword ? Which::Short : Which::Full, name);
}
