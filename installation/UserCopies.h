#pragma once

#include <string>

namespace vigilo::mMain {

// Full path of the user's own copy of the installed INI file, copied from
// the installation when the user has none yet; "" when there is none.
std::string resolveINIFile();

// The same for the setup database.
std::string resolveSetupDatabaseFile();

}  // namespace vigilo::mMain
