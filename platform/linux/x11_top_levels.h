#pragma once

#include <xcb/xcb.h>

#include <vector>

#include "platform/linux/x11_connection.h"

namespace vigilo {

// A top-level window as the user sees it: the program's own (client) window,
// and the child of the root that holds it: the window manager's frame, or
// the client itself where no manager reparents.
struct X11TopLevel {
  xcb_window_t client = XCB_WINDOW_NONE;
  xcb_window_t frame = XCB_WINDOW_NONE;
};

// The top-level windows of the display, topmost first, hidden ones included
// and InputOnly ones (helpers that nobody sees) left out. Under a reparenting
// window manager the client is the window below the frame that carries
// WM_STATE; a root child with no such window is its own client. The requests
// of one tree level go out in one batch. Windows that vanish meanwhile are
// left out or, when the walk had already passed them, reported all the same,
// as any later request on them does nothing.
std::vector<X11TopLevel> listTopLevels(X11Connection& connection);

// The child of the root that holds `window` (the window itself when it is
// one); none when the window does not exist.
xcb_window_t rootChildHolding(X11Connection& connection, xcb_window_t window);

}  // namespace vigilo
