#pragma once

#include <string>

namespace vigilo {

class UserInterface;
class Clock;
class RegionalSettings;
class FileSystem;
class ShellFolders;
class RegistryStore;
class ProfileFunctions;
class Components;
class WindowSystem;
class ProcessLauncher;
class InfoMessageWindows;
namespace ado {
class DatabaseEngine;
}

// The services through which the program reaches the operating system. The
// program installs the real ones at its start; tests install fakes.
struct Platform {
  UserInterface* ui = nullptr;
  Clock* clock = nullptr;
  RegionalSettings* regional = nullptr;
  FileSystem* files = nullptr;
  ShellFolders* shell = nullptr;
  RegistryStore* registry = nullptr;
  ProfileFunctions* profile = nullptr;
  Components* components = nullptr;
  WindowSystem* windows = nullptr;
  ProcessLauncher* processes = nullptr;
  ado::DatabaseEngine* databases = nullptr;
  InfoMessageWindows* infoWindows = nullptr;
  // Full path of the running executable.
  std::string executablePath;
};

// The installed services.
Platform& platform();

// Installs `services` for the lifetime of this object and puts the previous
// ones back afterwards.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(const Platform& services);
  ~ScopedPlatform();
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform previous_;
};

// The folder that holds the executable, without a trailing separator.
std::string exeFolder();

// The platform's path separator, which stands where a joined path has "\".
inline constexpr char kPathSeparator = '/';

}  // namespace vigilo
