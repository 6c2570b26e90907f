// clang-format off
// gtest first: Xlib's macros (None, Bool) would break it.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <dlfcn.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "platform/linux/webkit_info_message_windows.h"
#include "testing/scoped_temp_dir.h"

namespace vigilo {
namespace {

using testing::ScopedTempDir;

const std::string kLibrary = std::string(VIGILO_BINARY_DIR) + "/demo/" + kInfoWindowLibrary;
constexpr const char* kCaption = "Vigilo - by Brivant";

// WebKit is loaded by the window library only, and privately; its functions
// are looked up at run time so that the test program does not link it either.
std::string webViewText(GtkWidget* webView, const char* function) {
  using Get = const char* (*)(void*);
  void* webKit = dlopen("libwebkit2gtk-4.1.so.0", RTLD_LAZY | RTLD_NOLOAD);
  auto get = webKit ? reinterpret_cast<Get>(dlsym(webKit, function)) : nullptr;
  const char* text = get && webView ? get(webView) : nullptr;
  if (webKit) dlclose(webKit);
  return text ? text : "";
}

std::string webViewTitle(GtkWidget* webView) {
  return webViewText(webView, "webkit_web_view_get_title");
}

std::string webViewUri(GtkWidget* webView) {
  return webViewText(webView, "webkit_web_view_get_uri");
}

GtkWindow* shownWindow(const std::string& title) {
  GList* windows = gtk_window_list_toplevels();
  GtkWindow* found = nullptr;
  for (GList* w = windows; w; w = w->next) {
    GtkWindow* window = GTK_WINDOW(w->data);
    const char* t = gtk_window_get_title(window);
    if (t && title == t && gtk_widget_get_mapped(GTK_WIDGET(window))) found = window;
  }
  g_list_free(windows);
  return found;
}

GtkWidget* findChild(GtkWidget* widget, const char* typeName) {
  if (std::string(G_OBJECT_TYPE_NAME(widget)) == typeName) return widget;
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  GtkWidget* found = nullptr;
  for (GList* c = children; c && !found; c = c->next)
    found = findChild(GTK_WIDGET(c->data), typeName);
  g_list_free(children);
  return found;
}

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << r.width << "x" << r.height << "+" << r.x << "+" << r.y;
  }
};

Rect allocationOf(GtkWidget* widget) {
  GtkAllocation a;
  gtk_widget_get_allocation(widget, &a);
  return {a.x, a.y, a.width, a.height};
}

// What the test saw of the shown window, and how it made it go away.
struct Observed {
  bool pageShown = false;
  std::string pageTitle;
  bool resizable = true;
  bool skipTaskbar = false;
  bool modal = false;
  GdkWindowTypeHint typeHint = GDK_WINDOW_TYPE_HINT_NORMAL;
  int width = 0, height = 0;
  long minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
  std::string windowClass;
  Rect browser, button, label;
  std::string buttonCaption;
  bool timedOut = false;
};

