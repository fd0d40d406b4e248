#include "HostReport.h"

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <string>

void Report(const char* format, ...) {
  char line[2048];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  int wideLength = MultiByteToWideChar(CP_ACP, 0, line, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength > 0 ? wideLength : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, line, -1, &wide[0], wideLength);
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length > 0 ? length : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], length, nullptr, nullptr);
  std::printf("  %s\n", utf8.c_str());
  std::fflush(stdout);
}

bool ReportCheck(bool ok, const char* what) {
  Report("%-52s %s", what, ok ? "ok" : "FAILED");
  return ok;
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  DWORD end = GetTickCount() + milliseconds;
  while (!done()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  }
  return true;
}

std::string TextOf(const std::string& path) {
  std::string text;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    std::fclose(file);
  }
  return text;
}

std::string CellText(HWND view, int row, int column) {
  char text[512] = "";
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(view, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

int RowCount(HWND view) { return view != nullptr ? static_cast<int>(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0)) : 0; }

int RowOf(HWND view, const char* name) {
  for (int row = 0; row < RowCount(view); ++row)
    if (CellText(view, row, 0) == name) return row;
  return -1;
}

namespace {

struct ChildSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<ChildSearch*>(data);
  if (GetDlgCtrlID(child) != search->id) return TRUE;
  search->found = child;
  return FALSE;
}

}  // namespace

HWND FindDescendant(HWND window, int id) {
  ChildSearch search = {id, nullptr};
  EnumChildWindows(window, &MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ItemLabel(HWND tree, HTREEITEM item) {
  char text[260] = "";
  TVITEMA entry = {};
  entry.mask = TVIF_TEXT;
  entry.hItem = item;
  entry.pszText = text;
  entry.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&entry));
  return text;
}
