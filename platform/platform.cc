#include "platform/platform.h"

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/object.h"
#include "platform/profile_functions.h"
#include "platform/registry_store.h"
#include "platform/shell_folders.h"
#include "platform/user_interface.h"

namespace vigilo {

// Out-of-line destructors anchor each interface's type information here.
UserInterface::~UserInterface() = default;
Clock::~Clock() = default;
RegionalSettings::~RegionalSettings() = default;
ReadableFile::~ReadableFile() = default;
ReplacementFile::~ReplacementFile() = default;
FileSystem::~FileSystem() = default;
ShellFolders::~ShellFolders() = default;
RegistryStore::~RegistryStore() = default;
ProfileFunctions::~ProfileFunctions() = default;
Components::~Components() = default;

Platform& platform() {
  static Platform installed;
  return installed;
}

ScopedPlatform::ScopedPlatform(const Platform& services) : previous_(platform()) {
  platform() = services;
}

ScopedPlatform::~ScopedPlatform() { platform() = previous_; }

std::string exeFolder() {
  const std::string& path = platform().executablePath;
  const auto slash = path.find_last_of(kPathSeparator);
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash);
}

}  // namespace vigilo
