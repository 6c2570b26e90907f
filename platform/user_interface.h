#pragma once

#include <memory>
#include <string>

#include "platform/form.h"

namespace vigilo {

// Message box styles and answers, by their Win32 numbers.
enum MessageBoxStyle : int {
  kMbOk = 0,
  kMbOkCancel = 1,
  kMbIconError = 16,
  kMbIconInformation = 64,
};
enum MessageBoxAnswer : int { kIdOk = 1, kIdCancel = 2 };

// The screen's mouse pointer, by its automation numbers.
enum MousePointer : int { kPointerDefault = 0, kPointerBusy = 11 };

// The user-interface services that the start-up and its messages use.
class UserInterface {
 public:
  virtual ~UserInterface();

  // Shows a modal message and returns the answer (kIdOk or kIdCancel; closing
  // the box answers kIdCancel). An empty caption shows the program's title.
  virtual int messageBox(const std::string& text, int style, const std::string& caption) = 0;

  // Sets the pointer over all of the program's windows.
  virtual void setMousePointer(int pointer) = 0;

  // Handles the window messages that are pending now, once.
  virtual void doEvents() = 0;

  // Runs the message loop for as long as a form is loaded; returns at once
  // when none is.
  virtual void runWhileFormsLoaded() = 0;

  // Ends the program at once, without returning.
  [[noreturn]] virtual void endProgram() = 0;

  // Loads a form without showing it; it counts as loaded until unloaded.
  // Raises Error when the program has no windows (no display).
  virtual std::unique_ptr<Form> loadForm(const FormDesign& design);

  // The height of the screen in twips; 0 when there is no screen.
  virtual int screenHeight();
};

// The program's title, shown in the title bar of a message box that is given
// no caption of its own.
inline constexpr const char* kProgramTitle = "Vigilo - by Brivant";

}  // namespace vigilo
