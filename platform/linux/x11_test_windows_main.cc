// A program that owns windows for the window-finding tests: another X client,
// as a running copy of the application is. It reads commands line by line on
// standard input and answers on standard output:
//
//   window FIELDS   creates a window on top of the others; answers "created ID"
//                   once it is where the command put it. FIELDS are separated
//                   by tabs, values take \xNN, \t and \\ escapes:
//                     title=TEXT     _NET_WM_NAME (UTF-8) and WM_NAME, as GTK sets them
//                     net=BYTES      _NET_WM_NAME only, any bytes
//                     wm=BYTES       WM_NAME only, type STRING (ISO 8859-1)
//                     compound=TEXT  WM_NAME only, as COMPOUND_TEXT
//                     class=NAME     the class part of WM_CLASS
//                     state=normal|iconic|hidden   (default normal)
//                     inputonly      an InputOnly window
//                     refuse-close   declines close requests
//   destroy ID      destroys a window; answers "destroyed ID"
//   churn N         keeps N short-lived windows coming and going until "stop"
//   stop            ends the churn; answers "stopped"
//   sync            answers "synced" after the server has seen all requests
//
// A close request (WM_DELETE_WINDOW) is answered "closed ID" after the window
// is destroyed, or "declined ID". The program ends at the end of its input.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

Display* display;
Atom wmProtocols, wmDeleteWindow, wmState, netWmName, utf8String, netSupportingWmCheck;
std::set<Window> refusingClose;
std::deque<Window> churning;
size_t churnCount = 0;

void answer(const std::string& line) {
  std::cout << line << std::endl;  // flushed: the test waits for it
}

std::string unescape(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
    } else if (value[i + 1] == 'x' && i + 3 < value.size() + 1) {
      out += static_cast<char>(std::strtol(value.substr(i + 2, 2).c_str(), nullptr, 16));
      i += 3;
    } else {
      out += value[i + 1] == 't' ? '\t' : value[i + 1];
      ++i;
    }
  }
  return out;
}

bool windowManagerRunning() {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, DefaultRootWindow(display), netSupportingWmCheck, 0, 1, False,
                     XA_WINDOW, &type, &format, &count, &after, &data);
  const bool running = data && count == 1;
  if (data) XFree(data);
  return running;
}

void setText(Window window, Atom property, Atom type, const std::string& bytes) {
  XChangeProperty(display, window, property, type, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(bytes.data()),
                  static_cast<int>(bytes.size()));
}

// Waits until `done` holds, for at most `timeoutMs`, handling nothing but the
// events of the window; false on a time-out.
template <typename Done>
bool waitFor(Window window, Done done, int timeoutMs) {
  const long mask = StructureNotifyMask | PropertyChangeMask;
  for (int waited = 0; waited < timeoutMs;) {
    XEvent event;
    while (XCheckWindowEvent(display, window, mask, &event)) {
      if (done(event)) return true;
    }
    pollfd fd = {ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, 10);
    waited += 10;
  }
  return false;
}

bool hasWmState(Window window) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, window, wmState, 0, 2, False, wmState, &type, &format, &count, &after,
                     &data);
  const bool has = data && count >= 1;
  if (data) XFree(data);
  return has;
}

