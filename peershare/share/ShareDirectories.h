#pragma once

#include <string>
#include <vector>

// The media folders of "shareDirectory.ini" in the config folder below the
// client's executable folder, section "tovak". Read only: the plug-in never
// writes the file.
class ShareDirectories {
 public:
  // The folders the watch thread follows at most.
  static constexpr size_t kMaxWatched = 10;

  // A missing file reads as no folders and "vodSystem" 0.
  static ShareDirectories Read(const std::string& executableFolder);

  // "vodSystem": run the folder watch and the media rescans.
  bool VodSystem() const { return vodSystem_; }
  // "directory1" up to "directory<shareDirectoryCount>", in that order;
  // values shorter than 4 characters are left out.
  const std::vector<std::string>& Folders() const { return folders_; }

 private:
  bool vodSystem_ = false;
  std::vector<std::string> folders_;
};
