#pragma once

#include <sys/types.h>

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

}  // namespace vigilo::testing
