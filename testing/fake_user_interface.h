#pragma once

#include <deque>
#include <functional>
#include <memory>
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

// A form loaded through FakeUserInterface: what it was given, and its
// handlers, so a test can press its buttons or close it as another program
// would. The product owns the form; the test keeps this record.
struct FakeFormRecord {
  struct Button {
    std::string caption;
    TwipsRect where;
    std::function<void()> onClick;
  };
  FormDesign design;
  int32_t hWnd = 0;
  bool loaded = true;
  int outerHeight = 0;                  // twips: client area and frame
  std::vector<std::string> iconFiles;   // every icon file offered
  std::string icon;                     // the one in use; "" is the form's own
  std::vector<std::pair<int, int>> moves;  // left, top in twips
  std::vector<Button> buttons;
  std::function<void()> unloadHandler;
  int unloads = 0;                      // how often the unload handler ran
  bool unloading = false;

  // Presses the button with `caption` (the test fails when there is none).
  void click(const std::string& caption);
  // A close request from outside (another program, the window manager).
  void closeFromOutside();
  void unload();
};

// Records every message box and pointer change; answers questions from a
// script (kIdOk when the script is empty).
class FakeUserInterface : public UserInterface {
 public:
  int messageBox(const std::string& text, int style, const std::string& caption) override;
  void setMousePointer(int pointer) override { pointers.push_back(pointer); }
  void doEvents() override {
    ++eventPasses;
    if (onDoEvents) onDoEvents();
  }
  void runWhileFormsLoaded() override {}
  [[noreturn]] void endProgram() override { throw ProgramEnded(); }
  // Forms accept an icon file that exists and starts as an icon file does.
  std::unique_ptr<Form> loadForm(const FormDesign& design) override;
  int screenHeight() override { return screenHeightTwips; }

  std::vector<ShownMessage> messages;
  std::vector<int> pointers;
  std::deque<int> answers;
  int eventPasses = 0;
  std::vector<std::shared_ptr<FakeFormRecord>> forms;  // in load order
  int screenHeightTwips = 768 * 15;
  int frameHeightTwips = 450;  // title bar and borders of a fake form
  // Runs at each doEvents (queued window messages of a test).
  std::function<void()> onDoEvents;
};

}  // namespace vigilo::testing
