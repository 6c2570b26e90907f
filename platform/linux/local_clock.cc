#include "platform/linux/local_clock.h"

#include <langinfo.h>
#include <time.h>

#include <chrono>
#include <clocale>

#include "platform/ole_date.h"

namespace vigilo {
namespace {

std::string formatTime(const char* format, const CivilTime& t) {
  struct tm parts = {};
  parts.tm_year = t.year - 1900;
  parts.tm_mon = t.month - 1;
  parts.tm_mday = t.day;
  parts.tm_hour = t.hour;
  parts.tm_min = t.minute;
  parts.tm_sec = t.second;
  // tm_wday and tm_yday, for formats that name the weekday.
  const double day = oleDateFromCivil({t.year, t.month, t.day});
  parts.tm_wday = static_cast<int>(((static_cast<int64_t>(day) - 1) % 7 + 7) % 7);
  parts.tm_yday = static_cast<int>(day - oleDateFromCivil({t.year, 1, 1}));
  char buffer[128];
  const size_t n = strftime(buffer, sizeof buffer, format, &parts);
  return std::string(buffer, n);
}

bool validDate(int year, int month, int day) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

// Parses `text` with `format` in full; trailing blanks are allowed.
bool parseWhole(const std::string& text, const std::string& format, struct tm& parts) {
  const char* end = strptime(text.c_str(), format.c_str(), &parts);
  if (!end) return false;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0';
}

}  // namespace

double LocalClock::now() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  const time_t seconds = static_cast<time_t>(ms.count() / 1000);
  struct tm local;
  localtime_r(&seconds, &local);
  CivilTime t{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
              local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms.count() % 1000)};
  return oleDateFromCivil(t);
}

PosixRegionalSettings::PosixRegionalSettings()
    : dateFormat_(nl_langinfo(D_FMT)), timeFormat_(nl_langinfo(T_FMT)) {
  // A two-digit year cannot be read back without guessing the century: the
  // short date always carries the whole year.
  for (size_t i = 0; (i = dateFormat_.find("%y", i)) != std::string::npos;) dateFormat_[i + 1] = 'Y';
  if (dateFormat_.empty()) dateFormat_ = "%Y-%m-%d";
  if (timeFormat_.empty()) timeFormat_ = "%H:%M:%S";
}

std::string PosixRegionalSettings::shortDate(double oleDate) {
  return formatTime(dateFormat_.c_str(), civilFromOleDate(oleDate));
}

std::string PosixRegionalSettings::dateText(double oleDate) {
  const CivilTime t = civilFromOleDate(oleDate);
  std::string text = formatTime(dateFormat_.c_str(), t);
  if (t.hour || t.minute || t.second) text += " " + formatTime(timeFormat_.c_str(), t);
  return text;
}

std::optional<double> PosixRegionalSettings::parseDate(std::string_view view) {
  std::string text(view);
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  text.erase(0, first);
  for (const std::string& format : {dateFormat_ + " " + timeFormat_, dateFormat_}) {
    struct tm parts = {};
    if (!parseWhole(text, format, parts)) continue;
    const int year = parts.tm_year + 1900, month = parts.tm_mon + 1, day = parts.tm_mday;
    if (!validDate(year, month, day)) return std::nullopt;
    return oleDateFromCivil({year, month, day, parts.tm_hour, parts.tm_min, parts.tm_sec});
  }
  return std::nullopt;
}

}  // namespace vigilo
