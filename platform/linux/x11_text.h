#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/linux/x11_connection.h"

struct _XDisplay;

namespace vigilo {

// Turns the text properties of windows (titles, class names) into UTF-8.
// COMPOUND_TEXT, which only Xlib knows how to read, opens an Xlib connection
// to the same display the first time it is met; other text needs none.
class X11TextDecoder {
 public:
  explicit X11TextDecoder(std::string displayName) : displayName_(std::move(displayName)) {}
  ~X11TextDecoder();
  X11TextDecoder(const X11TextDecoder&) = delete;
  X11TextDecoder& operator=(const X11TextDecoder&) = delete;

  // The first string of a text property; empty for a property that is
  // missing or not text.
  std::string text(const X11Property& property, const X11Atoms& atoms);

  // The class part of a WM_CLASS property ("instance\0class\0").
  std::string className(const X11Property& property, const X11Atoms& atoms);

 private:
  std::string compoundText(std::string_view bytes, xcb_atom_t encoding);

  std::string displayName_;
  _XDisplay* display_ = nullptr;
  bool displayTried_ = false;
};

}  // namespace vigilo
