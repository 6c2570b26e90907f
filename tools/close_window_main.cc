// Asks a window to close, as its close box would: a WM_DELETE_WINDOW message.
//   close-window WINDOW-ID
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: close-window WINDOW-ID\n");
    return 2;
  }
  std::unique_ptr<Display, decltype(&XCloseDisplay)> display(XOpenDisplay(nullptr), &XCloseDisplay);
  if (!display) {
    std::fprintf(stderr, "close-window: cannot open the display\n");
    return 1;
  }
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = std::strtoul(argv[1], nullptr, 0);
  event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display.get(), event.xclient.window, False, NoEventMask, &event);
  XSync(display.get(), False);
  return 0;
}
