#pragma once

#include <cstdint>
#include <mutex>
#include <string>

// The settings the operator's server hands out ("/tovakup/filter.ini",
// section "tovak"). Written by the share worker after each successful fetch,
// read by the windows through copies.
class ServerSettings {
 public:
  struct Values {
    int32_t keywordDownload = 0;
    int32_t filterEmptySearch = 0;
    int32_t filterFriend = 1;
    int32_t filterZhenCang = 1;
    int32_t filterPeerId = 1;
    int32_t adVersion = 1;
    int32_t uploadRecord = 0;
    std::string uploadUrl;
    std::string top10;  // host, "/", path
    int32_t top10Date = 0;
    std::string mailHashId;
    std::string mailUrl;
    int32_t mailMaxCopy = 50;
    std::string liteFilterLibUrl, liteFilterHashId;
    std::string filterLibUrl, filterHashId;

    // The upload records are reported only with both keys set.
    bool UploadRecordsEnabled() const { return uploadRecord != 0 && !uploadUrl.empty(); }
  };

  // The keys of a settings file's text; missing keys keep their defaults,
  // and a value longer than 1023 characters counts as missing.
  static Values Parse(const std::string& text);

  Values Current() const;
  // Whether any fetch has succeeded in this process.
  bool Fetched() const;
  void Apply(const Values& values);

 private:
  mutable std::mutex lock_;
  Values values_;
  bool fetched_ = false;
};
