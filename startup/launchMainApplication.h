#pragma once

#include <cstdint>

#include "platform/variant.h"

namespace vigilo::mMain {

// The program's one reference to the main application, held only during a launch.
extern ObjectRef MainApplication;

// Checks the user's INI file and databases, completes their entries, creates,
// configures and shows the main application, then lets it go.
void launchMainApplication(int32_t parentWindow);

}  // namespace vigilo::mMain
