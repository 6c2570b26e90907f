#include "platform/ole_date.h"

#include <cmath>

namespace vigilo {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

constexpr int64_t kEpochOffset = 25569;  // 1970-01-01 as an OLE day number
constexpr double kMillisecondsPerDay = 86400000.0;

}  // namespace

double oleDateFromCivil(const CivilTime& t) {
  const int64_t day = daysFromCivil(t.year, static_cast<unsigned>(t.month),
                                    static_cast<unsigned>(t.day)) + kEpochOffset;
  const double fraction =
      ((t.hour * 60.0 + t.minute) * 60.0 + t.second) * 1000.0 + t.millisecond;
  const double time = fraction / kMillisecondsPerDay;
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

// Before the epoch the fraction counts away from zero, so truncation still
// gives the day: -1.25 is day -1.
int64_t oleDay(double oleDate) { return static_cast<int64_t>(std::trunc(oleDate)); }

bool oleDateHasTime(double oleDate) { return oleDate != std::trunc(oleDate); }

CivilTime civilFromOleDate(double oleDate) {
  const double whole = std::trunc(oleDate);
  int64_t day = static_cast<int64_t>(whole);
  // The time of day, rounded to the millisecond, may carry into the next day.
  int64_t ms = std::llround(std::fabs(oleDate - whole) * kMillisecondsPerDay);
  if (ms >= static_cast<int64_t>(kMillisecondsPerDay)) {
    ms -= static_cast<int64_t>(kMillisecondsPerDay);
    day += oleDate < 0 ? -1 : 1;
  }
  CivilTime t;
  civilFromDays(day - kEpochOffset, t.year, t.month, t.day);
  t.millisecond = static_cast<int>(ms % 1000);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.minute = static_cast<int>(ms / 60000 % 60);
  t.hour = static_cast<int>(ms / 3600000);
  return t;
}

}  // namespace vigilo
