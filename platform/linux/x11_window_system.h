#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/linux/x11_connection.h"
#include "platform/linux/x11_text.h"
#include "platform/window_system.h"

namespace vigilo {

// The window services on an X11 display, through XCB and without any toolkit,
// so that asking "is a copy already running?" costs a few milliseconds. The
// display is opened on first use; where there is none, or it cannot be
// opened, there are no windows and every request does nothing.
//
// A window's handle is the X id of its client window (the program's own
// window, not a window manager's frame). Its title is _NET_WM_NAME, else
// WM_NAME; its class the class part of WM_CLASS; it is minimised when its
// WM_STATE says IconicState.
class X11WindowSystem : public WindowSystem {
 public:
  // Uses the display named by $DISPLAY.
  X11WindowSystem() = default;
  explicit X11WindowSystem(std::string displayName) : displayName_(std::move(displayName)) {}
  ~X11WindowSystem() override;

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

 private:
  struct Names {
    std::string title;
    std::string className;
  };
  using NameTable = std::unordered_map<xcb_window_t, Names>;

  // The open display; null when there is none.
  X11Connection* display();
  // The names of the windows, read in one batch.
  NameTable readNames(const std::vector<xcb_window_t>& windows);
  Names namesOf(xcb_window_t window);
  bool windowManagerRunning();
  bool isViewable(xcb_window_t window);
  void restack(xcb_window_t window, uint32_t stackMode);
  void sendToRoot(xcb_window_t window, xcb_atom_t type, const uint32_t (&data)[5]);

  std::optional<std::string> displayName_;
  bool opened_ = false;
  std::unique_ptr<X11Connection> connection_;
  std::unique_ptr<X11TextDecoder> text_;
  // While an enumeration runs: the names of its windows, read all at once
  // when it began (a callback mostly asks for them).
  const NameTable* enumerated_ = nullptr;
};

}  // namespace vigilo
