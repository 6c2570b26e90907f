#pragma once

#include <optional>
#include <string>

#include "platform/clock.h"

namespace vigilo::testing {

// A clock that says what the test sets.
class FakeClock : public Clock {
 public:
  explicit FakeClock(double now = 0) : current(now) {}
  double now() override { return current; }
  double current;
};

// Fixed regional settings: day.month.year, 24-hour time ("dd.mm.yyyy").
class FakeRegionalSettings : public RegionalSettings {
 public:
  std::string shortDate(double oleDate) override;
  std::string dateText(double oleDate) override;
  std::optional<double> parseDate(std::string_view text) override;
};

}  // namespace vigilo::testing
