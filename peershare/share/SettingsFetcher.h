#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "share/KeywordLists.h"
#include "share/ServerSettings.h"
#include "share/TopTenList.h"
#include "share/WebAddress.h"

// FetchServerSettings: the settings file from the operator's server, then
// the short and the full keyword list when their digests changed, then the
// top-ten list when its date changed. Runs on the share worker.
class SettingsFetcher {
 public:
  static constexpr const char* kSettingsPath = "/tovakup/filter.ini";
  static constexpr size_t kMaxSettingsBytes = 1024 * 1024;
  static constexpr size_t kMaxTopTenBytes = 1024 * 1024;
  static constexpr DWORD kDefaultStepWait = 5000;

  SettingsFetcher(WebAddress operatorServer, ServerSettings& settings, KeywordLists& keywords, TopTenList& topTen);

  // The pause before the full list and before the top-ten list.
  void SetStepWait(DWORD milliseconds) { stepWait_ = milliseconds; }
  // Signalled when the worker stops: the fetch ends at its next step.
  void SetStopEvent(HANDLE stop) { stop_ = stop; }
  const WebAddress& OperatorServer() const { return operator_; }

  // Called on the worker after new settings were applied.
  std::function<void(const ServerSettings::Values&)> onApplied;
  // Called on the worker after the top-ten file was replaced.
  std::function<void()> onTopTenReplaced;

  // One fetch. True once the full keyword list has been found current in
  // this process (its digest matched or it was downloaded); until then the
  // worker repeats the fetch.
  bool FetchServerSettings();
  bool FullListCurrent() const { return fullListCurrent_; }

 private:
  // Whether the list is current afterwards.
  bool UpdateList(KeywordLists::Which which, const std::string& location, const std::string& digest);
  void UpdateTopTen(const ServerSettings::Values& values);
  // False when the worker is stopping.
  bool Pause();
  bool Stopping() const;

  WebAddress operator_;
  ServerSettings& settings_;
  KeywordLists& keywords_;
  TopTenList& topTen_;
  DWORD stepWait_ = kDefaultStepWait;
  HANDLE stop_ = nullptr;
  std::atomic<bool> fullListCurrent_{false};
};
