#include "engine/core/DateUtil.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;

int32_t g_fixedToday = -1;

// The calendar fields of a day number: its UTC date (ten seconds into the day).
struct tm DayParts(int32_t day) {
  time_t time = static_cast<time_t>(day * kSecondsPerDay + 10);
  struct tm parts = {};
  gmtime_r(&time, &parts);
  return parts;
}

}  // namespace

int32_t GetDayNumber(time_t time) {
  struct tm local = {};
  struct tm utc = {};
  localtime_r(&time, &local);
  gmtime_r(&time, &utc);
  // mktime reads both as local times: their difference is the zone's offset from UTC.
  const int64_t offset = static_cast<int64_t>(mktime(&local)) - static_cast<int64_t>(mktime(&utc));
  return static_cast<int32_t>((static_cast<int64_t>(time) + offset) / kSecondsPerDay);
}

int32_t GetToday() { return g_fixedToday >= 0 ? g_fixedToday : GetDayNumber(time(nullptr)); }

void SetTodayForTests(int32_t day) { g_fixedToday = day; }

int32_t GetWeekStart(int32_t day, bool sundayFirst) {
  int weekday = DayParts(day).tm_wday;  // 0 = Sunday
  if (!sundayFirst) {
    weekday -= 1;
    if (weekday == -1) weekday = 6;  // Monday = 0
  }
  return day - weekday;
}

int32_t GetMonthOfDay(int32_t day) { return DayParts(day).tm_mon; }

int32_t GetDayOfMonth(int32_t day) { return DayParts(day).tm_mday; }
