#include "components/common/component_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

namespace vigilo::components {
namespace {

void onRealized(GtkWidget* window, gpointer) {
  GdkWindow* gdkWindow = gtk_widget_get_window(window);
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) return;
  std::string name = g_get_prgname() ? g_get_prgname() : "vigilo";
  std::string windowClass = kFormWindowClass;
  XClassHint hint;
  hint.res_name = name.data();
  hint.res_class = windowClass.data();
  XSetClassHint(GDK_WINDOW_XDISPLAY(gdkWindow), GDK_WINDOW_XID(gdkWindow), &hint);
}

}  // namespace

bool ensureGtk() {
  if (gdk_display_get_default()) return true;
  return gtk_init_check(nullptr, nullptr);
}

void useFormWindowClass(GtkWidget* window) {
  // GTK sets the program's class while it makes the X window; this one
  // window's class is replaced right after.
  g_signal_connect_after(window, "realize", G_CALLBACK(onRealized), nullptr);
}

uint32_t xWindowOf(GtkWidget* window) {
  GdkWindow* gdkWindow = window ? gtk_widget_get_window(window) : nullptr;
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) return 0;
  return static_cast<uint32_t>(GDK_WINDOW_XID(gdkWindow));
}

void requestClose(uint32_t window) {
  GdkDisplay* display = gdk_display_get_default();
  if (!window || !display || !GDK_IS_X11_DISPLAY(display)) return;
  Display* x = GDK_DISPLAY_XDISPLAY(display);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = gtk_get_current_event_time();
  // The window may be gone already: its owner may have ended.
  gdk_x11_display_error_trap_push(display);
  XSendEvent(x, window, False, NoEventMask, &event);
  XFlush(x);
  gdk_x11_display_error_trap_pop_ignored(display);
}

}  // namespace vigilo::components
