#include "testing/private_x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

#include "testing/x11_probe.h"

// After the other headers: Xlib's macros (None, Bool) clash with names there.
#include <X11/Xlib.h>

extern char** environ;

namespace vigilo::testing {
namespace {

pid_t spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
            int keepOpen = -1) {
  std::vector<char*> argv, envp;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  posix_spawn_file_actions_adddup2(&actions, devNull, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, devNull, STDERR_FILENO);
  // dup2 onto itself clears close-on-exec: the child keeps this descriptor.
  if (keepOpen >= 0) posix_spawn_file_actions_adddup2(&actions, keepOpen, keepOpen);
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(devNull);
  if (failed) throw std::runtime_error("cannot start " + arguments[0]);
  return pid;
}

std::vector<std::string> environmentWith(const std::string& display) {
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) {
    if (std::string(*e).rfind("DISPLAY=", 0) != 0) environment.push_back(*e);
  }
  environment.push_back("DISPLAY=" + display);
  return environment;
}

void stop(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  int status;
  waitpid(pid, &status, 0);
  pid = -1;
}

// Openbox names its check window before it takes over windows: a window
// mapped in between would stay unmanaged. Ready is when it has taken over a
// window of ours.
bool managesWindows(const std::string& display) {
  Display* x = XOpenDisplay(display.c_str());
  if (!x) return false;
  const Atom wmState = XInternAtom(x, "WM_STATE", False);
  const Window probe = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 10, 10, 0, 0, 0);
  bool managed = false;
  for (int attempt = 0; attempt < 50 && !managed; ++attempt) {
    XUnmapWindow(x, probe);
    XMapWindow(x, probe);
    XSync(x, False);
    managed = eventually(
        [&] {
          Atom type = 0;
          int format;
          unsigned long count, after;
          unsigned char* data = nullptr;
          XGetWindowProperty(x, probe, wmState, 0, 2, False, wmState, &type, &format, &count,
                             &after, &data);
          if (data) XFree(data);
          return type == wmState;
        },
        std::chrono::milliseconds(400));
  }
  XDestroyWindow(x, probe);
  XCloseDisplay(x);
  return managed;
}

}  // namespace

bool windowManagerOnDisplay() {
  if (!std::getenv("DISPLAY")) return false;
  return X11Probe().windowManagerRunning();
}

PrivateXServer::PrivateXServer(bool windowManager) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  const std::vector<std::string> environment = environmentWith(":0");
  server_ = spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp", "-noreset"},
                  environment, pipeFds[1]);
  close(pipeFds[1]);
  // The server writes its display number once it accepts connections.
  std::string number;
  pollfd fd = {pipeFds[0], POLLIN, 0};
  char buffer[32];
  while (number.find('\n') == std::string::npos && poll(&fd, 1, 20000) > 0) {
    const ssize_t count = read(pipeFds[0], buffer, sizeof buffer);
    if (count <= 0) break;
    number.append(buffer, count);
  }
  close(pipeFds[0]);
  if (number.find('\n') == std::string::npos) {
    stop(server_);
    throw std::runtime_error("the virtual X server did not start");
  }
  display_ = ":" + number.substr(0, number.find('\n'));
  if (!windowManager) return;

  windowManager_ = spawn({"openbox", "--sm-disable"}, environmentWith(display_));
  if (!managesWindows(display_)) {
    stop(windowManager_);
    stop(server_);
    throw std::runtime_error("openbox did not start");
  }
}

PrivateXServer::~PrivateXServer() {
  stop(windowManager_);
  stop(server_);
}

PrivateDisplay::PrivateDisplay() : server_(windowManagerOnDisplay()) {
  if (const char* outer = std::getenv("DISPLAY")) outer_ = outer;
  setenv("DISPLAY", server_.display().c_str(), 1);
}

PrivateDisplay::~PrivateDisplay() {
  outer_ ? setenv("DISPLAY", outer_->c_str(), 1) : unsetenv("DISPLAY");
}

}  // namespace vigilo::testing
