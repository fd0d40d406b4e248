#pragma once

// Driving the browser control double from tests: its navigations and log as
// plain values, script calls with their arguments in the order a page writes
// them, and the double of a given window.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "BrowserDouble.h"
#include "ScriptCall.h"
#include "BrowserDoubleRegistration.h"
#include "win/ComPtr.h"

struct RecordedNavigation {
  std::vector<VARTYPE> types;
  std::wstring url;
  LONG flags = 0;
  std::string postData;
  std::wstring headers;
};

inline std::wstring TakeText(BSTR text) {
  std::wstring value = text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return value;
}

inline std::vector<RecordedNavigation> NavigationsOf(IBrowserDouble* browser) {
  std::vector<RecordedNavigation> all;
  for (int i = 0; browser != nullptr && i < browser->NavigationCount(); ++i) {
    NavigationRecord record = {};
    if (FAILED(browser->GetNavigation(i, &record))) break;
    RecordedNavigation navigation;
    navigation.types.assign(record.types, record.types + 5);
    navigation.url = TakeText(record.url);
    navigation.flags = record.flags;
    navigation.postData.assign(reinterpret_cast<const char*>(record.postData), SysStringByteLen(record.postData));
    SysFreeString(record.postData);
    navigation.headers = TakeText(record.headers);
    all.push_back(navigation);
  }
  return all;
}

inline std::wstring LogOf(IBrowserDouble* browser) {
  BSTR log = nullptr;
  if (browser == nullptr || FAILED(browser->GetLog(&log))) return std::wstring();
  return TakeText(log);
}

// The double as the browser control of a whole test: registered while it runs.
class BrowserDoubleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(registration_.Result(), S_OK); }

  BrowserDoubleRegistration registration_;
};
