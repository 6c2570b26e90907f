#pragma once

#include "platform/user_interface.h"

namespace vigilo {

// The user interface where there is no display: messages go to standard
// error, so that none is ever lost, and a question is answered Cancel.
class ConsoleUserInterface : public UserInterface {
 public:
  int messageBox(const std::string& text, int style, const std::string& caption) override;
  void setMousePointer(int) override {}
  void doEvents() override {}
  void runWhileFormsLoaded() override {}
  [[noreturn]] void endProgram() override;
};

}  // namespace vigilo
