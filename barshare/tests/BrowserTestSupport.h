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

// One script argument; owns what it holds.
class ScriptValue {
 public:
  static ScriptValue Integer(LONG value) {
    ScriptValue argument;
    V_VT(&argument.value_) = VT_I4;
    V_I4(&argument.value_) = value;
    return argument;
  }
  static ScriptValue Text(const std::wstring& text) {
    ScriptValue argument;
    V_VT(&argument.value_) = VT_BSTR;
    V_BSTR(&argument.value_) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return argument;
  }
  static ScriptValue NullText() {
    ScriptValue argument;
    V_VT(&argument.value_) = VT_BSTR;
    V_BSTR(&argument.value_) = nullptr;
    return argument;
  }
  static ScriptValue Empty() { return ScriptValue(); }

  ScriptValue() { VariantInit(&value_); }
  ~ScriptValue() { VariantClear(&value_); }
  ScriptValue(const ScriptValue& other) {
    VariantInit(&value_);
    VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
  }
  ScriptValue& operator=(const ScriptValue& other) {
    if (this != &other) VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
    return *this;
  }
  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

// window.external.<name>(arguments...) through the double, as a page calls it.
inline HRESULT CallScript(IBrowserDouble* browser, const wchar_t* name, const std::vector<ScriptValue>& arguments,
                          DISPID* id = nullptr) {
  std::vector<VARIANT> reversed;
  for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) reversed.push_back(argument->Get());
  DISPPARAMS parameters = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  DISPID ignored = 0;
  return browser->CallExternal(name, &parameters, id != nullptr ? id : &ignored);
}

inline win::ComPtr<IBrowserDouble> ControlIn(HWND window) {
  win::ComPtr<IBrowserDouble> browser;
  browser.Attach(BrowserDoubleIn(window));
  return browser;
}

// The double as the browser control of a whole test: registered while it runs.
class BrowserDoubleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(registration_.Result(), S_OK); }

  BrowserDoubleRegistration registration_;
};
