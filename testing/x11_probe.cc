#include "testing/x11_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace vigilo::testing {
namespace {

// Requests on windows that have gone are expected here: not an error.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

Window windowProperty(Display* display, Window window, const char* name) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  Window result = None;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1, False, XA_WINDOW,
                         &type, &format, &count, &after, &data) == Success &&
      data && count == 1) {
    result = *reinterpret_cast<Window*>(data);
  }
  if (data) XFree(data);
  return result;
}

}  // namespace

X11Probe::X11Probe() : display_(XOpenDisplay(nullptr)) {
  if (!display_) throw std::runtime_error("cannot open the display");
  XSetErrorHandler(ignoreErrors);
}

X11Probe::~X11Probe() { XCloseDisplay(display_); }

bool X11Probe::exists(WindowHandle window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window, &attributes) != 0;
}

bool X11Probe::isViewable(WindowHandle window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window, &attributes) != 0 &&
         attributes.map_state == IsViewable;
}

WindowHandle X11Probe::focus() {
  Window focused;
  int revert;
  XGetInputFocus(display_, &focused, &revert);
  return static_cast<WindowHandle>(focused);
}

bool X11Probe::windowManagerRunning() {
  return windowProperty(display_, DefaultRootWindow(display_), "_NET_SUPPORTING_WM_CHECK") != None;
}

WindowHandle X11Probe::activeWindow() {
  return static_cast<WindowHandle>(
      windowProperty(display_, DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW"));
}

bool X11Probe::isActive(WindowHandle window) {
  return windowManagerRunning() ? activeWindow() == window : focus() == window;
}

unsigned long X11Probe::rootChildHolding(unsigned long window) {
  for (;;) {
    Window root, parent, *children = nullptr;
    unsigned int count;
    if (!XQueryTree(display_, window, &root, &parent, &children, &count)) return None;
    if (children) XFree(children);
    if (parent == root) return window;
    window = parent;
  }
}

bool X11Probe::isAbove(WindowHandle upper, WindowHandle lower) {
  const Window a = rootChildHolding(upper), b = rootChildHolding(lower);
  Window root, parent, *children = nullptr;
  unsigned int count;
  if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) {
    return false;
  }
  const std::vector<Window> order(children, children + count);  // bottom to top
  if (children) XFree(children);
  const auto ia = std::find(order.begin(), order.end(), a);
  const auto ib = std::find(order.begin(), order.end(), b);
  return ia != order.end() && ib != order.end() && ia > ib;
}

std::vector<int> X11Probe::geometry(WindowHandle window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display_, window, &attributes)) return {};
  int x, y;
  Window child;
  XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
  return {x, y, attributes.width, attributes.height};
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace vigilo::testing
