#pragma once

namespace vigilo::mMain {

// Warns the user when the liturgical calendar data has run out or will run
// out within 30 days. Always false; the start-up ignores the result.
bool checkCalendarData();

}  // namespace vigilo::mMain
