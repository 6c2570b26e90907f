// Two starts of the built program on a copy of the demo installation, on an
// X server of the test's own (with openbox when the test display has a window
// manager): the second start brings the first's main window to the front and
// ends at once, without a message and without touching the user's files.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/x11_window_system.h"
#include "testing/private_x_server.h"
#include "testing/scoped_temp_dir.h"
#include "testing/test_window_owner.h"
#include "testing/x11_probe.h"

extern char** environ;

namespace vigilo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::eventually;
using testing::PrivateXServer;
using testing::ScopedTempDir;
using testing::TestWindowOwner;
using testing::X11Probe;

constexpr const char* kTitle = "Vigilo - by Brivant";
constexpr const char* kClass = "ThunderRT6FormDC";

// A run of the program with its output in a file; killed at the end of the
// test if it is still running.
class ProgramRun {
 public:
  ProgramRun(const std::string& program, const std::map<std::string, std::string>& settings,
             const std::string& output) {
    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      if (const size_t eq = entry.find('='); eq != std::string::npos) {
        merged[entry.substr(0, eq)] = entry.substr(eq + 1);
      }
    }
    for (const auto& [name, value] : settings) merged[name] = value;
    std::vector<std::string> entries;
    for (const auto& [name, value] : merged) entries.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : entries) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ProgramRun() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool started() const { return pid_ > 0; }
  bool running() { return pid_ > 0 && !exitStatus(0ms); }

  // The exit status once the program has ended within `limit`.
  std::optional<int> exitStatus(std::chrono::milliseconds limit) {
    if (status_) return status_;
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return status_;
      }
      std::this_thread::sleep_for(10ms);
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// Sets $DISPLAY for the lifetime of the object.
class DisplayScope {
 public:
  explicit DisplayScope(const std::string& display) {
    if (const char* old = std::getenv("DISPLAY")) old_ = old;
    setenv("DISPLAY", display.c_str(), 1);
  }
  ~DisplayScope() { old_ ? setenv("DISPLAY", old_->c_str(), 1) : unsetenv("DISPLAY"); }

 private:
  std::optional<std::string> old_;
};

// Every file under `root` with its size and time of last change.
std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> filesUnder(const fs::path& root) {
  std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) {
      files[entry.path().string()] = {entry.file_size(), entry.last_write_time()};
    }
  }
  return files;
}

// The callback of the search below takes no context.
X11WindowSystem* searched = nullptr;
WindowHandle mainWindow = 0;

int32_t findMainWindow(WindowHandle hWnd, int32_t) {
  if (searched->getWindowText(hWnd, 256).find(kTitle) == std::string::npos ||
      searched->getClassName(hWnd, 40) != kClass) {
    return -1;
  }
  mainWindow = hWnd;
  return 0;
}

// The program's main window on the screen: visible, with the title and class.
WindowHandle shownMainWindow(X11WindowSystem& windows, X11Probe& probe) {
  searched = &windows;
  mainWindow = 0;
  windows.enumWindows(findMainWindow, 0);
  return mainWindow && probe.isViewable(mainWindow) ? mainWindow : 0;
}

TEST(SecondStartTest, GivesWayToTheRunningCopyAndBringsItToTheFront) {
  const fs::path demo = fs::path(VIGILO_BINARY_DIR) / "demo";
  ASSERT_TRUE(fs::exists(demo / "vigilo")) << "the program is not built";
  ASSERT_TRUE(fs::exists(demo / "HKEY_LOCAL_MACHINE.reg")) << "the components are not registered";

  PrivateXServer server(testing::windowManagerOnDisplay());
  DisplayScope display(server.display());
  ScopedTempDir dir;
  const std::string install = dir / "install";
  fs::copy(demo, install, fs::copy_options::recursive);
  for (const char* folder : {"home", "data", "config"}) fs::create_directories(dir / folder);
  const std::map<std::string, std::string> settings = {
      {"DISPLAY", server.display()},
      {"HOME", dir / "home"},
      {"XDG_DATA_HOME", dir / "data"},
      {"XDG_CONFIG_HOME", dir / "config"},
      {"VIGILO_HKLM_FILE", install + "/HKEY_LOCAL_MACHINE.reg"},
      {"VIGILO_HKCU_FILE", dir / "config/HKEY_CURRENT_USER.reg"},
      {"GDK_BACKEND", "x11"},
      {"NO_AT_BRIDGE", "1"}};
  const std::string program = install + "/vigilo";

  X11WindowSystem windows;
  X11Probe probe;
  ProgramRun first(program, settings, dir / "first.log");
  ASSERT_TRUE(first.started());
  WindowHandle main = 0;
  ASSERT_TRUE(eventually([&] { return (main = shownMainWindow(windows, probe)) != 0; }, 90s))
      << "the first start showed no main window";

  // Another program's window comes in front of it.
  TestWindowOwner owner(VIGILO_X11_TEST_WINDOWS);
  const WindowHandle other = owner.create("title=Another program\tclass=Other");
  windows.setForegroundWindow(other);
  ASSERT_TRUE(eventually([&] { return probe.isActive(other); }));
  ASSERT_TRUE(eventually([&] { return probe.isAbove(other, main); }));
  // The first start's files as it left them.
  ASSERT_TRUE(eventually([&] { return !filesUnder(dir / "data").empty(); }));
  std::this_thread::sleep_for(500ms);
  const auto userFiles = filesUnder(dir / "data");
  const auto settingFiles = filesUnder(dir / "config");

  ProgramRun second(program, settings, dir / "second.log");
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.exitStatus(30s), std::optional<int>(0)) << "the second start did not end";
  EXPECT_TRUE(eventually([&] { return probe.isActive(main); }));
  EXPECT_TRUE(eventually([&] { return probe.isAbove(main, other); }));
  // No message, not even on the console, and nothing written.
  EXPECT_EQ(fs::file_size(dir / "second.log"), 0u);
  EXPECT_EQ(filesUnder(dir / "data"), userFiles);
  EXPECT_EQ(filesUnder(dir / "config"), settingFiles);
  EXPECT_TRUE(first.running());
  EXPECT_EQ(shownMainWindow(windows, probe), main);

  // Closing the main window ends the running copy.
  windows.closeWindow(main);
  EXPECT_EQ(first.exitStatus(30s), std::optional<int>(0));
}

}  // namespace
}  // namespace vigilo
