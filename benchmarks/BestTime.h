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

namespace best_time_detail {
inline double Seconds(const FILETIME& time) {
  return (static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
}
}  // namespace best_time_detail

// The processor time this thread has used, in seconds: other programs on a
// shared machine do not change it.
inline double ThreadCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  return best_time_detail::Seconds(kernel) + best_time_detail::Seconds(user);
}

// The same for every thread of this process.
inline double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return best_time_detail::Seconds(kernel) + best_time_detail::Seconds(user);
}
