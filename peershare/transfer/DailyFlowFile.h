#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// "config\flowReport.dat" in the client's program folder: the uploaded MiB
// of one day. Eight bytes, little-endian, no header; the same layout in
// every build.
class DailyFlowFile {
 public:
  struct Record {
    uint32_t dayStamp = 0;  // a moment of the counted day, low 32 bits
    int32_t mebibytes = 0;
  };
  // The bytes as they lie in the file.
  struct Layout {
    uint8_t dayStamp[4];
    uint8_t mebibytes[4];
  };
  static constexpr size_t kSize = 8;

  explicit DailyFlowFile(std::string path) : path_(std::move(path)) {}
  static std::string PathIn(const std::string& programFolder);
  const std::string& Path() const { return path_; }

  static Layout Encode(const Record& record);
  static Record Decode(const Layout& bytes);

  // Both fields, when the file holds at least eight bytes; false for a
  // missing or shorter file.
  bool Read(Record& record) const;
  // Writes at the start of the file if it exists; never creates it. What
  // follows the eight bytes goes.
  bool Overwrite(const Record& record) const;
  // Creates or truncates the file and writes the record.
  bool Replace(const Record& record) const;

 private:
  bool Write(const Record& record, bool create) const;

  std::string path_;
};

static_assert(sizeof(DailyFlowFile::Layout) == DailyFlowFile::kSize, "the file is eight bytes");
static_assert(offsetof(DailyFlowFile::Layout, mebibytes) == 4, "the count follows the day stamp");
