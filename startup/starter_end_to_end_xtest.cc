// The built program on a temporary copy of the demo installation, as a user
// starts it: the main window comes up, a second start gives way, closing the
// main window ends the starter, and the user's INI copy holds the defaults
// the launch wrote.
#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool) clash with gtest's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/ini_profile_functions.h"
#include "testing/scoped_temp_dir.h"

extern char** environ;

namespace vigilo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kTitle = "Vigilo - by Brivant";

// A top-level window as another program sees it.
struct SeenWindow {
  Window id = 0;
  std::string title;
  std::string windowClass;
  bool viewable = false;
};

class Desktop {
 public:
  Desktop() : display_(XOpenDisplay(nullptr)) {}
  ~Desktop() {
    if (display_) XCloseDisplay(display_);
  }
  bool open() const { return display_ != nullptr; }

  // Every window that has a class (clients, under a window manager's frames
  // too), topmost last.
  std::vector<SeenWindow> windows() {
    std::vector<SeenWindow> found;
    XSync(display_, False);
    auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    collect(DefaultRootWindow(display_), 0, &found);
    XSync(display_, False);
    XSetErrorHandler(previous);
    return found;
  }

  std::optional<SeenWindow> find(const std::string& title, bool viewable) {
    for (const SeenWindow& w : windows())
      if (w.title == title && w.viewable == viewable) return w;
    return std::nullopt;
  }

  void requestClose(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
  }

 private:
  void collect(Window parent, int depth, std::vector<SeenWindow>* found) {
    Window root, parentOut, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, parent, &root, &parentOut, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) {
      SeenWindow w;
      w.id = children[i];
      XClassHint hint{};
      if (XGetClassHint(display_, w.id, &hint)) {
        w.windowClass = hint.res_class ? hint.res_class : "";
        XFree(hint.res_name);
        XFree(hint.res_class);
        w.title = title(w.id);
        XWindowAttributes attributes{};
        XGetWindowAttributes(display_, w.id, &attributes);
        w.viewable = attributes.map_state == IsViewable;
        found->push_back(w);
      } else if (depth < 2) {
        collect(w.id, depth + 1, found);  // a window manager's frame
      }
    }
    if (children) XFree(children);
  }

  std::string title(Window window) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, "_NET_WM_NAME", False), 0, 1024,
                           False, XInternAtom(display_, "UTF8_STRING", False), &type, &format,
                           &count, &after, &data) == Success &&
        data) {
      text.assign(reinterpret_cast<char*>(data), count);
      XFree(data);
    }
    return text;
  }

  Display* display_;
};

// A run of the program, stopped at the end of the test whatever happened.
class Program {
 public:
  Program(const std::string& path, const std::map<std::string, std::string>& environment) {
    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      const auto eq = entry.find('=');
      if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : environment) merged[name] = value;
    std::vector<std::string> entries;
    for (const auto& [name, value] : merged) entries.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : entries) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = path;
    char* argv[] = {program.data(), nullptr};
    if (posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv, envp.data()) != 0) pid_ = 0;
  }
  ~Program() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool started() const { return pid_ > 0; }

  // The exit status, once the program has ended within `limit`.
  std::optional<int> waitForExit(std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
  }

 private:
  pid_t pid_ = 0;
};

template <typename F>
auto waitFor(F&& probe, std::chrono::seconds limit) -> decltype(probe()) {
  const auto end = Clock::now() + limit;
  while (true) {
    auto result = probe();
    if (result || Clock::now() >= end) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::string findFile(const fs::path& root, const std::string& name) {
  if (!fs::exists(root)) return "";
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.path().filename() == name) return entry.path().string();
  return "";
}

class StarterEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(desktop_.open()) << "no display";
    const fs::path demo = fs::path(VIGILO_BINARY_DIR) / "demo";
    ASSERT_TRUE(fs::exists(demo / "vigilo")) << "the program is not built";
    ASSERT_TRUE(fs::exists(demo / "HKEY_LOCAL_MACHINE.reg")) << "the components are not registered";
    install_ = dir_ / "install";
    fs::copy(demo, install_, fs::copy_options::recursive);
    for (const char* folder : {"home", "data", "config"}) fs::create_directories(dir_ / folder);
    environment_ = {{"HOME", dir_ / "home"},
                    {"XDG_DATA_HOME", dir_ / "data"},
                    {"XDG_CONFIG_HOME", dir_ / "config"},
                    {"VIGILO_HKLM_FILE", install_ + "/HKEY_LOCAL_MACHINE.reg"},
                    {"VIGILO_HKCU_FILE", dir_ / "config/HKEY_CURRENT_USER.reg"},
                    {"GDK_BACKEND", "x11"},
                    {"NO_AT_BRIDGE", "1"}};
  }

  std::string program() const { return install_ + "/vigilo"; }

  Desktop desktop_;
  testing::ScopedTempDir dir_;
  std::string install_;
  std::map<std::string, std::string> environment_;
};

