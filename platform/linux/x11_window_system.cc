#include "platform/linux/x11_window_system.h"

#include <algorithm>
#include <cstring>

#include "platform/linux/x11_top_levels.h"
#include "platform/utf8_text.h"

namespace vigilo {
namespace {

// Enough bytes for the characters a title or class can keep, with room for
// invalid bytes and encodings that take more bytes per character.
constexpr uint32_t kMaxTextBytes = 16384;

// WM_STATE values.
constexpr uint32_t kIconicState = 3;

// The source indication of a request that a pager or task bar makes on the
// user's behalf: window managers carry it out without focus-stealing checks.
constexpr uint32_t kSourcePager = 2;

// X ids use 29 bits; a handle outside them is no window.
xcb_window_t toWindow(WindowHandle hWnd) {
  return hWnd > 0 ? static_cast<xcb_window_t>(hWnd) : xcb_window_t{XCB_WINDOW_NONE};
}

}  // namespace

X11WindowSystem::~X11WindowSystem() = default;

X11Connection* X11WindowSystem::display() {
  if (!opened_) {
    opened_ = true;
    connection_ = X11Connection::open(displayName_ ? displayName_->c_str() : nullptr);
    if (connection_) text_ = std::make_unique<X11TextDecoder>(connection_->displayName());
  }
  return connection_.get();
}

void X11WindowSystem::enumWindows(EnumWindowsProc proc, int32_t lParam) {
  X11Connection* x = display();
  if (!x) return;
  std::vector<xcb_window_t> clients;
  for (const X11TopLevel& topLevel : listTopLevels(*x)) clients.push_back(topLevel.client);
  const NameTable names = readNames(clients);

  const NameTable* outer = enumerated_;
  enumerated_ = &names;
  struct Restore {
    const NameTable*& slot;
    const NameTable* value;
    ~Restore() { slot = value; }
  } restore{enumerated_, outer};

  for (xcb_window_t client : clients) {
    if (proc(static_cast<WindowHandle>(client), lParam) == 0) break;
  }
}

X11WindowSystem::NameTable X11WindowSystem::readNames(const std::vector<xcb_window_t>& windows) {
  X11Connection& x = *connection_;
  const X11Atoms& atoms = x.atoms();
  struct Cookies {
    xcb_get_property_cookie_t netWmName, wmName, wmClass;
  };
  std::vector<Cookies> cookies;
  cookies.reserve(windows.size());
  for (xcb_window_t window : windows) {
    cookies.push_back({x.requestProperty(window, atoms.netWmName, kMaxTextBytes),
                       x.requestProperty(window, XCB_ATOM_WM_NAME, kMaxTextBytes),
                       x.requestProperty(window, XCB_ATOM_WM_CLASS, kMaxTextBytes)});
  }
  NameTable names;
  for (size_t i = 0; i < windows.size(); ++i) {
    const X11Property netWmName = x.takeProperty(cookies[i].netWmName);
    const X11Property wmName = x.takeProperty(cookies[i].wmName);
    const X11Property wmClass = x.takeProperty(cookies[i].wmClass);
    Names& entry = names[windows[i]];
    const bool hasNetWmName = netWmName.type != XCB_ATOM_NONE && netWmName.type == atoms.utf8String;
    entry.title = text_->text(hasNetWmName ? netWmName : wmName, atoms);
    entry.className = text_->className(wmClass, atoms);
  }
  return names;
}

X11WindowSystem::Names X11WindowSystem::namesOf(xcb_window_t window) {
  if (window == XCB_WINDOW_NONE || !display()) return {};
  if (enumerated_) {
    if (auto found = enumerated_->find(window); found != enumerated_->end()) return found->second;
  }
  NameTable names = readNames({window});
  return std::move(names[window]);
}

std::string X11WindowSystem::getWindowText(WindowHandle hWnd, int32_t maxCount) {
  return fitToBuffer(namesOf(toWindow(hWnd)).title, maxCount);
}

std::string X11WindowSystem::getClassName(WindowHandle hWnd, int32_t maxCount) {
  return fitToBuffer(namesOf(toWindow(hWnd)).className, maxCount);
}

bool X11WindowSystem::isIconic(WindowHandle hWnd) {
  const xcb_window_t window = toWindow(hWnd);
  X11Connection* x = display();
  if (!x || window == XCB_WINDOW_NONE || x->atoms().wmState == XCB_ATOM_NONE) return false;
  const X11Property state = x->property(window, x->atoms().wmState, 8);
  if (state.type != x->atoms().wmState || state.format != 32 || state.bytes.size() < 4) {
    return false;
  }
  uint32_t value;
  std::memcpy(&value, state.bytes.data(), sizeof value);
  return value == kIconicState;
}

bool X11WindowSystem::isViewable(xcb_window_t window) {
  xcb_generic_error_t* error = nullptr;
  XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
      connection_->get(), xcb_get_window_attributes(connection_->get(), window), &error));
  std::free(error);
  return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

void X11WindowSystem::restack(xcb_window_t window, uint32_t stackMode) {
  // The client is restacked among its siblings and, under a window manager,
  // its frame among the other top-level windows (a manager that redirects
  // the request decides).
  xcb_connection_t* c = connection_->get();
  const xcb_window_t frame = rootChildHolding(*connection_, window);
  xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &stackMode);
  if (frame != XCB_WINDOW_NONE && frame != window) {
    xcb_configure_window(c, frame, XCB_CONFIG_WINDOW_STACK_MODE, &stackMode);
  }
}

