#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace vigilo::testing {

// A virtual X server of a test's own (Xvfb), so that what the test does with
// windows, focus and running copies of the program cannot meet other tests
// on the shared display. With `windowManager`, openbox runs on it too.
class PrivateXServer {
 public:
  explicit PrivateXServer(bool windowManager);
  // Stops the window manager and the server and waits for them.
  ~PrivateXServer();
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  // The display name, such as ":5".
  const std::string& display() const { return display_; }

 private:
  pid_t server_ = -1;
  pid_t windowManager_ = -1;
  std::string display_;
};

// True when a window manager runs on $DISPLAY.
bool windowManagerOnDisplay();

// A private X server made like the test display (openbox on it when the test
// display has a window manager), that is $DISPLAY while it lives: tests of
// focus and the active window cannot be disturbed by other tests then.
class PrivateDisplay {
 public:
  PrivateDisplay();
  ~PrivateDisplay();
  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;

 private:
  std::optional<std::string> outer_;
  PrivateXServer server_;
};

}  // namespace vigilo::testing
