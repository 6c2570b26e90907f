#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vigilo {

// Twips: 1/1440 inch, the unit in which forms are laid out (15 twips make a
// pixel at 96 dots per inch).
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// What a form is made of when it is loaded: its caption and the size of its
// client area.
struct FormDesign {
  std::string caption;
  int clientWidth = 0;   // twips
  int clientHeight = 0;  // twips
};

// A form of the program: a top-level window that is loaded (it exists, has a
// handle and receives messages) without being shown. It carries the class
// every form of the program has, so other programs find it by class.
class Form {
 public:
  virtual ~Form();

  // The window handle, valid from load to unload; 0 once unloaded.
  virtual int32_t hWnd() const = 0;
  virtual bool isLoaded() const = 0;

  // Makes the picture in the icon file `iconFile`, at the large-icon size, the
  // form's icon. A file that is missing, not an icon or damaged leaves the
  // form's icon as it was and gives false; it is no error.
  virtual bool setIconFromFile(const std::string& iconFile) = 0;

  // Adds a command button at `where` (twips, client coordinates); `onClick`
  // runs when the user presses it.
  virtual void addButton(const std::string& caption, const TwipsRect& where,
                         std::function<void()> onClick) = 0;

  // Moves the form's outer edge to `left`, `top` (twips, screen coordinates).
  virtual void move(int left, int top) = 0;
  // The outer height (frame included, as far as it is known), in twips.
  virtual int height() const = 0;

  // Runs before the window goes, whether the program unloads the form or
  // another program (or the user) asks its window to close.
  virtual void setUnloadHandler(std::function<void()> handler) = 0;
  // Runs the unload handler, then destroys the window. Nothing when the form
  // is no longer loaded.
  virtual void unload() = 0;
};

}  // namespace vigilo