TEST_F(StarterEndToEndTest, StartsTheMainApplicationAndEndsWithItsWindow) {
  ASSERT_FALSE(desktop_.find(kTitle, true)) << "a main window is up already";
  Program starter(program(), environment_);
  ASSERT_TRUE(starter.started());

  const auto main = waitFor([&] { return desktop_.find(kTitle, true); }, std::chrono::seconds(60));
  ASSERT_TRUE(main) << "the main window did not appear";
  EXPECT_EQ(main->windowClass, "ThunderRT6FormDC");
  // The launcher form: loaded, never shown, of the same class.
  const auto launcher = desktop_.find("Form1", false);
  ASSERT_TRUE(launcher);
  EXPECT_EQ(launcher->windowClass, "ThunderRT6FormDC");

  // A second start finds the running copy and gives way without a window.
  Program second(program(), environment_);
  EXPECT_EQ(second.waitForExit(std::chrono::seconds(30)), std::optional<int>(0));
  int mainWindows = 0;
  for (const SeenWindow& w : desktop_.windows()) mainWindows += w.title == kTitle && w.viewable;
  EXPECT_EQ(mainWindows, 1);

  desktop_.requestClose(main->id);
  EXPECT_EQ(starter.waitForExit(std::chrono::seconds(30)), std::optional<int>(0));
  EXPECT_FALSE(desktop_.find("Form1", false));

  // The user's INI copy holds the defaults the launch wrote.
  const std::string ini = findFile(dir_ / "data", "Brivant RB.ini");
  ASSERT_FALSE(ini.empty()) << "no INI copy under the user's data folder";
  IniProfileFunctions profile;
  const auto read = [&](const char* key) {
    return profile.getPrivateProfileString("System", key, "", 255, ini);
  };
  const std::string setupCopy = findFile(dir_ / "data", "Brivant ResourcesRB 1015.MDB");
  EXPECT_FALSE(setupCopy.empty());
  EXPECT_EQ(read("SetupDatabase"), setupCopy);
  EXPECT_EQ(read("ToolbarDatabase"), install_ + "/Resource/ToolBarsRB 1015.mdb");
  EXPECT_EQ(read("MusicPath"), install_ + "/Music/");
  EXPECT_EQ(read("StartupScreen"), "Splash.gif");
  // The installation's own file is never changed.
  EXPECT_EQ(profile.getPrivateProfileString("System", "MusicPath", "x", 255,
                                            install_ + "/Brivant RB.ini"),
            "");
}

// The launcher form's window, closed by another program (here: this test), ends
// the starter, as the main application's closing of it does.
TEST_F(StarterEndToEndTest, ACloseRequestToTheLauncherFormEndsTheProgram) {
  Program starter(program(), environment_);
  ASSERT_TRUE(starter.started());
  ASSERT_TRUE(waitFor([&] { return desktop_.find(kTitle, true); }, std::chrono::seconds(60)));
  const auto launcher = desktop_.find("Form1", false);
  ASSERT_TRUE(launcher);

  desktop_.requestClose(launcher->id);
  EXPECT_EQ(starter.waitForExit(std::chrono::seconds(30)), std::optional<int>(0));
  EXPECT_FALSE(desktop_.find(kTitle, true));  // the main application lived in the starter
}

}  // namespace
}  // namespace vigilo
