#include "search/SearchQuery.h"

#include "share/CodePageText.h"
#include "transfer/FieldText.h"

std::string SearchQuery::Title(bool searching) const {
  std::string title = HasKeyword() ? keyword : "空搜索";
  return searching ? title + " [正在搜索]" : title;
}

std::string SearchQuery::CutKeyword(std::string_view text) { return FieldText::Cut(text, kKeywordMax); }

std::string SearchQuery::WithoutLeadingBlanks(std::string_view text) {
  size_t start = text.find_first_not_of(" \t\r\n\v\f");
  return start == std::string_view::npos ? std::string() : std::string(text.substr(start));
}

SearchQuery::Target SearchQuery::ParseTarget(std::string_view text, uint32_t& number) {
  if (text.empty() || CodePageText::Contains(text, "全部")) return Target::All;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return Target::Invalid;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > UINT32_MAX) return Target::Invalid;
  }
  if (value == 0) return Target::All;
  number = static_cast<uint32_t>(value);
  return Target::Number;
}
