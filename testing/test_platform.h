#pragma once

#include <string>

#include "platform/platform.h"
#include "testing/fake_clock.h"
#include "testing/fake_shell_folders.h"
#include "testing/fake_user_interface.h"
#include "testing/memory_registry_store.h"
#include "testing/recording_file_system.h"
#include "testing/scoped_temp_dir.h"

namespace vigilo::testing {

// A temporary machine for a test: an installation folder with the
// executable's path in it, an application-data folder, and fakes of the
// user interface, clock, shell and registry over the real file system.
// Installed as the platform for the lifetime of the object.
class TestPlatform {
 public:
  TestPlatform();

  const std::string& installFolder() const { return install_; }
  const std::string& appDataFolder() const { return appData_; }
  ScopedTempDir& root() { return root_; }

  FakeUserInterface ui;
  FakeClock clock;
  FakeRegionalSettings regional;
  RecordingFileSystem files;
  FakeShellFolders shell;
  MemoryRegistryStore registry;
  Platform services;

 private:
  ScopedTempDir root_;
  std::string install_;
  std::string appData_;
  ScopedPlatform installed_;
};

}  // namespace vigilo::testing