// Shows `window` modally; once `title`'s window shows the page titled
// `pageTitle`, records what it looks like and runs `dismiss` on it.
Observed showAndDismiss(InfoMessageWindow& window, const std::string& pageTitle,
                        std::function<void(GtkWindow*)> dismiss) {
  struct Poll {
    Observed seen;
    std::string pageTitle;
    std::function<void(GtkWindow*)> dismiss;
    int rounds = 0;
  } poll{{}, pageTitle, std::move(dismiss)};
  g_timeout_add(
      50,
      [](gpointer data) -> gboolean {
        auto* p = static_cast<Poll*>(data);
        GtkWindow* window = shownWindow(kCaption);
        GtkWidget* webView = window ? findChild(GTK_WIDGET(window), "WebKitWebView") : nullptr;
        const bool ready = webView && webViewTitle(webView) == p->pageTitle;
        if (!ready && ++p->rounds < 600) return G_SOURCE_CONTINUE;
        if (!window) {
          p->seen.timedOut = true;
          return G_SOURCE_REMOVE;  // the test fails: nothing ends the modal loop
        }
        Observed& s = p->seen;
        s.timedOut = !ready;
        s.pageShown = ready;
        s.pageTitle = webView ? webViewTitle(webView) : "";
        s.resizable = gtk_window_get_resizable(window);
        s.skipTaskbar = gtk_window_get_skip_taskbar_hint(window);
        s.modal = gtk_window_get_modal(window);
        s.typeHint = gtk_window_get_type_hint(window);
        GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window));
        s.width = gdk_window_get_width(gdkWindow);
        s.height = gdk_window_get_height(gdkWindow);
        Display* display = GDK_WINDOW_XDISPLAY(gdkWindow);
        const Window xid = GDK_WINDOW_XID(gdkWindow);
        XSizeHints hints;
        long supplied = 0;
        if (XGetWMNormalHints(display, xid, &hints, &supplied)) {
          if (hints.flags & PMinSize) s.minWidth = hints.min_width, s.minHeight = hints.min_height;
          if (hints.flags & PMaxSize) s.maxWidth = hints.max_width, s.maxHeight = hints.max_height;
        }
        XClassHint classHint;
        if (XGetClassHint(display, xid, &classHint)) {
          s.windowClass = classHint.res_class;
          XFree(classHint.res_name);
          XFree(classHint.res_class);
        }
        if (webView) s.browser = allocationOf(webView);
        if (GtkWidget* button = findChild(GTK_WIDGET(window), "GtkButton")) {
          s.button = allocationOf(button);
          s.buttonCaption = gtk_button_get_label(GTK_BUTTON(button));
        }
        if (GtkWidget* label = findChild(GTK_WIDGET(window), "GtkLabel")) {
          // The button's caption is a label too: the form's own is the empty one.
          GtkWidget* fixed = gtk_bin_get_child(GTK_BIN(window));
          GList* children = gtk_container_get_children(GTK_CONTAINER(fixed));
          for (GList* c = children; c; c = c->next)
            if (GTK_IS_LABEL(c->data)) label = GTK_WIDGET(c->data);
          g_list_free(children);
          s.label = allocationOf(label);
        }
        p->dismiss(window);
        return G_SOURCE_REMOVE;
      },
      &poll);
  window.showModal();
  return poll.seen;
}

// Presses "Close" with a real pointer click through the X server.
void clickClose(GtkWindow* window) {
  const Window xid = GDK_WINDOW_XID(gtk_widget_get_window(GTK_WIDGET(window)));
  const std::string id = std::to_string(xid);
  gchar* argv[] = {const_cast<gchar*>("xdotool"),
                   const_cast<gchar*>("mousemove"),
                   const_cast<gchar*>("--window"),
                   const_cast<gchar*>(id.c_str()),
                   const_cast<gchar*>("434"),
                   const_cast<gchar*>("365"),
                   const_cast<gchar*>("click"),
                   const_cast<gchar*>("1"),
                   nullptr};
  gint status = 0;
  GError* error = nullptr;
  if (!g_spawn_sync(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, nullptr,
                    &status, &error)) {
    ADD_FAILURE() << "xdotool: " << (error ? error->message : "");
    g_clear_error(&error);
    gtk_widget_hide(GTK_WIDGET(window));
  }
}

// Asks the window to close as a window manager does: WM_DELETE_WINDOW from another client.
void closeFromOutside(GtkWindow* window) {
  const Window xid = GDK_WINDOW_XID(gtk_widget_get_window(GTK_WIDGET(window)));
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = xid;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, xid, False, NoEventMask, &event);
  XCloseDisplay(display);
}

std::string notice(const ScopedTempDir& dir, const std::string& title, const std::string& body) {
  const std::string path = dir / (title + ".htm");
  testing::writeFile(
      path, "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>");
  return path;
}

