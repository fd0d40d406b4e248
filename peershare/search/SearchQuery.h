#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One query of the search bar: the keyword (at most 64 bytes of code page
// 936, leading blanks cut), the file type (index in the type list, 0 to 8),
// the target peer number (0: "全部") and the scope (1: "外网").
struct SearchQuery {
  static constexpr size_t kKeywordMax = 64;
  static constexpr int32_t kFileTypes = 9;
  static constexpr const char* kPlaceholder = "请输入影片名";

  std::string keyword;
  int32_t fileType = 0;
  uint32_t target = 0;
  int32_t scope = 0;

  bool HasKeyword() const { return !keyword.empty(); }
  bool HasTarget() const { return target != 0; }
  // The tab's title: the keyword or "空搜索", while searching followed by a
  // blank and "[正在搜索]".
  std::string Title(bool searching) const;

  // The longest start of the text that fits the keyword without splitting a
  // double-byte character.
  static std::string CutKeyword(std::string_view text);
  static std::string WithoutLeadingBlanks(std::string_view text);

  enum class Target { All, Number, Invalid };
  // The target list's text: one containing "全部" (and an empty one) names
  // no peer; otherwise every character must be a digit and the value a
  // 32-bit number. A number of 0 names no peer either. `number` is set for
  // Number only.
  static Target ParseTarget(std::string_view text, uint32_t& number);
};
