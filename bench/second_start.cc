// Times a second start of the program (a copy running, 50 other windows on
// the display) against `xdotool search --name` for the same title, the two
// alternating in the same run; also the finder alone in a process of its own
// (linked as the program is, and linked with nothing but what it uses), and,
// inside this process, the walk over the windows by the program's XCB
// services against one Xlib round trip per property. Needs an X display
// (tools/xvfb-session gives one; under .ci/with-openbox.sh with a manager):
//   second_start [REPETITIONS]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/x11_window_system.h"

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kTitle = "Vigilo - by Brivant";
constexpr int kOtherWindows = 50;

pid_t spawn(const std::vector<std::string>& arguments,
            const std::map<std::string, std::string>& overrides) {
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (const auto eq = entry.find('='); eq != std::string::npos) {
      merged[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
  }
  for (const auto& [name, value] : overrides) merged[name] = value;
  std::vector<std::string> entries;
  for (const auto& [name, value] : merged) entries.push_back(name + "=" + value);
  std::vector<char*> envp, argv;
  for (std::string& e : entries) envp.push_back(e.data());
  envp.push_back(nullptr);
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Wall time of one run of a program to its end, in milliseconds; its exit
// status in `status`.
double timeRun(const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& overrides, int& status) {
  const auto start = Clock::now();
  const pid_t pid = spawn(arguments, overrides);
  if (pid < 0) {
    std::fprintf(stderr, "cannot start %s\n", arguments[0].c_str());
    std::exit(1);
  }
  int raw = 0;
  waitpid(pid, &raw, 0);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double timeCall(const std::function<void()>& call) {
  const auto start = Clock::now();
  call();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Windows of other programs: mapped, titled and classed as applications'.
std::vector<Window> createOtherWindows(Display* display) {
  std::vector<Window> windows;
  for (int i = 0; i < kOtherWindows; ++i) {
    const Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), 10 * (i % 40),
                                         10 * (i % 40), 300, 200, 0, 0, 0xFFFFFF);
    const std::string title = "Document " + std::to_string(i) + " - Editor";
    XStoreName(display, w, title.c_str());
    XChangeProperty(display, w, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), title.size());
    XClassHint hint{const_cast<char*>("editor"), const_cast<char*>("Editor")};
    XSetClassHint(display, w, &hint);
    XMapWindow(display, w);
    windows.push_back(w);
  }
  XSync(display, False);
  return windows;
}

// The walk of a tool that asks for one property at a time (as xdotool and
// most Xlib programs do): the client under each frame, its title and class.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

bool hasWmState(Display* display, Window w, Atom wmState) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, w, wmState, 0, 2, False, AnyPropertyType, &type, &format, &count,
                     &after, &data);
  if (data) XFree(data);
  return type == wmState;
}

Window clientBelow(Display* display, Window w, Atom wmState, int depth) {
  if (hasWmState(display, w, wmState)) return w;
  if (depth == 0) return None;
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, w, &root, &parent, &children, &count)) return None;
  Window found = None;
  for (unsigned i = count; i-- > 0 && found == None;) {
    found = clientBelow(display, children[i], wmState, depth - 1);
  }
  if (children) XFree(children);
  return found;
}

int walkWithXlib(Display* display) {
  const Atom wmState = XInternAtom(display, "WM_STATE", False);
  const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
  int matches = 0;
  for (unsigned i = count; i-- > 0;) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, children[i], &attributes) ||
        attributes.c_class == InputOnly) {
      continue;
    }
    Window client = clientBelow(display, children[i], wmState, 4);
    if (client == None) client = children[i];
    XTextProperty name;
    std::string title;
    if (XGetTextProperty(display, client, &name, netWmName) ||
        XGetTextProperty(display, client, &name, XA_WM_NAME)) {
      title.assign(reinterpret_cast<char*>(name.value), name.nitems);
      XFree(name.value);
    }
    XClassHint hint{};
    if (XGetClassHint(display, client, &hint)) {
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
    matches += title.find(kTitle) != std::string::npos;
  }
  if (children) XFree(children);
  return matches;
}

vigilo::X11WindowSystem* walked = nullptr;
int walkMatches = 0;

