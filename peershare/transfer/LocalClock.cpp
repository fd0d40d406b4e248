#include "transfer/LocalClock.h"

#include <ctime>

namespace LocalClock {

int64_t SystemNow() { return static_cast<int64_t>(_time64(nullptr)); }

bool Split(int64_t moment, Date& date) {
  __time64_t time = moment;
  tm local = {};
  if (moment < 0 || _localtime64_s(&local, &time) != 0) return false;
  date.year = local.tm_year + 1900;
  date.month = local.tm_mon + 1;
  date.day = local.tm_mday;
  date.hour = local.tm_hour;
  date.minute = local.tm_min;
  date.second = local.tm_sec;
  return true;
}

int64_t At(int year, int month, int day, int hour, int minute, int second) {
  tm local = {};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return static_cast<int64_t>(_mktime64(&local));
}

bool SameDay(int64_t a, int64_t b) {
  Date first, second;
  return Split(a, first) && Split(b, second) && first.year == second.year && first.month == second.month &&
         first.day == second.day;
}

int64_t Midnight(int64_t moment) {
  Date date;
  if (!Split(moment, date)) return -1;
  return At(date.year, date.month, date.day);
}

}  // namespace LocalClock
