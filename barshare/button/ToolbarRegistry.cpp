#include "button/ToolbarRegistry.h"

#include <windows.h>

#include <cwchar>

namespace {

bool IsNtAboveVersion5() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&version)) return false;
#pragma GCC diagnostic pop
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 5;
}

}  // namespace

const wchar_t* ToolbarRegistry::Base() {
  static const wchar_t* const base = IsNtAboveVersion5() ? L"SOFTWARE\\AppDataLow\\Sorvane\\ZWToolbar"
                                                         : L"SOFTWARE\\Sorvane\\ZWToolbar";
  return base;
}

std::wstring ToolbarRegistry::CreatorsKey() {
  wchar_t key[MAX_PATH];
  swprintf(key, MAX_PATH, L"%ls\\%ls", Base(), L"Creators");
  return key;
}

std::wstring ToolbarRegistry::AccountKey(long accountNumber, const wchar_t* settingsName) {
  wchar_t key[MAX_PATH];
  if (settingsName != nullptr && *settingsName != L'\0') {
    swprintf(key, MAX_PATH, L"%ls\\%ls\\%ld\\%ls", Base(), L"Accounts", accountNumber, settingsName);
  } else {
    swprintf(key, MAX_PATH, L"%ls\\%ls\\%ld", Base(), L"Accounts", accountNumber);
  }
  return key;
}
