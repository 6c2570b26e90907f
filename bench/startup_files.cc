// Times the file work of a first and a second start (the profile's registry
// value, the user's copies of the INI file and setup database, the INI reads
// and the "FILES" section) on a fresh copy of the demo installation, and
// counts the files that a second start rewrote: a second start should find
// everything in place and rewrite nothing.
//   startup_files [REPETITIONS]
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "installation/UserCopies.h"
#include "installation/ensureFilesSection.h"
#include "installation/modIni.h"
#include "platform/console_user_interface.h"
#include "platform/linux/file_registry_store.h"
#include "platform/linux/ini_profile_functions.h"
#include "platform/linux/local_clock.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/xdg_shell_folders.h"
#include "platform/platform.h"
#include "startup/ProductProfile.h"
#include "startup/mMain.h"

namespace fs = std::filesystem;
using namespace vigilo;

namespace {

// What identifies a file's content on disk: a rewrite gives a new inode or
// a new modification time.
using Snapshot = std::map<std::string, std::pair<ino_t, int64_t>>;

Snapshot snapshot(const fs::path& root) {
  Snapshot files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat st;
    if (!entry.is_regular_file() || ::stat(entry.path().c_str(), &st) != 0) continue;
    files[entry.path().string()] = {st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
  }
  return files;
}

int changedFiles(const Snapshot& before, const Snapshot& after) {
  int changed = 0;
  for (const auto& [path, id] : after) {
    const auto old = before.find(path);
    if (old == before.end() || old->second != id) ++changed;
  }
  return changed;
}

// The start-up's file work, in the start-up's order.
void startFiles() {
  mMain::initializeVersion();
  ProductProfile& profile = Profile();
  profile.IniFile = mMain::resolveINIFile();
  profile.SetupDatabase = mMain::resolveSetupDatabaseFile();
  modIni::ReadIni(profile.IniFile, "System", "StartupScreen");
  modIni::ReadIni(profile.IniFile, "FILES", "LiturgyFile");
  for (const char* key : {"SetupDatabase", "ToolbarDatabase", "MusicPath"})
    modIni::ReadIni(profile.IniFile, "System", key);
  mMain::ensureFilesSection(profile.IniFile);
}

double millisecondsOf(void (*work)()) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const fs::path demo = fs::path(VIGILO_DEMO_DIR);
  const fs::path scratch = fs::temp_directory_path() / ("vigilo-bench-" + std::to_string(::getpid()));

  std::vector<double> first, second;
  int rewritten = 0;
  for (int i = 0; i < repetitions; ++i) {
    fs::remove_all(scratch);
    const fs::path install = scratch / "install";
    fs::create_directories(install);
    for (const char* name : {"Brivant RB.ini", "UserData", "Resource"})
      fs::copy(demo / name, install / name, fs::copy_options::recursive);
    ::setenv("XDG_DATA_HOME", (scratch / "data").c_str(), 1);
    ::setenv("VIGILO_HKCU_FILE", (scratch / "user.reg").c_str(), 1);
    ::setenv("VIGILO_HKLM_FILE", (scratch / "machine.reg").c_str(), 1);

    ConsoleUserInterface ui;
    LocalClock clock;
    PosixRegionalSettings regional;
    PosixFileSystem files;
    XdgShellFolders shell;
    FileRegistryStore registry;
    IniProfileFunctions profile;
    Platform services;
    services.ui = &ui;
    services.clock = &clock;
    services.regional = &regional;
    services.files = &files;
    services.shell = &shell;
    services.registry = &registry;
    services.profile = &profile;
    services.executablePath = (install / "vigilo").string();
    ScopedPlatform installed(services);

    first.push_back(millisecondsOf(startFiles));
    const Snapshot before = snapshot(scratch);
    second.push_back(millisecondsOf(startFiles));
    rewritten = std::max(rewritten, changedFiles(before, snapshot(scratch)));
  }
  fs::remove_all(scratch);

  std::printf("first start's file work:  %.3f ms (median of %d)\n", median(first), repetitions);
  std::printf("second start's file work: %.3f ms (median of %d)\n", median(second), repetitions);
  std::printf("files a second start rewrote: %d\n", rewritten);
  return 0;
}
