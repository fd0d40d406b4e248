#pragma once

#include <cstdint>
#include <functional>

// Seconds since 1970. The transfer side asks a Clock for the moment instead
// of the system, so that a test can stand at any hour of any day.
using Clock = std::function<int64_t()>;

// Local dates of moments, in the user's time zone.
namespace LocalClock {

struct Date {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

int64_t SystemNow();
// False when the moment has no local date.
bool Split(int64_t moment, Date& date);
// The moment of a local date and time; -1 when there is none.
int64_t At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// Both moments fall on the same local date (same year, month and day).
bool SameDay(int64_t a, int64_t b);
// The local midnight that begins the day of `moment`; -1 when there is none.
int64_t Midnight(int64_t moment);

}  // namespace LocalClock
