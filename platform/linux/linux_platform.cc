#include "platform/linux/linux_platform.h"

#include "platform/linux/executable_path.h"
#include "platform/linux/file_registry_store.h"
#include "platform/linux/gtk_library_user_interface.h"
#include "platform/linux/ini_profile_functions.h"
#include "platform/linux/local_clock.h"
#include "platform/linux/mdb_database_engine.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/posix_process_launcher.h"
#include "platform/linux/registered_components.h"
#include "platform/linux/webkit_info_message_windows.h"
#include "platform/linux/x11_window_system.h"
#include "platform/linux/xdg_shell_folders.h"

namespace vigilo {

struct LinuxPlatform::Backends {
  GtkLibraryUserInterface ui;
  LocalClock clock;
  PosixRegionalSettings regional;
  PosixFileSystem files;
  MdbDatabaseEngine databases;
  WebKitInfoMessageWindows infoWindows;
  XdgShellFolders shell;
  FileRegistryStore registry;
  IniProfileFunctions profile;
  PosixProcessLauncher processes;
  RegisteredComponents components;
  X11WindowSystem windows;
};

LinuxPlatform::LinuxPlatform() : backends_(std::make_unique<Backends>()) {
  platform_.ui = &backends_->ui;
  platform_.clock = &backends_->clock;
  platform_.regional = &backends_->regional;
  platform_.files = &backends_->files;
  platform_.databases = &backends_->databases;
  platform_.infoWindows = &backends_->infoWindows;
  platform_.shell = &backends_->shell;
  platform_.registry = &backends_->registry;
  platform_.profile = &backends_->profile;
  platform_.processes = &backends_->processes;
  platform_.components = &backends_->components;
  platform_.windows = &backends_->windows;
  platform_.executablePath = runningExecutablePath();
}

LinuxPlatform::~LinuxPlatform() = default;

}  // namespace vigilo
