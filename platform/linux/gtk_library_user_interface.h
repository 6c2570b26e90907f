#pragma once

#include <memory>
#include <string>

#include "platform/console_user_interface.h"
#include "platform/user_interface.h"

namespace vigilo {

// The GTK user-interface library, beside the executable.
inline constexpr const char* kGtkUserInterfaceLibrary = "libvigilo_gtk_ui.so";

// The program's user interface, on GTK from a library of its own that is
// loaded the first time something must be shown. Until then nothing of GTK is
// in the process: a start that only finds its running copy and gives way
// never pays for loading it. The pointer set before then is handed on. If the
// library cannot be loaded, messages go to standard error as
// ConsoleUserInterface writes them, and no form can be loaded.
class GtkLibraryUserInterface : public UserInterface {
 public:
  // `libraryPath` "" means kGtkUserInterfaceLibrary in the executable's folder.
  explicit GtkLibraryUserInterface(std::string libraryPath = "");
  ~GtkLibraryUserInterface() override;

  int messageBox(const std::string& text, int style, const std::string& caption) override;
  void setMousePointer(int pointer) override;
  void doEvents() override;
  void runWhileFormsLoaded() override;
  [[noreturn]] void endProgram() override;
  std::unique_ptr<Form> loadForm(const FormDesign& design) override;
  int screenHeight() override;

 private:
  // The GTK user interface, loaded on first call; the console one when the
  // library cannot be loaded.
  UserInterface& loaded();

  std::string libraryPath_;
  int pointer_ = kPointerDefault;
  std::unique_ptr<UserInterface> gtk_;
  ConsoleUserInterface console_;
  bool unavailable_ = false;
};

}  // namespace vigilo
