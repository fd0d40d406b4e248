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

// The processor time this thread has used, in seconds: other programs on a
// shared machine do not change it.
inline double ThreadCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}
