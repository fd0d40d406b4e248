#pragma once

#include <string>

// Where the toolbar keeps its settings under HKEY_CURRENT_USER.
class ToolbarRegistry {
 public:
  // "SOFTWARE\AppDataLow\Sorvane\ZWToolbar" on NT above version 5 (where the
  // browser runs at low integrity), else "SOFTWARE\Sorvane\ZWToolbar".
  static const wchar_t* Base();
  // The key whose values register creator classes.
  static std::wstring CreatorsKey();
  // The key of one account, or of one button's settings under it when
  // settingsName is given.
  static std::wstring AccountKey(long accountNumber, const wchar_t* settingsName);
};
