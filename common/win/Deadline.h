#pragma once

#include <windows.h>

namespace win {

// A moment some time ahead, on the performance counter: for short looks at
// a state that are cheaper than a wait, and for sleeps that must not run
// over.
class Deadline {
 public:
  static Deadline InMicroseconds(long long microseconds) {
    return Deadline(Now() + TicksPerSecond() * microseconds / 1000000);
  }
  static Deadline InMilliseconds(DWORD milliseconds) { return InMicroseconds(milliseconds * 1000LL); }

  bool Passed() const { return Now() >= end_; }

  // Wine's Sleep wakes a fraction of a millisecond late, which adds up over
  // many short sleeps: the last millisecond is spent yielding instead.
  void SleepUntil() const {
    const long long ticksPerMillisecond = TicksPerSecond() / 1000 > 0 ? TicksPerSecond() / 1000 : 1;
    for (long long left = end_ - Now(); left > 0; left = end_ - Now()) {
      const long long milliseconds = left / ticksPerMillisecond;
      Sleep(milliseconds > 1 ? static_cast<DWORD>(milliseconds - 1) : 0);
    }
  }

 private:
  explicit Deadline(long long end) : end_(end) {}

  static long long Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
  }
  static long long TicksPerSecond() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
  }

  long long end_;
};

}  // namespace win
