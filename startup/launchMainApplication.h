#pragma once

#include <cstdint>

#include "platform/variant.h"

namespace vigilo::mMain {

// The program's one reference to the main application, held only during a
// launch. The launcher form ends a held application when it unloads.
extern ObjectRef MainApplication;

// The ProgID of the main application component.
inline constexpr const char* kMainApplicationProgId = "RXResourceBRowser.cRXResourceBrowser";

// Checks the user's INI file and databases, completes their entries, creates,
// configures and shows the main application, brings its window to the front,
// then lets it go. `parentWindow` is the launcher form's window, which the
// main application closes when it ends. Reports its own failures; true when
// the main application was shown.
bool launchMainApplication(int32_t parentWindow);

}  // namespace vigilo::mMain
