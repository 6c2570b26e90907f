#pragma once

#include <cstdint>

namespace vigilo {

// A calendar date and time of day, as the OLE Automation date encodes it.
struct CivilTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
  int millisecond = 0;
};

// Days since 1899-12-30; the fraction is the time of day. Dates before the
// epoch keep the time as a positive fraction away from zero (-1.25 is
// 1899-12-29 06:00), as the automation runtime stores them.
double oleDateFromCivil(const CivilTime& t);
CivilTime civilFromOleDate(double oleDate);

// The whole day number of a date, its time of day dropped.
int64_t oleDay(double oleDate);
bool oleDateHasTime(double oleDate);

}  // namespace vigilo
