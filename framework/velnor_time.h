// The program's clock value, and its calendar fields.
#pragma once

#include <cstdint>

// Seconds since 1970-01-01 UTC. Stored as 32 bits; read back unsigned, so the
// stored form keeps working until 2106.
using VelnorTime = int64_t;

// A time as a calendar shows it: month 1-12, day 1-31, hour 0-23.
struct CalendarTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The calendar fields of `time` in UTC (shifted by `offsetSeconds` first,
// for a fixed time zone).
CalendarTime UtcCalendar(VelnorTime time, int64_t offsetSeconds = 0);
