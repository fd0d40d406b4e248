#pragma once

#include <cstdint>
#include <string>

// The client's folders and the plug-in's keys of "custom.ini" (section
// "tovak", in the executable folder). A missing file or key gives the default.
class ClientConfig {
 public:
  // executableFolder: the folder of the client's program, without trailing
  // separator.
  explicit ClientConfig(std::string executableFolder);

  // The folder of the running program.
  static std::string RunningProgramFolder();

  const std::string& ExecutableFolder() const { return executableFolder_; }
  // The executable folder without its last element; empty when it has none.
  const std::string& DataFolder() const { return dataFolder_; }
  std::string IniPath() const;

  // Reads every key again.
  void Read();

  bool ShowFriend() const { return showFriend_; }
  int32_t SyncDownloadLimit() const { return syncDownloadLimit_; }
  bool ShowIE() const { return showIE_; }
  int32_t AppServer() const { return appServer_; }

 private:
  int32_t ReadInt(const char* key, int32_t fallback) const;

  std::string executableFolder_;
  std::string dataFolder_;
  bool showFriend_ = true;
  int32_t syncDownloadLimit_ = 3;
  bool showIE_ = true;
  int32_t appServer_ = 0;
};

// Unfiltered mode: HKEY_CLASSES_ROOT\Tovak.Document, value "FilterFlags"
// reading as the number 0x10000.
bool ReadUnfilteredMode();
