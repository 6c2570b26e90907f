#pragma once

#include <memory>
#include <optional>

#include "platform/console_user_interface.h"
#include "platform/user_interface.h"

namespace vigilo {

class ProgramMousePointer;

// The program's user interface on GTK 3. GTK is started only when something
// must be shown or handled (never to set the pointer, which the start-up does
// before it looks for a running copy); with no display, messages go to
// standard error as ConsoleUserInterface writes them and no form can be loaded.
class GtkUserInterface : public UserInterface {
 public:
  GtkUserInterface();
  ~GtkUserInterface() override;

  int messageBox(const std::string& text, int style, const std::string& caption) override;
  void setMousePointer(int pointer) override;
  void doEvents() override;
  void runWhileFormsLoaded() override;
  [[noreturn]] void endProgram() override;
  std::unique_ptr<Form> loadForm(const FormDesign& design) override;
  int screenHeight() override;

 private:
  // Starts GTK on first use; false when there is no display to use.
  bool gtkRunning();
  double twipsPerPixel();

  std::optional<bool> started_;
  std::unique_ptr<ProgramMousePointer> pointer_;
  ConsoleUserInterface console_;
};

}  // namespace vigilo
