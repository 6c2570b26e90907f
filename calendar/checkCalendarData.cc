#include "calendar/checkCalendarData.h"

namespace vigilo::mMain {

// The check needs the database layer; until it exists there is nothing to read.
bool checkCalendarData() { return false; }

}  // namespace vigilo::mMain
