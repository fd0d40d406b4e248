#include "share/IniFile.h"

#include <cstdlib>

#include "share/CodePageText.h"
#include "share/FileBytes.h"

namespace {

std::string Trim(const std::string& text) {
  size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t");
  return text.substr(start, end - start + 1);
}

std::string Unquote(const std::string& value) {
  bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
  return quoted ? value.substr(1, value.size() - 2) : value;
}

}  // namespace

bool IniFile::Load(const std::string& path) {
  std::string text;
  bool read = FileBytes::Read(path, text);
  Parse(text);
  return read;
}

void IniFile::Parse(const std::string& text) {
  lines_.clear();
  std::string section;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    Line line;
    line.text = text.substr(start, end - start);
    std::string trimmed = Trim(line.text);
    if (!trimmed.empty() && trimmed.front() == '[') {
      size_t close = trimmed.find(']');
      section = Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    } else if (size_t equals = trimmed.find('='); equals != std::string::npos && trimmed.front() != ';') {
      line.key = Trim(trimmed.substr(0, equals));
      line.value = Unquote(Trim(trimmed.substr(equals + 1)));
    }
    line.section = section;
    lines_.push_back(line);
    // A CR LF pair ends one line.
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

std::string IniFile::Text() const {
  std::string text;
  for (const Line& line : lines_) text += line.text + "\r\n";
  return text;
}

bool IniFile::Save(const std::string& path) const { return FileBytes::Write(path, Text()); }

const IniFile::Line* IniFile::Find(const std::string& section, const std::string& key) const {
  for (const Line& line : lines_) {
    if (!line.key.empty() && CodePageText::EqualsIgnoringCase(line.section, section) &&
        CodePageText::EqualsIgnoringCase(line.key, key)) {
      return &line;
    }
  }
  return nullptr;
}

std::string IniFile::Get(const std::string& section, const std::string& key, const std::string& fallback) const {
  const Line* line = Find(section, key);
  return line != nullptr && line->value.size() <= kMaxValue ? line->value : fallback;
}

int32_t IniFile::GetInt(const std::string& section, const std::string& key, int32_t fallback) const {
  const Line* line = Find(section, key);
  if (line == nullptr || line->value.size() > kMaxValue) return fallback;
  // A present value without digits reads as 0, as the profile functions read it.
  return static_cast<int32_t>(std::strtol(line->value.c_str(), nullptr, 10));
}

std::vector<std::pair<std::string, std::string>> IniFile::Entries(const std::string& section) const {
  std::vector<std::pair<std::string, std::string>> entries;
  for (const Line& line : lines_)
    if (!line.key.empty() && CodePageText::EqualsIgnoringCase(line.section, section) && line.value.size() <= kMaxValue)
      entries.emplace_back(line.key, line.value);
  return entries;
}

void IniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
  const std::string text = key + "=" + value;
  if (const Line* found = Find(section, key)) {
    Line& line = lines_[static_cast<size_t>(found - lines_.data())];
    line.text = text;
    line.value = value;
    return;
  }
  // After the last line of the section, or a new section at the end.
  size_t insertAt = lines_.size();
  bool sectionFound = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (CodePageText::EqualsIgnoringCase(lines_[i].section, section)) {
      sectionFound = true;
      if (!Trim(lines_[i].text).empty()) insertAt = i + 1;
    }
  }
  if (!sectionFound) {
    lines_.push_back(Line{"[" + section + "]", section, "", ""});
    insertAt = lines_.size();
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{text, section, key, value});
}
