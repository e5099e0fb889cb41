#pragma once

#include <cstdint>
#include <ctime>

// Day numbers: day 0 is 1 January 1970 in local time. The calendar widget counts in them.

// The local calendar day of a clock time (seconds since 1970), truncated toward zero.
int32_t GetDayNumber(time_t time);
// The day number of now, or the day a test fixed with SetTodayForTests.
int32_t GetToday();
// Fixes the day GetToday gives (tests of date-dependent displays); a negative day goes
// back to the clock.
void SetTodayForTests(int32_t day);
// The first day of the day's week: its Sunday with sundayFirst, else its Monday.
int32_t GetWeekStart(int32_t day, bool sundayFirst);
// The month (0 to 11) and the day of the month (1 to 31) of a day number.
int32_t GetMonthOfDay(int32_t day);
int32_t GetDayOfMonth(int32_t day);
