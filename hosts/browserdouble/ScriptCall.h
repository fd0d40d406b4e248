#pragma once

// Calling window.external through the browser control double the way page
// script does, with arguments written in the script's order.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "BrowserDouble.h"

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
