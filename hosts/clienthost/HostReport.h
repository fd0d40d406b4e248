#pragma once

#include <functional>

#include <windows.h>

// The client host's report: lines are code page 936 inside the program and
// UTF-8 on its output, indented under the section they belong to.
void Report(const char* format, ...);
// "what ... ok" or "FAILED"; answers `ok`.
bool ReportCheck(bool ok, const char* what);
// Dispatches this thread's messages until `done` or the time is up; the
// answer is `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000);
