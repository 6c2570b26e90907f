#pragma once

#include <string>

namespace vigilo::mMain {

// Gives every resource key of the "FILES" section of `iniFile` that is
// missing or empty the product's default; keys with a value keep it.
bool ensureFilesSection(const std::string& iniFile);

}  // namespace vigilo::mMain