int32_t readNames(vigilo::WindowHandle hWnd, int32_t) {
  walkMatches += walked->getWindowText(hWnd, 256).find(kTitle) != std::string::npos;
  walked->getClassName(hWnd, 40);
  return -1;
}

int walkWithXcb() {
  vigilo::X11WindowSystem windows;  // a fresh connection, as a second start has
  walked = &windows;
  walkMatches = 0;
  windows.enumWindows(readNames, 0);
  return walkMatches;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : 20;
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "second_start needs an X display (tools/xvfb-session second_start)\n");
    return 1;
  }
  XSetErrorHandler(ignoreErrors);
  const fs::path demo = VIGILO_DEMO_DIR;
  const fs::path dir =
      fs::temp_directory_path() / ("vigilo-second-start-" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::copy(demo, dir / "install", fs::copy_options::recursive);
  for (const char* folder : {"home", "data", "config"}) fs::create_directories(dir / folder);
  const std::map<std::string, std::string> settings = {
      {"HOME", dir / "home"},
      {"XDG_DATA_HOME", dir / "data"},
      {"XDG_CONFIG_HOME", dir / "config"},
      {"VIGILO_HKLM_FILE", dir / "install/HKEY_LOCAL_MACHINE.reg"},
      {"VIGILO_HKCU_FILE", dir / "config/HKEY_CURRENT_USER.reg"},
      {"GDK_BACKEND", "x11"},
      {"NO_AT_BRIDGE", "1"}};
  const std::string program = dir / "install/vigilo";

  createOtherWindows(display);
  const pid_t first = spawn({program}, settings);
  // The running copy is there once the finder sees it.
  int status = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(90);
  while (timeRun({VIGILO_FIND_RUNNING_COPY}, settings, status), status != 1) {
    if (Clock::now() > deadline) {
      std::fprintf(stderr, "the first start showed no main window\n");
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }

  std::vector<double> secondStart, finder, leanFinder, xdotool, xcbWalk, xlibWalk;
  int failures = 0;
  for (int i = 0; i < repetitions; ++i) {
    secondStart.push_back(timeRun({program}, settings, status));
    failures += status != 0;
    xdotool.push_back(timeRun({"xdotool", "search", "--name", kTitle}, {}, status));
    failures += status != 0;
    finder.push_back(timeRun({VIGILO_FIND_RUNNING_COPY}, settings, status));
    failures += status != 1;
    leanFinder.push_back(timeRun({VIGILO_FIND_RUNNING_COPY_LEAN}, settings, status));
    failures += status != 1;
    int xcbMatches = 0, xlibMatches = 0;
    xcbWalk.push_back(timeCall([&] { xcbMatches = walkWithXcb(); }));
    xlibWalk.push_back(timeCall([&] { xlibMatches = walkWithXlib(display); }));
    failures += xcbMatches != 1 || xlibMatches != 1;
  }
  kill(first, SIGTERM);
  waitpid(first, nullptr, 0);
  fs::remove_all(dir);

  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, DefaultRootWindow(display),
                     XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                     XA_WINDOW, &type, &format, &count, &after, &data);
  const bool manager = data && count == 1;
  if (data) XFree(data);

  std::printf("second start with a copy running and %d other windows, %s; median of %d, ms\n",
              kOtherWindows, manager ? "under a window manager" : "no window manager", repetitions);
  std::printf("  second start of the program       %8.2f\n", median(secondStart));
  std::printf("  xdotool search --name             %8.2f\n", median(xdotool));
  std::printf("  ratio (goal: at most 1.5)         %8.2f\n", median(secondStart) / median(xdotool));
  std::printf("  the finder alone, own process     %8.2f\n", median(finder));
  std::printf("  the same, no GTK loaded           %8.2f\n", median(leanFinder));
  std::printf("  walk in process: XCB, batched     %8.2f\n", median(xcbWalk));
  std::printf("  walk in process: Xlib round trips %8.2f\n", median(xlibWalk));
  if (failures) std::printf("  %d runs gave a wrong answer\n", failures);
  XCloseDisplay(display);
  return failures ? 1 : 0;
}
