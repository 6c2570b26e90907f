// The running-copy question of a second start and nothing else: the program's
// platform services and FindApplication (mode 2, as the start-up asks it).
// Exits 1 when a copy was found and brought to the front, 0 when none runs.
#include "instance/mFindApp.h"
#include "platform/linux/linux_platform.h"

int main() {
  vigilo::LinuxPlatform services;
  vigilo::ScopedPlatform installed(services.platform());
  return vigilo::mFindApp::FindApplication("Vigilo - by Brivant", 2, false) ? 0 : 1;
}
