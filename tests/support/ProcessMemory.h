#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstddef>

// The memory this process has committed for itself, now and at most so far.
// Wine leaves PrivateUsage at zero; PagefileUsage counts the same memory.
struct ProcessMemory {
  size_t now = 0;
  size_t peak = 0;

  static ProcessMemory Read() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return {std::max<size_t>(counters.PrivateUsage, counters.PagefileUsage), counters.PeakPagefileUsage};
  }
};
