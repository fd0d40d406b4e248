#pragma once

// What the browser control double recorded, as plain values.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "BrowserDouble.h"
#include "win/OleHandles.h"

struct RecordedNavigation {
  std::vector<VARTYPE> types;
  std::wstring url;
  LONG flags = 0;
  std::string postData;
  std::wstring headers;
};

inline std::wstring TextOf(const win::UniqueBstr& text) {
  return text ? std::wstring(text.Get(), SysStringLen(text.Get())) : std::wstring();
}

// Every Navigate2 call the control received, in order.
inline std::vector<RecordedNavigation> NavigationsOf(IBrowserDouble* browser) {
  std::vector<RecordedNavigation> all;
  for (int i = 0; browser != nullptr && i < browser->NavigationCount(); ++i) {
    NavigationRecord record = {};
    if (FAILED(browser->GetNavigation(i, &record))) break;
    win::UniqueBstr url(record.url), postData(record.postData), headers(record.headers);
    RecordedNavigation navigation;
    navigation.types.assign(record.types, record.types + 5);
    navigation.url = TextOf(url);
    navigation.flags = record.flags;
    if (postData) navigation.postData.assign(reinterpret_cast<const char*>(postData.Get()), SysStringByteLen(postData.Get()));
    navigation.headers = TextOf(headers);
    all.push_back(navigation);
  }
  return all;
}

// The control's log: the host's calls and the site's answers, one a line.
inline std::wstring LogOf(IBrowserDouble* browser) {
  win::UniqueBstr log;
  if (browser == nullptr || FAILED(browser->GetLog(log.Put()))) return std::wstring();
  return TextOf(log);
}
