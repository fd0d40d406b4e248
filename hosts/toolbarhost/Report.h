#pragma once

// The host's report lines, written to standard output as UTF-8 whatever the
// console's code page.
namespace Report {

void Line(const wchar_t* format, ...);

}  // namespace Report
