#pragma once

#include <cstdint>
#include <string>

namespace vigilo::mFindApp {

// Looks for a top-level window of a running copy of the application (title
// containing sAppName, class "ThunderRT6FormDC") and closes it (mode 1) or
// activates it (mode 2). True when the caller may go on starting.
bool FindApplication(const std::string& sAppName, int32_t nMode, bool bAskFirst);

}  // namespace vigilo::mFindApp
