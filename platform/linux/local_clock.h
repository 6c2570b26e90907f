#pragma once

#include "platform/clock.h"

namespace vigilo {

// The system clock, read as local time.
class LocalClock : public Clock {
 public:
  double now() override;
};

// Dates in the short date format of the locale's LC_TIME category.
class PosixRegionalSettings : public RegionalSettings {
 public:
  PosixRegionalSettings();
  std::string shortDate(double oleDate) override;
  std::string dateText(double oleDate) override;
  std::optional<double> parseDate(std::string_view text) override;

 private:
  std::string dateFormat_;
  std::string timeFormat_;
};

}  // namespace vigilo
