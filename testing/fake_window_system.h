#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace vigilo::testing {

// A window of the fake desktop.
struct FakeWindow {
  WindowHandle handle = 0;
  std::string title;
  std::string className;
  bool iconic = false;
  bool visible = true;
  bool refusesToClose = false;
};

// A scripted desktop: a list of windows, topmost first, that changes as a
// real one would (restore, show, raise, close), and a record of every call
// in order, such as "getWindowText 3 256" or "showWindow 3 9".
class FakeWindowSystem : public WindowSystem {
 public:
  void enumWindows(EnumWindowsProc proc, int32_t lParam) override;
  std::string getWindowText(WindowHandle hWnd, int32_t maxCount) override;
  std::string getClassName(WindowHandle hWnd, int32_t maxCount) override;
  bool isIconic(WindowHandle hWnd) override;
  void showWindow(WindowHandle hWnd, int32_t cmdShow) override;
  void setWindowPos(WindowHandle hWnd, WindowHandle insertAfter, int32_t x, int32_t y, int32_t cx,
                    int32_t cy, uint32_t flags) override;
  void setFocus(WindowHandle hWnd) override;
  void setForegroundWindow(WindowHandle hWnd) override;
  int32_t sendMessage(WindowHandle hWnd, uint32_t msg, int32_t wParam, int32_t lParam) override;
  void closeWindow(WindowHandle hWnd) override;

  // The window with this handle; null when there is none (any more).
  FakeWindow* find(WindowHandle hWnd);
  // The calls of one function, e.g. calls("getClassName").
  std::vector<std::string> callsOf(const std::string& function) const;

  std::vector<FakeWindow> windows;  // topmost first
  std::vector<std::string> calls;
  WindowHandle focus = 0;
  WindowHandle foreground = 0;
  // Runs before every call with its record, e.g. to throw an Error.
  std::function<void(const std::string& call)> beforeCall;

 private:
  void record(std::string call);
  void raise(WindowHandle hWnd);
  void close(WindowHandle hWnd);
};

}  // namespace vigilo::testing
