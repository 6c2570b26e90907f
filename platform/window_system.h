#pragma once

#include <cstdint>
#include <string>

namespace vigilo {

// A top-level window of any program on the desktop, by its 32-bit handle.
// 0 is no window.
using WindowHandle = int32_t;

// ShowWindow commands, by their Win32 numbers.
enum ShowWindowCommand : int32_t {
  kSwShowNormal = 1,
  kSwShow = 5,
  kSwRestore = 9,
};

// SetWindowPos: the window to place another after, and the flags.
inline constexpr WindowHandle kHwndTop = 0;
inline constexpr WindowHandle kHwndBottom = 1;
enum SetWindowPosFlags : uint32_t {
  kSwpNoSize = 0x1,
  kSwpNoMove = 0x2,
  kSwpNoZOrder = 0x4,
  kSwpShowWindow = 0x40,
  kSwpHideWindow = 0x80,
};

// Window messages that can be sent to another program's window.
inline constexpr uint32_t kWmClose = 0x10;
inline constexpr uint32_t kWmSysCommand = 0x112;
inline constexpr int32_t kScClose = 0xF060;

// Called for each window of an enumeration with the enumeration's lParam;
// returns 0 to stop the enumeration, anything else to go on.
using EnumWindowsProc = int32_t (*)(WindowHandle hWnd, int32_t lParam);

// The desktop's window services (the user32 functions the program uses on
// windows of other programs, and on its own). None of them reports a failure:
// a window that does not exist (any more) has no text and no class, and the
// requests on it do nothing.
class WindowSystem {
 public:
  virtual ~WindowSystem();

  // Calls `proc` for every top-level window, topmost first, hidden windows
  // included, until it returns 0. No windows at all where there is no desktop.
  virtual void enumWindows(EnumWindowsProc proc, int32_t lParam) = 0;

  // The window's title, at most maxCount - 1 characters (a limit in characters
  // never cuts one in half); empty when it has none or cannot be read.
  virtual std::string getWindowText(WindowHandle hWnd, int32_t maxCount) = 0;

  // The name of the window's class, at most maxCount - 1 characters; empty
  // when it cannot be read.
  virtual std::string getClassName(WindowHandle hWnd, int32_t maxCount) = 0;

  // True when the window is minimised.
  virtual bool isIconic(WindowHandle hWnd) = 0;

  // kSwShow shows a hidden window; kSwRestore and kSwShowNormal also bring a
  // minimised window back. Other commands do nothing.
  virtual void showWindow(WindowHandle hWnd, int32_t cmdShow) = 0;

  // Places the window in the Z order (kHwndTop, kHwndBottom), moves and sizes
  // it, unless the flags say otherwise.
  virtual void setWindowPos(WindowHandle hWnd, WindowHandle insertAfter, int32_t x, int32_t y,
                            int32_t cx, int32_t cy, uint32_t flags) = 0;

  // Gives the window the keyboard focus (where it can take it).
  virtual void setFocus(WindowHandle hWnd) = 0;

  // Makes the window the active one, in front of the others.
  virtual void setForegroundWindow(WindowHandle hWnd) = 0;

  // WM_SYSCOMMAND with SC_CLOSE, and WM_CLOSE, ask the window to close as its
  // close box would; other messages are not delivered. Returns 0.
  virtual int32_t sendMessage(WindowHandle hWnd, uint32_t msg, int32_t wParam, int32_t lParam) = 0;

  // Asks the window to close, as its close box would: the window's program
  // decides whether it closes.
  virtual void closeWindow(WindowHandle hWnd) = 0;
};

}  // namespace vigilo
