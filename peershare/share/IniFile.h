#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A sectioned "key=value" text, read and written whole. Sections and keys
// are matched without regard to case, values lose surrounding blanks and
// quotes, as the system's profile functions read them. Saving replaces the
// file through a temporary file, so a reader never sees half of it.
class IniFile {
 public:
  // Values longer than this are refused as too long to be meant.
  static constexpr size_t kMaxValue = 1023;

  IniFile() = default;
  explicit IniFile(const std::string& text) { Parse(text); }

  // False when the file cannot be read; the content is then empty.
  bool Load(const std::string& path);
  void Parse(const std::string& text);
  bool Save(const std::string& path) const;
  std::string Text() const;

  // The value, or `fallback` when the key is missing or its value is longer
  // than kMaxValue.
  std::string Get(const std::string& section, const std::string& key, const std::string& fallback = "") const;
  // The leading decimal number of the value (with an optional sign), 0 for
  // a value without one, `fallback` when the key is missing.
  int32_t GetInt(const std::string& section, const std::string& key, int32_t fallback) const;
  // The keys of a section with their values, in file order.
  std::vector<std::pair<std::string, std::string>> Entries(const std::string& section) const;
  // Replaces the key's value, adding the key (and its section) when missing.
  void Set(const std::string& section, const std::string& key, const std::string& value);

 private:
  struct Line {
    std::string text;
    std::string section;  // the section the line belongs to
    std::string key;      // empty for section headers, comments and blanks
    std::string value;
  };
  const Line* Find(const std::string& section, const std::string& key) const;

  std::vector<Line> lines_;
};
