#pragma once

#include <string>

namespace vigilo {

// Shows a modal GTK message box with the icon and buttons of the Win32
// `style` (0, 16, 64, 65, ...) and `title` in its title bar, and returns the
// answer as kIdOk or kIdCancel; closing the box answers kIdCancel. GTK must
// be running.
int runGtkMessageBox(const std::string& text, int style, const std::string& title);

}  // namespace vigilo
