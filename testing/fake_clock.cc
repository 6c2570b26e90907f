#include "testing/fake_clock.h"

#include <cstdio>

#include "platform/ole_date.h"

namespace vigilo::testing {

std::string FakeRegionalSettings::shortDate(double oleDate) {
  const CivilTime t = civilFromOleDate(oleDate);
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", t.day, t.month, t.year);
  return text;
}

std::string FakeRegionalSettings::dateText(double oleDate) {
  const CivilTime t = civilFromOleDate(oleDate);
  std::string text = shortDate(oleDate);
  if (t.hour || t.minute || t.second) {
    char time[16];
    std::snprintf(time, sizeof time, " %02d:%02d:%02d", t.hour, t.minute, t.second);
    text += time;
  }
  return text;
}

std::optional<double> FakeRegionalSettings::parseDate(std::string_view view) {
  std::string text(view);
  int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0, used = 0;
  if (std::sscanf(text.c_str(), "%2d.%2d.%4d%n", &day, &month, &year, &used) != 3) return std::nullopt;
  if (used != static_cast<int>(text.size())) {
    int more = 0;
    if (std::sscanf(text.c_str() + used, " %2d:%2d:%2d%n", &hour, &minute, &second, &more) != 3 ||
        used + more != static_cast<int>(text.size()))
      return std::nullopt;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31 || year < 100) return std::nullopt;
  return oleDateFromCivil({year, month, day, hour, minute, second});
}

}  // namespace vigilo::testing
