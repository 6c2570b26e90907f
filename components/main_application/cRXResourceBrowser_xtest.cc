// The main application component as the starter uses it: loaded from its
// library through the registry, on a real X display.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
// Xlib's macros (None, Status, ...) after the test framework's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/component_registration.h"
#include "platform/error.h"
#include "platform/linux/component_loader.h"
#include "platform/linux/registered_components.h"
#include "platform/platform.h"
#include "testing/memory_registry_store.h"
#include "testing/scoped_temp_dir.h"

namespace vigilo {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

constexpr char kProgId[] = "RXResourceBRowser.cRXResourceBrowser";

// Runs the program's window events until `done` holds or five seconds pass.
bool pumpUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void pumpFor(std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  pumpUntil([&] { return std::chrono::steady_clock::now() > end; });
}

Display* gdkX() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

// The window's attributes; nothing when it does not exist (any more).
std::optional<XWindowAttributes> attributes(Window window) {
  XWindowAttributes a{};
  gdk_x11_display_error_trap_push(gdk_display_get_default());
  const Status ok = XGetWindowAttributes(gdkX(), window, &a);
  const int error = gdk_x11_display_error_trap_pop(gdk_display_get_default());
  if (!ok || error) return std::nullopt;
  return a;
}

bool isViewable(Window window) {
  const auto a = attributes(window);
  return a && a->map_state == IsViewable;
}

std::string title(Window window) {
  Atom type;
  int format;
  unsigned long count, rest;
  unsigned char* data = nullptr;
  XGetWindowProperty(gdkX(), window, XInternAtom(gdkX(), "_NET_WM_NAME", False), 0, 1024, False,
                     XInternAtom(gdkX(), "UTF8_STRING", False), &type, &format, &count, &rest,
                     &data);
  std::string text = data ? reinterpret_cast<char*>(data) : "";
  if (data) XFree(data);
  return text;
}

std::string windowClass(Window window) {
  XClassHint hint{};
  if (!XGetClassHint(gdkX(), window, &hint)) return "";
  std::string result = hint.res_class;
  XFree(hint.res_name);
  XFree(hint.res_class);
  return result;
}

std::vector<std::string> wmState(Window window) {
  Atom type;
  int format;
  unsigned long count, rest;
  unsigned char* data = nullptr;
  XGetWindowProperty(gdkX(), window, XInternAtom(gdkX(), "_NET_WM_STATE", False), 0, 64, False,
                     XA_ATOM, &type, &format, &count, &rest, &data);
  std::vector<std::string> names;
  for (unsigned long i = 0; data && i < count; ++i) {
    char* name = XGetAtomName(gdkX(), reinterpret_cast<Atom*>(data)[i]);
    names.push_back(name);
    XFree(name);
  }
  if (data) XFree(data);
  return names;
}

// Another X client, as another program would be: it owns a hidden window
// that accepts close requests, and asks other windows to close.
class OtherClient {
 public:
  OtherClient() : display_(XOpenDisplay(nullptr)) {
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 100, 100, 0, 0, 0);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    protocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    XSync(display_, False);
  }
  ~OtherClient() { XCloseDisplay(display_); }

  Window window() const { return window_; }

  // Asks `target` to close, as a window manager's close box does.
  void requestClose(Window target) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = protocols_;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow_);
    XSendEvent(display_, target, False, NoEventMask, &event);
    XFlush(display_);
  }

  // Whether a close request for the hidden window has arrived.
  bool closeRequested() {
    XEvent event;
    while (XCheckTypedWindowEvent(display_, window_, ClientMessage, &event)) {
      if (event.xclient.message_type == protocols_ &&
          static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_)
        closeRequests_++;
    }
    return closeRequests_ > 0;
  }

 private:
  Display* display_;
  Window window_;
  Atom deleteWindow_;
  Atom protocols_;
  int closeRequests_ = 0;
};

// Texts of every label and text view under `widget`.
void collectTexts(GtkWidget* widget, std::vector<std::string>* texts) {
  if (GTK_IS_LABEL(widget)) texts->push_back(gtk_label_get_text(GTK_LABEL(widget)));
  if (GTK_IS_TEXT_VIEW(widget)) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget));
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    texts->push_back(text);
    g_free(text);
  }
  if (GTK_IS_CONTAINER(widget)) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* c = children; c; c = c->next) collectTexts(GTK_WIDGET(c->data), texts);
    g_list_free(children);
  }
}