TEST(WebKitInfoMessageWindow, ShowsAPageAndClosesOnClose) {
  ScopedTempDir dir;
  WebKitInfoMessageWindows windows(kLibrary);
  std::unique_ptr<InfoMessageWindow> window = windows.create();
  window->setCaption(kCaption);
  window->navigate(notice(dir, "First notice", "<p>Your calendar data is expired.</p>"));
  const Observed seen = showAndDismiss(*window, "First notice", clickClose);
  window.reset();  // unload

  ASSERT_FALSE(seen.timedOut);
  EXPECT_TRUE(seen.pageShown);
  EXPECT_EQ(seen.width, 494);
  EXPECT_EQ(seen.height, 382);
  EXPECT_FALSE(seen.resizable);
  EXPECT_EQ(seen.minWidth, 494);
  EXPECT_EQ(seen.maxWidth, 494);
  EXPECT_EQ(seen.minHeight, 382);
  EXPECT_EQ(seen.maxHeight, 382);
  EXPECT_TRUE(seen.skipTaskbar);
  EXPECT_TRUE(seen.modal);
  EXPECT_EQ(seen.typeHint, GDK_WINDOW_TYPE_HINT_DIALOG);
  EXPECT_EQ(seen.windowClass, "ThunderRT6FormDC");
  EXPECT_EQ(seen.browser, (Rect{6, 6, 483, 339}));
  EXPECT_EQ(seen.button, (Rect{380, 354, 109, 23}));
  EXPECT_EQ(seen.buttonCaption, "Close");
  EXPECT_EQ(seen.label, (Rect{8, 356, 329, 19}));
}

// Closing the window from outside also ends the modal display, and the next
// message gets a window of its own.
TEST(WebKitInfoMessageWindow, ClosesOnCloseRequestAndComesBackFresh) {
  ScopedTempDir dir;
  WebKitInfoMessageWindows windows(kLibrary);
  for (const char* title : {"Second notice", "Third notice"}) {
    std::unique_ptr<InfoMessageWindow> window = windows.create();
    window->setCaption(kCaption);
    window->navigate(notice(dir, title, "<p>Soon expiring.</p>"));
    const Observed seen = showAndDismiss(*window, title, closeFromOutside);
    EXPECT_FALSE(seen.timedOut) << title;
    EXPECT_EQ(seen.pageTitle, title);
  }
}

// A link opens in the user's browser (here: nothing handles its scheme); the
// window keeps showing the notice instead of following it.
TEST(WebKitInfoMessageWindow, LinksLeaveTheNoticeInPlace) {
  ScopedTempDir dir;
  WebKitInfoMessageWindows windows(kLibrary);
  std::unique_ptr<InfoMessageWindow> window = windows.create();
  window->setCaption(kCaption);
  const std::string page = notice(
      dir, "Linked notice",
      "<a href='vigilo-test-scheme:elsewhere' style='display:block;height:300px'>next year</a>");
  window->navigate(page);
  std::string uriAfterClick;
  const Observed seen = showAndDismiss(*window, "Linked notice", [&](GtkWindow* shown) {
    const Window xid = GDK_WINDOW_XID(gtk_widget_get_window(GTK_WIDGET(shown)));
    const std::string command =
        "xdotool mousemove --window " + std::to_string(xid) + " 100 100 click 1";
    ASSERT_EQ(system(command.c_str()), 0);
    // Let the click arrive and any navigation start.
    for (int i = 0; i < 40; ++i) {
      g_usleep(25000);
      while (g_main_context_iteration(nullptr, FALSE)) {
      }
    }
    uriAfterClick = webViewUri(findChild(GTK_WIDGET(shown), "WebKitWebView"));
    gtk_widget_hide(GTK_WIDGET(shown));
  });
  ASSERT_FALSE(seen.timedOut);
  EXPECT_EQ(uriAfterClick.rfind("file://", 0), 0u) << uriAfterClick;
  EXPECT_NE(uriAfterClick.find("Linked%20notice.htm"), std::string::npos) << uriAfterClick;
}

}  // namespace
}  // namespace vigilo
