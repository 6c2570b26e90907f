#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace vigilo {

// Frees what XCB hands out with malloc (replies, errors, events).
struct XcbFree {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;

// The atoms the window services use; XCB_ATOM_NONE only where the server
// could not be asked.
struct X11Atoms {
  xcb_atom_t wmState = XCB_ATOM_NONE;
  xcb_atom_t wmProtocols = XCB_ATOM_NONE;
  xcb_atom_t wmDeleteWindow = XCB_ATOM_NONE;
  xcb_atom_t netWmName = XCB_ATOM_NONE;
  xcb_atom_t utf8String = XCB_ATOM_NONE;
  xcb_atom_t compoundText = XCB_ATOM_NONE;
  xcb_atom_t netSupportingWmCheck = XCB_ATOM_NONE;
  xcb_atom_t netActiveWindow = XCB_ATOM_NONE;
  xcb_atom_t netCloseWindow = XCB_ATOM_NONE;
};

// A window property as read: its type, item format and raw bytes.
struct X11Property {
  xcb_atom_t type = XCB_ATOM_NONE;  // none: the window has no such property
  uint8_t format = 0;
  std::string bytes;
};

// An open connection to an X server with the atoms looked up. Closed when
// destroyed.
class X11Connection {
 public:
  // Connects to `displayName` ($DISPLAY when null). Null when there is no
  // display or it cannot be opened.
  static std::unique_ptr<X11Connection> open(const char* displayName);
  ~X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  xcb_connection_t* get() const { return connection_; }
  xcb_window_t root() const { return root_; }
  const X11Atoms& atoms() const { return atoms_; }
  const std::string& displayName() const { return displayName_; }

  // Asks for a property of up to `maxBytes` bytes; the answer comes with
  // takeProperty. Many requests can be under way at once.
  xcb_get_property_cookie_t requestProperty(xcb_window_t window, xcb_atom_t property,
                                            uint32_t maxBytes);
  // The property asked for; empty (type none) when the window or the property
  // does not exist.
  X11Property takeProperty(xcb_get_property_cookie_t cookie);
  X11Property property(xcb_window_t window, xcb_atom_t property, uint32_t maxBytes) {
    return takeProperty(requestProperty(window, property, maxBytes));
  }

  // A property of WINDOW type: the window it names, or none.
  xcb_window_t windowProperty(xcb_window_t window, xcb_atom_t property);

  // Sends the requests under way and waits until the server has handled
  // them, then drops the errors they caused (requests on windows that have
  // gone away meanwhile are no fault).
  void sync();

 private:
  X11Connection(xcb_connection_t* connection, int screen, std::string displayName);
  void lookUpAtoms();
  void discardEvents();

  xcb_connection_t* connection_;
  xcb_window_t root_ = XCB_WINDOW_NONE;
  X11Atoms atoms_;
  std::string displayName_;
};

}  // namespace vigilo