void X11WindowSystem::showWindow(WindowHandle hWnd, int32_t cmdShow) {
  const xcb_window_t window = toWindow(hWnd);
  if (window == XCB_WINDOW_NONE || !display()) return;
  switch (cmdShow) {
    case kSwShow:
      xcb_map_window(connection_->get(), window);
      break;
    case kSwShowNormal:
    case kSwRestore:
      // Mapping a minimised window asks for it back (the window manager
      // turns the request into de-iconifying it); it comes back on top.
      restack(window, XCB_STACK_MODE_ABOVE);
      xcb_map_window(connection_->get(), window);
      break;
    default:
      return;
  }
  connection_->sync();
}

void X11WindowSystem::setWindowPos(WindowHandle hWnd, WindowHandle insertAfter, int32_t x,
                                   int32_t y, int32_t cx, int32_t cy, uint32_t flags) {
  const xcb_window_t window = toWindow(hWnd);
  if (window == XCB_WINDOW_NONE || !display()) return;
  xcb_connection_t* c = connection_->get();
  if (flags & kSwpHideWindow) xcb_unmap_window(c, window);
  uint16_t mask = 0;
  std::vector<uint32_t> values;  // in the order of the mask bits
  if (!(flags & kSwpNoMove)) {
    mask |= XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y;
    values.push_back(static_cast<uint32_t>(x));
    values.push_back(static_cast<uint32_t>(y));
  }
  if (!(flags & kSwpNoSize)) {
    mask |= XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT;
    values.push_back(static_cast<uint32_t>(std::max(cx, 1)));
    values.push_back(static_cast<uint32_t>(std::max(cy, 1)));
  }
  if (mask) xcb_configure_window(c, window, mask, values.data());
  if (!(flags & kSwpNoZOrder) && (insertAfter == kHwndTop || insertAfter == kHwndBottom)) {
    restack(window, insertAfter == kHwndTop ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW);
  }
  if (flags & kSwpShowWindow) xcb_map_window(c, window);
  connection_->sync();
}

void X11WindowSystem::setFocus(WindowHandle hWnd) {
  const xcb_window_t window = toWindow(hWnd);
  if (window == XCB_WINDOW_NONE || !display()) return;
  // Only a window on the screen can take the focus; the server refuses it
  // to any other.
  if (!isViewable(window)) return;
  xcb_set_input_focus(connection_->get(), XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
  connection_->sync();
}

bool X11WindowSystem::windowManagerRunning() {
  // A manager that follows the desktop conventions names a window of its own
  // on the root, and that window names itself.
  const xcb_atom_t check = connection_->atoms().netSupportingWmCheck;
  const xcb_window_t managerWindow = connection_->windowProperty(connection_->root(), check);
  return managerWindow != XCB_WINDOW_NONE &&
         connection_->windowProperty(managerWindow, check) == managerWindow;
}

void X11WindowSystem::sendToRoot(xcb_window_t window, xcb_atom_t type, const uint32_t (&data)[5]) {
  xcb_client_message_event_t event;
  std::memset(&event, 0, sizeof event);
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = type;
  std::memcpy(event.data.data32, data, sizeof event.data.data32);
  xcb_send_event(connection_->get(), 0, connection_->root(),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
}

void X11WindowSystem::setForegroundWindow(WindowHandle hWnd) {
  const xcb_window_t window = toWindow(hWnd);
  if (window == XCB_WINDOW_NONE || !display()) return;
  const xcb_atom_t activate = connection_->atoms().netActiveWindow;
  if (activate != XCB_ATOM_NONE && windowManagerRunning()) {
    // The manager raises the window, gives it the focus and shows it as the
    // active one.
    sendToRoot(window, activate, {kSourcePager, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0});
  } else {
    restack(window, XCB_STACK_MODE_ABOVE);
    connection_->sync();
    if (isViewable(window)) {
      xcb_set_input_focus(connection_->get(), XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    }
  }
  connection_->sync();
}

void X11WindowSystem::closeWindow(WindowHandle hWnd) {
  const xcb_window_t window = toWindow(hWnd);
  if (window == XCB_WINDOW_NONE || !display()) return;
  const X11Atoms& atoms = connection_->atoms();
  bool asksToBeAsked = false;
  if (atoms.wmProtocols != XCB_ATOM_NONE && atoms.wmDeleteWindow != XCB_ATOM_NONE) {
    const X11Property protocols = connection_->property(window, atoms.wmProtocols, 1024);
    if (protocols.type == XCB_ATOM_ATOM && protocols.format == 32) {
      for (size_t i = 0; i + 4 <= protocols.bytes.size(); i += 4) {
        xcb_atom_t protocol;
        std::memcpy(&protocol, protocols.bytes.data() + i, sizeof protocol);
        asksToBeAsked = asksToBeAsked || protocol == atoms.wmDeleteWindow;
      }
    }
  }
  if (asksToBeAsked) {
    // The program's own close handling runs, as for its close box.
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atoms.wmProtocols;
    event.data.data32[0] = atoms.wmDeleteWindow;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection_->get(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
  } else if (atoms.netCloseWindow != XCB_ATOM_NONE && windowManagerRunning()) {
    // A window that takes no close request: the manager does what its
    // close button does for such a window.
    sendToRoot(window, atoms.netCloseWindow, {XCB_CURRENT_TIME, kSourcePager, 0, 0, 0});
  }
  // Otherwise nobody can ask the window to close: like a program that
  // declines, it stays.
  connection_->sync();
}

int32_t X11WindowSystem::sendMessage(WindowHandle hWnd, uint32_t msg, int32_t wParam,
                                     int32_t lParam) {
  // The low four bits of a system command are the system's own.
  const bool closeCommand = msg == kWmSysCommand && (wParam & 0xFFF0) == kScClose;
  if (closeCommand || msg == kWmClose) closeWindow(hWnd);
  return 0;
}

}  // namespace vigilo
