#include "frame/AmountFormat.h"

#include <cstdio>

std::string FormatAmount(uint64_t bytes, const char* unit) {
  const char* suffix = unit != nullptr ? unit : "";
  char text[64];
  if (bytes <= 1024) {
    std::snprintf(text, sizeof text, "%.2f%s", static_cast<double>(bytes) / 1024.0, suffix);
    return text;
  }
  std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(bytes / 1024));
  std::string digits = text, grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ", ";
    grouped += digits[i];
  }
  return grouped + " " + suffix;
}

std::string FormatDuration(uint32_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}
