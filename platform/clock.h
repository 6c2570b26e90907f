#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vigilo {

// The present moment, as a local OLE Automation date.
class Clock {
 public:
  virtual ~Clock();
  virtual double now() = 0;
};

// The user's regional settings for dates.
class RegionalSettings {
 public:
  virtual ~RegionalSettings();
  // The date alone in the short date format ("Short Date").
  virtual std::string shortDate(double oleDate) = 0;
  // A date value's text form: the short date, plus the time of day when the
  // value has one. parseDate reads it back as the same value.
  virtual std::string dateText(double oleDate) = 0;
  // A text that is a valid date by these settings, or nothing.
  virtual std::optional<double> parseDate(std::string_view text) = 0;
};

}  // namespace vigilo
