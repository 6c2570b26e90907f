#include "platform/linux/x11_connection.h"

#include <cstring>
#include <utility>

namespace vigilo {

std::unique_ptr<X11Connection> X11Connection::open(const char* displayName) {
  if (!displayName) displayName = std::getenv("DISPLAY");
  if (!displayName || !*displayName) return nullptr;
  int screen = 0;
  xcb_connection_t* connection = xcb_connect(displayName, &screen);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    return nullptr;
  }
  std::unique_ptr<X11Connection> opened(new X11Connection(connection, screen, displayName));
  if (opened->root_ == XCB_WINDOW_NONE) return nullptr;
  opened->lookUpAtoms();
  return opened;
}

X11Connection::X11Connection(xcb_connection_t* connection, int screen, std::string displayName)
    : connection_(connection), displayName_(std::move(displayName)) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; it.rem > 0; ++i, xcb_screen_next(&it)) {
    if (i == screen) root_ = it.data->root;
  }
}

X11Connection::~X11Connection() { xcb_disconnect(connection_); }

void X11Connection::lookUpAtoms() {
  // Interned, not only looked up: an atom that no client has named yet may be
  // named later (a window manager that starts, a program that opens its first
  // window), and a connection that kept "none" for it would miss it. These
  // are the standard names every toolkit interns.
  const std::pair<const char*, xcb_atom_t*> names[] = {
      {"WM_STATE", &atoms_.wmState},
      {"WM_PROTOCOLS", &atoms_.wmProtocols},
      {"WM_DELETE_WINDOW", &atoms_.wmDeleteWindow},
      {"_NET_WM_NAME", &atoms_.netWmName},
      {"UTF8_STRING", &atoms_.utf8String},
      {"COMPOUND_TEXT", &atoms_.compoundText},
      {"_NET_SUPPORTING_WM_CHECK", &atoms_.netSupportingWmCheck},
      {"_NET_ACTIVE_WINDOW", &atoms_.netActiveWindow},
      {"_NET_CLOSE_WINDOW", &atoms_.netCloseWindow},
  };
  std::vector<xcb_intern_atom_cookie_t> cookies;
  for (const auto& [name, atom] : names) {
    cookies.push_back(xcb_intern_atom(connection_, 0, std::strlen(name), name));
  }
  for (size_t i = 0; i < cookies.size(); ++i) {
    XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection_, cookies[i], nullptr));
    if (reply) *names[i].second = reply->atom;
  }
}

xcb_get_property_cookie_t X11Connection::requestProperty(xcb_window_t window, xcb_atom_t property,
                                                         uint32_t maxBytes) {
  return xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                          (maxBytes + 3) / 4);
}

X11Property X11Connection::takeProperty(xcb_get_property_cookie_t cookie) {
  xcb_generic_error_t* error = nullptr;
  XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, cookie, &error));
  std::free(error);
  X11Property result;
  if (!reply || reply->type == XCB_ATOM_NONE) return result;
  result.type = reply->type;
  result.format = reply->format;
  const auto* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
  result.bytes.assign(data, xcb_get_property_value_length(reply.get()));
  return result;
}

xcb_window_t X11Connection::windowProperty(xcb_window_t window, xcb_atom_t name) {
  if (name == XCB_ATOM_NONE) return XCB_WINDOW_NONE;
  const X11Property value = property(window, name, 4);
  if (value.type != XCB_ATOM_WINDOW || value.format != 32 || value.bytes.size() < 4) {
    return XCB_WINDOW_NONE;
  }
  xcb_window_t result;
  std::memcpy(&result, value.bytes.data(), sizeof result);
  return result;
}

void X11Connection::sync() {
  XcbReply<xcb_get_input_focus_reply_t> reply(
      xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  discardEvents();
}

void X11Connection::discardEvents() {
  // No events are selected on this connection: all that arrives is errors.
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) std::free(event);
}

}  // namespace vigilo
