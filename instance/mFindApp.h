#pragma once

#include <cstdint>
#include <string>

#include "platform/window_system.h"

namespace vigilo::mFindApp {

// Looks for the topmost top-level window whose title contains sAppName and
// whose class is "ThunderRT6FormDC", the window of a running copy of the
// application, and then by nMode:
//   1      closes it (after asking the user, when bAskFirst is true),
//   2      brings it to the front (restores it when minimised),
//   other  leaves it as it is.
// True when the caller may go on starting: no such window, or it was asked
// to close. False when a window was found and kept, the user cancelled, or
// an error was reported.
bool FindApplication(const std::string& sAppName, int32_t nMode, bool bAskFirst);

// The enumeration's callback: 0 (stop) for the first window of the search,
// -1 (go on) for any other.
int32_t EnumWindowsProc(WindowHandle hWnd, int32_t lParam);

// True when the window's class name equals sClassName exactly.
bool IsWindowClass(WindowHandle hWnd, const std::string& sClassName);

}  // namespace vigilo::mFindApp
