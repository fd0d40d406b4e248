#include "share/SettingsFetcher.h"

#include <utility>

#include "share/CodePageText.h"
#include "share/FileBytes.h"
#include "share/HttpFetch.h"
#include "share/Md5.h"

SettingsFetcher::SettingsFetcher(WebAddress operatorServer, ServerSettings& settings, KeywordLists& keywords,
                                 TopTenList& topTen)
    : operator_(std::move(operatorServer)), settings_(settings), keywords_(keywords), topTen_(topTen) {}

bool SettingsFetcher::Stopping() const { return stop_ != nullptr && WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0; }

bool SettingsFetcher::Pause() {
  if (stop_ == nullptr) {
    Sleep(stepWait_);
    return true;
  }
  return WaitForSingleObject(stop_, stepWait_) != WAIT_OBJECT_0;
}

bool SettingsFetcher::FetchServerSettings() {
  std::string body;
  // A failed fetch leaves every switch as it was.
  if (Stopping() || !HttpFetch::Get(operator_, kSettingsPath, kMaxSettingsBytes, body).Ok()) return fullListCurrent_;
  const ServerSettings::Values values = ServerSettings::Parse(body);
  settings_.Apply(values);
  if (onApplied) onApplied(values);

  UpdateList(KeywordLists::Which::Short, values.liteFilterLibUrl, values.liteFilterHashId);
  if (!Pause()) return fullListCurrent_;
  if (UpdateList(KeywordLists::Which::Full, values.filterLibUrl, values.filterHashId)) fullListCurrent_ = true;
  if (!Pause()) return fullListCurrent_;
  UpdateTopTen(values);
  return fullListCurrent_;
}

bool SettingsFetcher::UpdateList(KeywordLists::Which which, const std::string& location, const std::string& digest) {
  WebAddress server;
  std::string path;
  if (Stopping() || !WebAddress::SplitLocation(location, server, path)) return false;
  const std::string& file = keywords_.FilePath(which);
  std::string local;
  if (FileBytes::Read(file, local, KeywordLists::kMaxFileBytes) &&
      CodePageText::EqualsIgnoringCase(Md5::OfText(local), digest)) {
    return true;
  }
  std::string body;
  if (HttpFetch::Get(server, path, KeywordLists::kMaxFileBytes, body).Ok() && FileBytes::Write(file, body)) {
    keywords_.Replace(which, body);
    return true;
  }
  // An empty file makes the next fetch download the list again; the list in
  // memory stays as it was.
  FileBytes::Write(file, std::string());
  return false;
}

void SettingsFetcher::UpdateTopTen(const ServerSettings::Values& values) {
  WebAddress server;
  std::string path, body;
  if (Stopping() || values.top10Date == topTen_.FileDate() || !WebAddress::SplitLocation(values.top10, server, path)) {
    return;
  }
  // Only a complete list replaces the local one.
  if (HttpFetch::Get(server, path, kMaxTopTenBytes, body).Ok() && topTen_.ReplaceFile(body) && onTopTenReplaced) {
    onTopTenReplaced();
  }
}
