#include "share/ServerSettings.h"

#include "share/IniFile.h"

namespace {
constexpr const char* kSection = "tovak";
}

ServerSettings::Values ServerSettings::Parse(const std::string& text) {
  const IniFile ini(text);
  const Values defaults;
  auto number = [&](const char* key, int32_t fallback) { return ini.GetInt(kSection, key, fallback); };
  auto string = [&](const char* key) { return ini.Get(kSection, key); };
  Values values;
  values.keywordDownload = number("KeywordDownload", defaults.keywordDownload);
  values.filterEmptySearch = number("filterEmptySearch", defaults.filterEmptySearch);
  values.filterFriend = number("FilterFriend", defaults.filterFriend);
  values.filterZhenCang = number("FilterZhenCang", defaults.filterZhenCang);
  values.filterPeerId = number("FilterPeerId", defaults.filterPeerId);
  values.adVersion = number("adversion", defaults.adVersion);
  values.uploadRecord = number("uploadrecord", defaults.uploadRecord);
  values.uploadUrl = string("uploadurl");
  values.top10 = string("Top10");
  values.top10Date = number("Top10Date", defaults.top10Date);
  values.mailHashId = string("mailHashId");
  values.mailUrl = string("mailUrl");
  values.mailMaxCopy = number("mailMaxCopy", defaults.mailMaxCopy);
  values.liteFilterLibUrl = string("LiteFilterLibURL");
  values.liteFilterHashId = string("LiteFilterHashId");
  values.filterLibUrl = string("FilterLibURL");
  values.filterHashId = string("FilterHashId");
  return values;
}

ServerSettings::Values ServerSettings::Current() const {
  std::lock_guard<std::mutex> guard(lock_);
  return values_;
}

bool ServerSettings::Fetched() const {
  std::lock_guard<std::mutex> guard(lock_);
  return fetched_;
}

void ServerSettings::Apply(const Values& values) {
  std::lock_guard<std::mutex> guard(lock_);
  values_ = values;
  fetched_ = true;
}
