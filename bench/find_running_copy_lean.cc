// The running-copy question in a program that loads no toolkit: what a second
// start would cost if it asked the question before loading GTK. Exits 1 when
// a copy was found and brought to the front, 0 when none runs.
#include "instance/mFindApp.h"
#include "platform/console_user_interface.h"
#include "platform/linux/x11_window_system.h"
#include "platform/platform.h"
int main() {
  vigilo::ConsoleUserInterface ui;
  vigilo::X11WindowSystem windows;
  vigilo::Platform p;
  p.ui = &ui;
  p.windows = &windows;
  vigilo::ScopedPlatform installed(p);
  return vigilo::mFindApp::FindApplication("Vigilo - by Brivant", 2, false) ? 0 : 1;
}
