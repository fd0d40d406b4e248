#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>

// The best of `rounds` timings of `work`, in seconds.
inline double BestTime(int rounds, const std::function<void()>& work) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    best = std::min(best, double(end.QuadPart - start.QuadPart) / frequency.QuadPart);
  }
  return best;
}
