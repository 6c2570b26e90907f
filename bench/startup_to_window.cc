// Times a cold start of the program on the demo installation, from the start
// of the process to its main window being mapped, against a bare GTK program
// that maps one window, alternating the two in the same run. Needs an X
// display without a window manager (tools/xvfb-session gives one):
//   startup_to_window [REPETITIONS]
// "first start" runs on an empty user folder each time (the user's copies are
// made); "later start" on the copies of the run before, as a user starts it
// every day.
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

Display* display;
Atom netWmName, utf8String, wmProtocols, wmDeleteWindow;

std::string titleOf(Window window) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8String, &type, &format,
                         &count, &after, &data) == Success &&
      data) {
    text.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  return text;
}

pid_t spawn(const std::string& path, const std::map<std::string, std::string>& overrides) {
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const auto eq = entry.find('=');
    if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [name, value] : overrides) merged[name] = value;
  std::vector<std::string> entries;
  for (const auto& [name, value] : merged) entries.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& e : entries) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
    std::fprintf(stderr, "cannot start %s\n", path.c_str());
    std::exit(1);
  }
  return pid;
}

// Waits for a window titled `title` to be mapped; its id, or 0 after 30 s.
Window waitForMap(const std::string& title) {
  const auto end = Clock::now() + std::chrono::seconds(30);
  while (Clock::now() < end) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && titleOf(event.xmap.window) == title) return event.xmap.window;
    }
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, 100);
  }
  return 0;
}

void closeAndWait(Window window, pid_t pid) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = wmProtocols;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(wmDeleteWindow);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  const auto end = Clock::now() + std::chrono::seconds(20);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > end) {
      std::fprintf(stderr, "the program did not end when its window was closed\n");
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return;
    }
    usleep(5000);
  }
}

// One start of `program`: milliseconds to its window titled `title`.
double timeStart(const std::string& program, const std::string& title,
                 const std::map<std::string, std::string>& environment) {
  XSync(display, True);  // forget the events of the runs before
  const auto started = Clock::now();
  const pid_t pid = spawn(program, environment);
  const Window window = waitForMap(title);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
  if (!window) {
    std::fprintf(stderr, "no window \"%s\" appeared\n", title.c_str());
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    std::exit(1);
  }
  closeAndWait(window, pid);
  return ms;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void report(const char* what, const std::vector<double>& ms, double bare) {
  std::printf("%-28s median %7.1f ms  min %7.1f ms  max %7.1f ms  %.2f x bare\n", what, median(ms),
              *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()),
              median(ms) / bare);
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "startup_to_window needs an X display (see tools/xvfb-session)\n");
    return 2;
  }
  netWmName = XInternAtom(display, "_NET_WM_NAME", False);
  utf8String = XInternAtom(display, "UTF8_STRING", False);
  wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
  wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

  // A copy of the demo installation, and user folders of its own.
  char pattern[] = "/tmp/vigilo-bench-XXXXXX";
  const fs::path root = mkdtemp(pattern);
  const fs::path install = root / "install";
  fs::copy(VIGILO_DEMO_DIR, install, fs::copy_options::recursive);
  const auto userFolders = [&](const std::string& name) {
    const fs::path user = root / name;
    fs::remove_all(user);
    for (const char* sub : {"home", "data", "config"}) fs::create_directories(user / sub);
    return std::map<std::string, std::string>{
        {"HOME", user / "home"},
        {"XDG_DATA_HOME", user / "data"},
        {"XDG_CONFIG_HOME", user / "config"},
        {"VIGILO_HKCU_FILE", user / "config/HKEY_CURRENT_USER.reg"},
        {"VIGILO_HKLM_FILE", install / "HKEY_LOCAL_MACHINE.reg"},
        {"GDK_BACKEND", "x11"},
        {"NO_AT_BRIDGE", "1"}};
  };
  const std::string starter = install / "vigilo";
  const std::string title = "Vigilo - by Brivant";
  const auto everyDay = userFolders("everyday");

  // Warms the file cache and the X server (GDK's first OpenGL probe) once.
  timeStart(VIGILO_BARE_GTK_WINDOW, "Bare GTK window", {});
  timeStart(starter, title, everyDay);

  std::vector<double> bare, later, first;
  for (int i = 0; i < repetitions; ++i) {
    bare.push_back(timeStart(VIGILO_BARE_GTK_WINDOW, "Bare GTK window", {}));
    later.push_back(timeStart(starter, title, everyDay));
    first.push_back(timeStart(starter, title, userFolders("first")));
  }
  const double bareMedian = median(bare);
  std::printf("start to window mapped, %d runs each, alternating:\n", repetitions);
  report("bare GTK program", bare, bareMedian);
  report("vigilo, later start", later, bareMedian);
  report("vigilo, first start", first, bareMedian);
  fs::remove_all(root);
  return 0;
}
