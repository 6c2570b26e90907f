#include "testing/fake_window_system.h"

#include <algorithm>

#include "platform/utf8_text.h"

namespace vigilo::testing {
namespace {

std::string call(const std::string& function, std::initializer_list<int64_t> arguments) {
  std::string text = function;
  for (int64_t argument : arguments) text += " " + std::to_string(argument);
  return text;
}

}  // namespace

void FakeWindowSystem::record(std::string text) {
  calls.push_back(text);
  if (beforeCall) beforeCall(text);
}

FakeWindow* FakeWindowSystem::find(WindowHandle hWnd) {
  const auto found = std::find_if(windows.begin(), windows.end(),
                                  [hWnd](const FakeWindow& w) { return w.handle == hWnd; });
  return found == windows.end() ? nullptr : &*found;
}

std::vector<std::string> FakeWindowSystem::callsOf(const std::string& function) const {
  std::vector<std::string> found;
  for (const std::string& c : calls) {
    if (c == function || c.rfind(function + " ", 0) == 0) found.push_back(c);
  }
  return found;
}

void FakeWindowSystem::raise(WindowHandle hWnd) {
  const auto found = std::find_if(windows.begin(), windows.end(),
                                  [hWnd](const FakeWindow& w) { return w.handle == hWnd; });
  if (found != windows.end()) std::rotate(windows.begin(), found, found + 1);
}

void FakeWindowSystem::close(WindowHandle hWnd) {
  if (FakeWindow* w = find(hWnd); w && !w->refusesToClose) {
    windows.erase(windows.begin() + (w - windows.data()));
  }
}

void FakeWindowSystem::enumWindows(EnumWindowsProc proc, int32_t lParam) {
  record(call("enumWindows", {lParam}));
  // A snapshot, as the system takes one: the callback may change the list.
  std::vector<WindowHandle> handles;
  for (const FakeWindow& w : windows) handles.push_back(w.handle);
  for (WindowHandle h : handles) {
    if (proc(h, lParam) == 0) return;
  }
}

std::string FakeWindowSystem::getWindowText(WindowHandle hWnd, int32_t maxCount) {
  record(call("getWindowText", {hWnd, maxCount}));
  const FakeWindow* w = find(hWnd);
  return w ? fitToBuffer(w->title, maxCount) : std::string();
}

std::string FakeWindowSystem::getClassName(WindowHandle hWnd, int32_t maxCount) {
  record(call("getClassName", {hWnd, maxCount}));
  const FakeWindow* w = find(hWnd);
  return w ? fitToBuffer(w->className, maxCount) : std::string();
}

bool FakeWindowSystem::isIconic(WindowHandle hWnd) {
  record(call("isIconic", {hWnd}));
  const FakeWindow* w = find(hWnd);
  return w && w->iconic;
}

void FakeWindowSystem::showWindow(WindowHandle hWnd, int32_t cmdShow) {
  record(call("showWindow", {hWnd, cmdShow}));
  FakeWindow* w = find(hWnd);
  if (!w) return;
  if (cmdShow == kSwShow || cmdShow == kSwShowNormal || cmdShow == kSwRestore) w->visible = true;
  if (cmdShow == kSwShowNormal || cmdShow == kSwRestore) {
    w->iconic = false;
    raise(hWnd);
  }
}

void FakeWindowSystem::setWindowPos(WindowHandle hWnd, WindowHandle insertAfter, int32_t x,
                                    int32_t y, int32_t cx, int32_t cy, uint32_t flags) {
  record(call("setWindowPos", {hWnd, insertAfter, x, y, cx, cy, flags}));
  if (!(flags & kSwpNoZOrder) && insertAfter == kHwndTop) raise(hWnd);
}

void FakeWindowSystem::setFocus(WindowHandle hWnd) {
  record(call("setFocus", {hWnd}));
  if (find(hWnd)) focus = hWnd;
}

void FakeWindowSystem::setForegroundWindow(WindowHandle hWnd) {
  record(call("setForegroundWindow", {hWnd}));
  if (!find(hWnd)) return;
  foreground = focus = hWnd;
  raise(hWnd);
}

int32_t FakeWindowSystem::sendMessage(WindowHandle hWnd, uint32_t msg, int32_t wParam,
                                      int32_t lParam) {
  record(call("sendMessage", {hWnd, msg, wParam, lParam}));
  if ((msg == kWmSysCommand && (wParam & 0xFFF0) == kScClose) || msg == kWmClose) close(hWnd);
  return 0;
}

void FakeWindowSystem::closeWindow(WindowHandle hWnd) {
  record(call("closeWindow", {hWnd}));
  close(hWnd);
}

}  // namespace vigilo::testing
