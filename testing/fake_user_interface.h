#pragma once

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace vigilo::testing {

// What a fake message box was asked to show.
struct ShownMessage {
  std::string text;
  int style = 0;
  std::string caption;  // as given: "" means the program's title
  friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

// Thrown by FakeUserInterface::endProgram, so a test sees the program end.
struct ProgramEnded : std::exception {
  const char* what() const noexcept override { return "the program ended"; }
};

// Records every message box and pointer change; answers questions from a
// script (kIdOk when the script is empty).
class FakeUserInterface : public UserInterface {
 public:
  int messageBox(const std::string& text, int style, const std::string& caption) override;
  void setMousePointer(int pointer) override { pointers.push_back(pointer); }
  void doEvents() override { ++eventPasses; }
  void runWhileFormsLoaded() override {}
  [[noreturn]] void endProgram() override { throw ProgramEnded(); }

  std::vector<ShownMessage> messages;
  std::vector<int> pointers;
  std::deque<int> answers;
  int eventPasses = 0;
};

}  // namespace vigilo::testing
