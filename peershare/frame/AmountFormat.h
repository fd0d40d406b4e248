#pragma once

#include <cstdint>
#include <string>

// How every list of the plug-in writes sizes, speeds, amounts and times.

// Up to 1024 bytes: "%.2f" kilobytes directly followed by the unit (512
// bytes: "0.50KB"). More: whole kilobytes with ", " before every group of
// three digits from the right, a blank and the unit (1,264,000 bytes:
// "1, 234 KB").
std::string FormatAmount(uint64_t bytes, const char* unit);

// "%d:%02d:%02d": hours, minutes, seconds.
std::string FormatDuration(uint32_t seconds);