// This program's window with the X id `window`.
GtkWindow* gtkWindowOf(Window window) {
  GtkWindow* found = nullptr;
  GList* toplevels = gtk_window_list_toplevels();
  for (GList* w = toplevels; w; w = w->next) {
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(w->data));
    if (gdkWindow && GDK_WINDOW_XID(gdkWindow) == window) found = GTK_WINDOW(w->data);
  }
  g_list_free(toplevels);
  return found;
}

// The texts shown in this program's window with the X id `window`.
std::vector<std::string> textsOfWindow(Window window) {
  std::vector<std::string> texts;
  if (GtkWindow* gtkWindow = gtkWindowOf(window)) collectTexts(GTK_WIDGET(gtkWindow), &texts);
  return texts;
}

class MainApplicationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display"; }

  MainApplicationTest() : installed_(services()) {
    std::string whyNot;
    const ComponentLibrary* library = loadComponentLibrary(VIGILO_MAIN_APPLICATION, &whyNot);
    if (!library) ADD_FAILURE() << whyNot;
    registerComponentClasses(registry_, RegistrationScope::Machine, VIGILO_MAIN_APPLICATION,
                             library ? library->classList() : std::vector<ComponentClass>{});
  }

  Platform services() {
    Platform p;
    p.registry = &registry_;
    return p;
  }

  ObjectRef create() { return components_.createObject(kProgId); }

  // Shows the application and waits for its window to be mapped.
  Window show(const ObjectRef& app) {
    app->call("Show", {});
    const Window window = static_cast<Window>(app->get("phWnd").toLong());
    EXPECT_NE(window, 0u);
    EXPECT_TRUE(pumpUntil([&] { return isViewable(window); })) << "the window was not mapped";
    return window;
  }

  testing::MemoryRegistryStore registry_;
  RegisteredComponents components_;

 private:
  ScopedPlatform installed_;
};

TEST_F(MainApplicationTest, ShowMapsAWindowWithTheTitleAndTheFormClassAndPhWndNamesIt) {
  ObjectRef app = create();
  EXPECT_EQ(app->get("phWnd"), Variant(int32_t{0}));
  ObjectRef application = app->get("cApplication").toObject();
  application->set("pAppTitle", "Resource browser under test");
  // An icon file with both DIB and PNG-compressed pictures.
  application->set("pAppIcon", VIGILO_SOURCE_DIR "/demo/BrivantRB.ico");
  app->set("pMaximizeOnStartUp", true);

  const Window window = show(app);

  EXPECT_EQ(title(window), "Resource browser under test");
  EXPECT_EQ(windowClass(window), "ThunderRT6FormDC");
  EXPECT_THAT(wmState(window), Contains("_NET_WM_STATE_MAXIMIZED_VERT"));
  // Maximised by the window manager, or by itself when there is none.
  GdkRectangle area;
  gdk_monitor_get_workarea(gdk_display_get_primary_monitor(gdk_display_get_default()), &area);
  EXPECT_TRUE(pumpUntil([&] {
    const auto a = attributes(window);
    return a && a->width >= area.width - 20 && a->height >= area.height - 60;
  })) << "not maximised";
  GdkPixbuf* icon = gtk_window_get_icon(gtkWindowOf(window));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_width(icon), 48);
  // Show again brings the same window forward rather than making another.
  app->call("show", {});
  EXPECT_EQ(app->get("PHWND").toLong(), static_cast<int32_t>(window));
  app->call("Kill", {});
}

TEST_F(MainApplicationTest, ClosingTheWindowAsksTheParentOfAnotherClientToCloseAndEndsIt) {
  OtherClient starter;
  ObjectRef app = create();
  app->set("pParentToClose", static_cast<int32_t>(starter.window()));
  const Window window = show(app);
  std::weak_ptr<Object> alive = app;
  app.reset();  // the starter lets it go at the end of a launch
  pumpFor(std::chrono::milliseconds(100));
  EXPECT_TRUE(isViewable(window)) << "it ended when released";
  EXPECT_FALSE(alive.expired());

  starter.requestClose(window);  // the user closes the main window

  EXPECT_TRUE(pumpUntil([&] { return starter.closeRequested(); }));
  EXPECT_TRUE(pumpUntil([&] { return !attributes(window); })) << "the window stayed";
  EXPECT_TRUE(alive.expired());
}

