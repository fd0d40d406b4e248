#pragma once

#include <functional>
#include <string>

#include <windows.h>
#include <commctrl.h>

// The client host's report: lines are code page 936 inside the program and
// UTF-8 on its output, indented under the section they belong to.
void Report(const char* format, ...);
// "what ... ok" or "FAILED"; answers `ok`.
bool ReportCheck(bool ok, const char* what);
// Dispatches this thread's messages until `done` or the time is up; the
// answer is `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000);

// Helpers of the demos that read what the plug-in wrote and showed.
// The whole content of a file; empty when it cannot be read.
std::string TextOf(const std::string& path);
// A cell of a report list-view, the number of its rows, and the first row
// whose first column reads `name` (-1: none).
std::string CellText(HWND view, int row, int column);
int RowCount(HWND view);
int RowOf(HWND view, const char* name);
// The first window below `window`, at any depth, with this control id; null for none.
HWND FindDescendant(HWND window, int id);
// The label of a tree-view item.
std::string ItemLabel(HWND tree, HTREEITEM item);
