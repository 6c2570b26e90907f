#pragma once

#include <sys/types.h>

#include <chrono>
#include <deque>
#include <string>

#include "platform/linux/unique_fd.h"
#include "platform/window_system.h"

namespace vigilo::testing {

// Runs the test window program (platform/linux/x11_test_windows_main.cc) on
// $DISPLAY: another X client that owns windows, as a running copy of the
// application does, and tells what happened to them.
class TestWindowOwner {
 public:
  explicit TestWindowOwner(const std::string& programPath);
  // Ends the program (its windows go with it) and waits for it.
  ~TestWindowOwner();
  TestWindowOwner(const TestWindowOwner&) = delete;
  TestWindowOwner& operator=(const TestWindowOwner&) = delete;

  // Creates a window on top of the others; `fields` as the program reads
  // them ("title=...\tclass=...\tstate=iconic"). Returns once it is there.
  WindowHandle create(const std::string& fields);
  void destroy(WindowHandle window);
  // Keeps `count` short-lived windows coming and going until stopChurn.
  void churn(int count);
  void stopChurn();

  // Waits for a notice such as "closed 1234" (consumed when found); false
  // when none came in time.
  bool waitForNotice(const std::string& notice,
                     std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // True when the notice came already or comes within `timeout`.
  bool noticed(const std::string& notice,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(300)) {
    return waitForNotice(notice, timeout);
  }

 private:
  void send(const std::string& line);
  // The next line from the program; fails the test on a time-out.
  bool readLine(std::string& line, std::chrono::milliseconds timeout);
  std::string command(const std::string& line, const std::string& answer);

  pid_t pid_ = -1;
  UniqueFd input_;
  UniqueFd output_;
  std::string buffer_;
  std::deque<std::string> notices_;
};

}  // namespace vigilo::testing
