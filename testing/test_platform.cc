#include "testing/test_platform.h"

#include <filesystem>

namespace vigilo::testing {
namespace {

Platform wire(TestPlatform& t) {
  Platform p = platform();
  p.ui = &t.ui;
  p.clock = &t.clock;
  p.regional = &t.regional;
  p.files = &t.files;
  p.shell = &t.shell;
  p.registry = &t.registry;
  return p;
}

}  // namespace

TestPlatform::TestPlatform()
    : install_(root_ / "install"), appData_(root_ / "appdata"), installed_(wire(*this)) {
  std::filesystem::create_directories(install_);
  std::filesystem::create_directories(appData_);
  shell.folders[kCsidlAppData] = appData_;
  platform().executablePath = install_ + "/vigilo";
  services = platform();
}

}  // namespace vigilo::testing