TEST_F(MainApplicationTest, KillEndsItWithoutClosingTheParent) {
  OtherClient starter;
  ObjectRef app = create();
  app->set("pParentToClose", static_cast<int32_t>(starter.window()));
  const Window window = show(app);

  app->call("Kill", {});

  EXPECT_EQ(app->get("phWnd"), Variant(int32_t{0}));
  EXPECT_TRUE(pumpUntil([&] { return !attributes(window); }));
  pumpFor(std::chrono::milliseconds(100));
  EXPECT_FALSE(starter.closeRequested());
  app->call("Kill", {});  // once ended, Kill does nothing
}

TEST_F(MainApplicationTest, TheWindowListsTheConfigurationAndTheFilesSectionAsTheFileHoldsIt) {
  testing::ScopedTempDir temp;
  const std::string ini = temp / "Brivant RB.ini";
  testing::writeFile(ini,
                     "[System]\r\nSetupDatabase=x\r\n[files]\r\n; the resource folders\r\n"
                     "HYMNS=/opt/vigilo/Hymns\r\nClips = /opt/vigilo/Clip Art\r\n\r\n"
                     "[Other]\r\nNotThis=1\r\n");
  ObjectRef app = create();
  ObjectRef system = app->get("cBrivantSystem").toObject();
  system->set("CountryVersion", int32_t{49});
  system->set("INIFile", ini);
  ObjectRef application = app->get("cApplication").toObject();
  application->set("pSetupDatabase", "/home/u/.local/share/Setup.mdb");
  application->set("pToolbarDatabase", "/opt/vigilo/Resource/ToolBars.mdb");
  app->get("cUser").toObject()->set("UserName", "User name");
  application->set("pAppIcon", temp / "missing.ico");

  const Window window = show(app);
  const auto texts = textsOfWindow(window);
  EXPECT_EQ(gtk_window_get_icon(gtkWindowOf(window)), nullptr);

  EXPECT_THAT(texts, Contains(ini));
  EXPECT_THAT(texts, Contains("/home/u/.local/share/Setup.mdb"));
  EXPECT_THAT(texts, Contains("/opt/vigilo/Resource/ToolBars.mdb"));
  EXPECT_THAT(texts, Contains("49"));
  EXPECT_THAT(texts, Contains(HasSubstr("User name")));
  EXPECT_THAT(texts, Contains("; the resource folders\nHYMNS=/opt/vigilo/Hymns\n"
                              "Clips = /opt/vigilo/Clip Art\n"));
  app->call("Kill", {});
}

TEST_F(MainApplicationTest, MembersKeepTheirTypesAndOthersAreUnknown) {
  ObjectRef app = create();
  ObjectRef application = app->get("cApplication").toObject();
  ObjectRef user = app->get("cUser").toObject();
  application->set("pAppID", int32_t{2});
  application->set("pWindowID", int16_t{1});
  user->set("Id", int16_t{1});
  app->set("pEnableUserSongCollections", int16_t{-1});

  // The re-entry check reads back the id of an earlier launch.
  EXPECT_EQ(app->get("cApplication").toObject()->get("pAppID"), Variant(int32_t{2}));
  EXPECT_EQ(application->get("pWindowID"), Variant(int32_t{1}));
  EXPECT_EQ(user->get("Id"), Variant(int16_t{1}));
  EXPECT_EQ(app->get("pEnableUserSongCollections"), Variant(true));

  const struct {
    std::function<void()> access;
    int32_t number;
  } failures[] = {
      {[&] { app->get("pAppTitle"); }, errc::kMemberNotFound},
      {[&] { app->set("Visible", true); }, errc::kMemberNotFound},
      {[&] { app->call("Hide", {}); }, errc::kMemberNotFound},
      {[&] { application->set("CountryVersion", int32_t{1}); }, errc::kMemberNotFound},
      {[&] { user->call("Show", {}); }, errc::kMemberNotFound},
      {[&] { app->set("phWnd", int32_t{1}); }, 383},
      {[&] { application->set("pAppID", "two"); }, errc::kTypeMismatch},
  };
  for (const auto& f : failures) {
    try {
      f.access();
      ADD_FAILURE() << "no error for case " << (&f - failures);
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), f.number) << e.description();
      EXPECT_FALSE(e.source().empty());
    }
  }
}

}  // namespace
}  // namespace vigilo
