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

// Processor time, in seconds, of a thread (GetThreadTimes) or of every thread
// of a process (GetProcessTimes).
template <typename Query, typename Handle>
inline double ProcessorSeconds(Query query, Handle handle) {
  FILETIME created, exited, kernel, user;
  query(handle, &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}
