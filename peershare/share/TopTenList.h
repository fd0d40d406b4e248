#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// One row of the top-ten list.
struct TopTenEntry {
  int32_t position = 0;  // 1 to 10
  int32_t value = 0;
  std::string hash;
  std::string fileName;
  uint32_t size = 0;
  int32_t fileType = 0;
  std::string text;
};

// The top-ten list and its file ("topten.ini" in the config folder below the
// executable folder): section "topten" key "date", sections "no1" to "no10"
// with "size", "fileType", "hash" and "filename". The rows belong to the
// window thread; the file may also be replaced by the share worker.
class TopTenList {
 public:
  static constexpr int kPositions = 10;

  // executableFolder: the client's executable folder.
  explicit TopTenList(const std::string& executableFolder);

  const std::string& FilePath() const { return path_; }
  // year * 360 + month * 30 + day.
  static int32_t DayNumber(const SYSTEMTIME& day);
  // The "date" of the file; 0 when it has none.
  int32_t FileDate() const;
  // Replaces the file with a downloaded one; the old file stays on failure.
  bool ReplaceFile(const std::string& content);

  // Replaces the row of that position (1 to 10; others are ignored), keeping
  // the rows in position order; with `save` the entry and `today`'s day
  // number go to the file.
  void AddTopTenEntry(const TopTenEntry& entry, bool save, const SYSTEMTIME& today);
  // Reads the rows of the file again: every entry whose "size" is not 0.
  void Reload();

  const std::vector<TopTenEntry>& Rows() const { return rows_; }
  // "%d. %s": position and file name.
  static std::string RowText(const TopTenEntry& entry);

 private:
  void SetRow(const TopTenEntry& entry);

  std::string path_;
  std::vector<TopTenEntry> rows_;
  mutable std::mutex fileLock_;
};
