#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "share/ServerSettings.h"

// The operator's two keyword lists, each kept in a file below the client
// data folder and in memory: the full list ("filter.txt") and the short
// list ("litefilter.txt"). A list is replaced as a whole; readers on other
// threads keep the list they started with.
class KeywordLists {
 public:
  enum class Which { Full, Short };
  using List = std::vector<std::string>;
  // A list file larger than this is refused.
  static constexpr size_t kMaxFileBytes = 10u * 1024 * 1024;

  // dataFolder: the client data folder.
  explicit KeywordLists(const std::string& dataFolder);

  const std::string& FilePath(Which which) const;
  // Reads both files into memory; a missing file leaves its list as it is.
  void LoadFiles();
  // The search centre's reading: the full list first; without a full list
  // file nothing is read, and a full list without keywords leaves the short
  // list unread.
  void LoadFullListFirst();
  // Replaces a list with the keywords of a file's content.
  void Replace(Which which, const std::string& content);
  std::shared_ptr<const List> Keywords(Which which) const;

  // One keyword a line; line ends (CR, LF or both) dropped, empty lines skipped.
  static List SplitLines(const std::string& content);

  // Whether the text contains any keyword of the list.
  bool IsFiltered(Which which, std::string_view text) const;
  // A friend's file is hidden when its digest is the placeholder, or, unless
  // filtering is off, when its path is filtered by the full list and the
  // switch of its category (FilterZhenCang for 珍藏, FilterFriend for the
  // others) is set.
  bool HidesFriendFile(std::string_view path, std::string_view md5, bool inCollection,
                       const ServerSettings::Values& settings, bool unfiltered) const;
  // A search result's name is checked against the short list when the search
  // had a keyword, against the full list when it had none.
  bool FiltersSearchResult(std::string_view name, bool searchHasKeyword, bool unfiltered) const;

 private:
  std::shared_ptr<const List>& Slot(Which which) { return which == Which::Full ? full_ : short_; }

  std::string fullPath_, shortPath_;
  mutable std::mutex lock_;
  std::shared_ptr<const List> full_, short_;
};
