#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/window_system.h"

struct _XDisplay;

namespace vigilo::testing {

// Looks at the windows of $DISPLAY from outside, through a connection of its
// own, so that a test sees what the user would.
class X11Probe {
 public:
  X11Probe();
  ~X11Probe();
  X11Probe(const X11Probe&) = delete;
  X11Probe& operator=(const X11Probe&) = delete;

  bool exists(WindowHandle window);
  // On the screen (mapped, and its frame too under a window manager).
  bool isViewable(WindowHandle window);
  // The window that has the keyboard focus.
  WindowHandle focus();
  // What the window manager names as the active window (_NET_ACTIVE_WINDOW).
  WindowHandle activeWindow();
  bool windowManagerRunning();
  // The window is the active one: the manager says so, or, without one, it
  // has the keyboard focus.
  bool isActive(WindowHandle window);
  // True when `upper` lies above `lower` on the screen (compares the root
  // children that hold them).
  bool isAbove(WindowHandle upper, WindowHandle lower);
  // The window's position and size relative to the root.
  std::vector<int> geometry(WindowHandle window);

 private:
  unsigned long rootChildHolding(unsigned long window);
  _XDisplay* display_;
};

// Polls `condition` until it holds or `timeout` has passed; true when it held.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds timeout = std::chrono::seconds(5));

}  // namespace vigilo::testing