Window createWindow(const std::string& fields) {
  std::map<std::string, std::string> values;
  std::istringstream in(fields);
  for (std::string field; std::getline(in, field, '\t');) {
    const size_t equals = field.find('=');
    values[field.substr(0, equals)] =
        equals == std::string::npos ? "" : unescape(field.substr(equals + 1));
  }
  const bool inputOnly = values.count("inputonly");
  XSetWindowAttributes attributes{};
  attributes.event_mask = StructureNotifyMask | PropertyChangeMask;
  static int offset = 0;
  offset = (offset + 20) % 400;
  const Window window =
      XCreateWindow(display, DefaultRootWindow(display), 50 + offset, 50 + offset, 240, 120, 0,
                    inputOnly ? 0 : CopyFromParent, inputOnly ? InputOnly : InputOutput,
                    CopyFromParent, CWEventMask, &attributes);
  if (values.count("title")) {
    setText(window, netWmName, utf8String, values["title"]);
    XTextProperty text;
    char* list[] = {values["title"].data()};
    Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &text);
    XSetWMName(display, window, &text);
    XFree(text.value);
  }
  if (values.count("net")) setText(window, netWmName, utf8String, values["net"]);
  if (values.count("wm")) setText(window, XA_WM_NAME, XA_STRING, values["wm"]);
  if (values.count("compound")) {
    XTextProperty text;
    char* list[] = {values["compound"].data()};
    Xutf8TextListToTextProperty(display, list, 1, XCompoundTextStyle, &text);
    XSetWMName(display, window, &text);
    XFree(text.value);
  }
  if (values.count("class")) {
    XClassHint hint;
    hint.res_name = const_cast<char*>("vigilo-test");
    hint.res_class = values["class"].data();
    XSetClassHint(display, window, &hint);
  }
  if (!inputOnly) XSetWMProtocols(display, window, &wmDeleteWindow, 1);
  if (values.count("refuse-close")) refusingClose.insert(window);

  const std::string state = values.count("state") ? values["state"] : "normal";
  const bool manager = windowManagerRunning();
  if (state == "iconic" && !manager) {
    // Without a manager nobody else would: the window says it itself.
    const long iconic[2] = {IconicState, None};
    XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(iconic), 2);
  } else if (state == "iconic" || (state == "normal" && !inputOnly)) {
    if (state == "iconic") {
      // The manager takes it over minimised and says so in WM_STATE.
      XWMHints hints{};
      hints.flags = StateHint;
      hints.initial_state = IconicState;
      XSetWMHints(display, window, &hints);
    }
    // A manager that is still starting may miss the request: ask again.
    const auto mapNotify = [](const XEvent& e) { return e.type == MapNotify; };
    const auto stateSet = [window](const XEvent& e) {
      return e.type == PropertyNotify && e.xproperty.atom == wmState && hasWmState(window);
    };
    for (int attempt = 0; attempt < 10; ++attempt) {
      if (attempt > 0) XUnmapWindow(display, window);
      XMapWindow(display, window);
      XSync(display, False);
      // A minimised window is never mapped; a manager sets WM_STATE when it
      // takes a window over.
      if (state == "normal" && !waitFor(window, mapNotify, 2000)) continue;
      if (!manager || hasWmState(window) || waitFor(window, stateSet, 2000)) break;
    }
  }
  XSync(display, False);
  return window;
}

void churn() {
  while (churning.size() < churnCount) {
    // Override-redirect: a window manager leaves them alone, so they come
    // and go as fast as under no manager.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window window =
        XCreateWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    XStoreName(display, window, "churn");
    XMapWindow(display, window);
    churning.push_back(window);
  }
  if (!churning.empty()) {
    XDestroyWindow(display, churning.front());
    churning.pop_front();
  }
  XFlush(display);
}

void handleCommand(const std::string& line) {
  std::istringstream in(line);
  std::string command;
  in >> command;
  if (command == "window") {
    const size_t start = line.find_first_not_of(' ', command.size());
    answer("created " +
           std::to_string(createWindow(start == std::string::npos ? "" : line.substr(start))));
  } else if (command == "destroy") {
    Window window = 0;
    in >> window;
    XDestroyWindow(display, window);
    XSync(display, False);
    answer("destroyed " + std::to_string(window));
  } else if (command == "churn") {
    in >> churnCount;
  } else if (command == "stop") {
    churnCount = 0;
    while (!churning.empty()) churn();
    XSync(display, False);
    answer("stopped");
  } else if (command == "sync") {
    XSync(display, False);
    answer("synced");
  }
}

void handleEvent(const XEvent& event) {
  if (event.type != ClientMessage || event.xclient.message_type != wmProtocols ||
      static_cast<Atom>(event.xclient.data.l[0]) != wmDeleteWindow) {
    return;
  }
  const Window window = event.xclient.window;
  if (refusingClose.count(window)) {
    answer("declined " + std::to_string(window));
    return;
  }
  XDestroyWindow(display, window);
  XSync(display, False);
  answer("closed " + std::to_string(window));
}

}  // namespace

int main() {
  display = XOpenDisplay(nullptr);
  if (!display) {
    std::cerr << "cannot open the display\n";
    return 1;
  }
  wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
  wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  wmState = XInternAtom(display, "WM_STATE", False);
  netWmName = XInternAtom(display, "_NET_WM_NAME", False);
  utf8String = XInternAtom(display, "UTF8_STRING", False);
  netSupportingWmCheck = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);

  std::string pending;
  for (;;) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      handleEvent(event);
    }
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {ConnectionNumber(display), POLLIN, 0}};
    if (poll(fds, 2, churnCount ? 1 : -1) < 0) return 1;
    if (churnCount) churn();
    if (fds[0].revents & (POLLIN | POLLHUP)) {
      char buffer[4096];
      const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
      if (count <= 0) break;
      pending.append(buffer, count);
      for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
        handleCommand(pending.substr(0, end));
        pending.erase(0, end + 1);
      }
    }
  }
  XCloseDisplay(display);
  return 0;
}
