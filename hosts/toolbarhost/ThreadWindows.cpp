#include "ThreadWindows.h"

namespace {

struct Search {
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK CheckClass(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  if (lstrcmpW(name, search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindThreadWindow(const wchar_t* className) {
  Search search = {className, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &CheckClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}
