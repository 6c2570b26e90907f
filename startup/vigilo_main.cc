#include "platform/linux/linux_platform.h"
#include "platform/user_interface.h"
#include "startup/mMain.h"

int main() {
  vigilo::LinuxPlatform services;
  vigilo::ScopedPlatform installed(services.platform());
  vigilo::mMain::Main();
  // The program lives on for as long as its launcher form is loaded.
  vigilo::platform().ui->runWhileFormsLoaded();
  return 0;
}
