#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/gtk/gtk_user_interface.h"

// After gtest: Xlib's macros (None, Bool) clash with gtest's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/linux/gtk/gtk_form.h"

namespace vigilo {
namespace {

// Another X client, as another program is: a connection of its own.
class OtherClient {
 public:
  OtherClient() : display_(XOpenDisplay(nullptr)) {}
  ~OtherClient() {
    if (display_) XCloseDisplay(display_);
  }
  Display* display() const { return display_; }

  std::string windowClass(Window window) {
    XClassHint hint{};
    if (!XGetClassHint(display_, window, &hint)) return "";
    std::string result = hint.res_class ? hint.res_class : "";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return result;
  }
  std::string title(Window window) { return utf8Property(window, "_NET_WM_NAME"); }
  std::string utf8Property(Window window, const char* name) {
    std::vector<unsigned long> unused;
    return std::string(
        property(window, name, XInternAtom(display_, "UTF8_STRING", False), &unused));
  }
  std::vector<unsigned long> cardinals(Window window, const char* name) {
    std::vector<unsigned long> values;
    property(window, name, XA_CARDINAL, &values);
    return values;
  }
  bool exists(Window window) {
    XSync(display_, False);
    auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XWindowAttributes attributes;
    const bool found = XGetWindowAttributes(display_, window, &attributes) != 0;
    XSync(display_, False);
    XSetErrorHandler(previous);
    return found;
  }
  int mapState(Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, window, &attributes);
    return attributes.map_state;
  }
  void position(Window window, int* x, int* y) {
    Window child;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, x, y, &child);
  }

 private:
  std::string property(Window window, const char* name, Atom type,
                       std::vector<unsigned long>* longs) {
    Atom actualType;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, name, False), 0, 1 << 16, False,
                           type, &actualType, &format, &count, &after, &data) != Success ||
        !data)
      return "";
    std::string text;
    if (format == 8) text.assign(reinterpret_cast<char*>(data), count);
    if (format == 32)
      longs->assign(reinterpret_cast<unsigned long*>(data),
                    reinterpret_cast<unsigned long*>(data) + count);
    XFree(data);
    return text;
  }

  Display* display_;
};

// Asks `window` to close as a window manager's close box does, from a
// process of its own.
void requestCloseFromAnotherProcess(Window window) {
  const pid_t child = fork();
  if (child == 0) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) _exit(1);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Runs an xdotool command line, as a user's keyboard would act.
void xdotool(const std::string& arguments) {
  EXPECT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

std::vector<GtkWidget*> descendants(GtkWidget* widget) {
  std::vector<GtkWidget*> all{widget};
  if (GTK_IS_CONTAINER(widget)) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* c = children; c; c = c->next) {
      const auto below = descendants(GTK_WIDGET(c->data));
      all.insert(all.end(), below.begin(), below.end());
    }
    g_list_free(children);
  }
  return all;
}

// What a message box showed, seen from inside the program while it waits.
struct SeenBox {
  std::string title;
  std::string icon;
  std::vector<std::string> buttons;
  std::string text;
  Window window = 0;
};

GtkWidget* findMessageDialog() {
  GList* toplevels = gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* t = toplevels; t; t = t->next)
    if (GTK_IS_MESSAGE_DIALOG(t->data) && gtk_widget_get_mapped(GTK_WIDGET(t->data)))
      found = GTK_WIDGET(t->data);
  g_list_free(toplevels);
  return found;
}

SeenBox look(GtkWidget* dialog) {
  SeenBox seen;
  seen.title = gtk_window_get_title(GTK_WINDOW(dialog));
  seen.window = GDK_WINDOW_XID(gtk_widget_get_window(dialog));
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  GtkWidget* image = gtk_message_dialog_get_image(GTK_MESSAGE_DIALOG(dialog));
  G_GNUC_END_IGNORE_DEPRECATIONS
  if (GTK_IS_IMAGE(image) && gtk_widget_get_visible(image)) {
    const gchar* name = nullptr;
    gtk_image_get_icon_name(GTK_IMAGE(image), &name, nullptr);
    if (name) seen.icon = name;
  }
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  GtkWidget* actionArea = gtk_dialog_get_action_area(GTK_DIALOG(dialog));
  G_GNUC_END_IGNORE_DEPRECATIONS
  for (GtkWidget* w : descendants(actionArea))
    if (GTK_IS_BUTTON(w) && gtk_widget_get_visible(w))
      seen.buttons.push_back(gtk_button_get_label(GTK_BUTTON(w)));
  for (GtkWidget* w : descendants(dialog))
    if (GTK_IS_LABEL(w) && gtk_widget_get_visible(w) && seen.text.empty())
      seen.text = gtk_label_get_text(GTK_LABEL(w));
  return seen;
}

// Shows a message box and, once it is on the screen, notes what it shows and
// lets `answer` act on its window from outside.
int showAndAnswer(GtkUserInterface& ui, const std::string& text, int style,
                  const std::string& caption, const std::function<void(Window)>& answer,
                  SeenBox* seen) {
  struct Watch {
    const std::function<void(Window)>* answer;
    SeenBox* seen;
    bool done = false;
  } watch{&answer, seen};
  const guint timer = g_timeout_add(
      20,
      [](gpointer data) -> gboolean {
        auto* w = static_cast<Watch*>(data);
        GtkWidget* dialog = findMessageDialog();
        if (!dialog || !gtk_widget_get_mapped(dialog) || w->done) return G_SOURCE_CONTINUE;
        w->done = true;
        gdk_display_sync(gdk_display_get_default());
        *w->seen = look(dialog);
        (*w->answer)(w->seen->window);
        return G_SOURCE_REMOVE;
      },
      &watch);
  const int result = ui.messageBox(text, style, caption);
  if (!watch.done) g_source_remove(timer);
  return result;
}

TEST(GtkUserInterfaceTest, TheBusyPointerAloneDoesNotStartGtk) {
  if (gdk_display_get_default()) GTEST_SKIP() << "GTK was started by an earlier test";
  GtkUserInterface ui;
  ui.setMousePointer(kPointerBusy);
  ui.setMousePointer(kPointerDefault);
  EXPECT_EQ(gdk_display_get_default(), nullptr);
}

TEST(GtkUserInterfaceTest, MessageBoxesShowTheirIconButtonsAndTitleAndAnswer) {
  GtkUserInterface ui;
  const auto key = [](const char* name) {
    return [name](Window w) {
      // In the background: the box's own main loop must keep running while
      // xdotool waits for the focus, or a window manager that maps the box
      // later waits on us and we on it.
      // The focus fails (BadMatch) while a window manager has yet to make the
      // box viewable: try again until it takes.
      const std::string press = "xdotool windowfocus --sync " + std::to_string(w) +
                                " key --clearmodifiers " + name + " 2>/dev/null";
      const std::string retry = "for i in $(seq 100); do " + press + " && break; sleep 0.05; done";
      EXPECT_EQ(std::system(("sh -c '" + retry + "' &").c_str()), 0);
    };
  };
  const auto closeBox = [](Window w) { requestCloseFromAnotherProcess(w); };
  struct Case {
    int style;
    std::string caption;
    std::function<void(Window)> answer;
    std::string expectedTitle;
    std::string expectedIcon;
    std::vector<std::string> expectedButtons;
    int expectedAnswer;
  };
  const std::vector<Case> cases{
      {0, "", key("Return"), kProgramTitle, "", {"_OK"}, kIdOk},
      {16, "", key("Return"), kProgramTitle, "dialog-error", {"_OK"}, kIdOk},
      {64, "Calendar", key("Return"), "Calendar", "dialog-information", {"_OK"}, kIdOk},
      {65, "", key("Return"), kProgramTitle, "dialog-information", {"_OK", "_Cancel"}, kIdOk},
      {65, "", key("Escape"), kProgramTitle, "dialog-information", {"_OK", "_Cancel"}, kIdCancel},
      {65, "", closeBox, kProgramTitle, "dialog-information", {"_OK", "_Cancel"}, kIdCancel},
      {0, "", closeBox, kProgramTitle, "", {"_OK"}, kIdCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style) + " answered by case " +
                 std::to_string(&c - cases.data()));
    SeenBox seen;
    const std::string text = "The file 'x.ini' cannot be found.\nSecond line";
    EXPECT_EQ(showAndAnswer(ui, text, c.style, c.caption, c.answer, &seen), c.expectedAnswer);
    EXPECT_EQ(seen.title, c.expectedTitle);
    EXPECT_EQ(seen.icon, c.expectedIcon);
    EXPECT_EQ(seen.buttons, c.expectedButtons);
    EXPECT_EQ(seen.text, text);
  }
}

class GtkFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = ui_.loadForm({"Form1", 3060, 1650});
    ASSERT_TRUE(form_);
    ASSERT_NE(other_.display(), nullptr);
  }
  Window handle() const { return static_cast<Window>(static_cast<uint32_t>(form_->hWnd())); }

  GtkUserInterface ui_;
  std::unique_ptr<Form> form_;
  OtherClient other_;
};

TEST_F(GtkFormTest, IsAHiddenWindowOfTheFormClassWithItsCaption) {
  ASSERT_GT(form_->hWnd(), 0);
  EXPECT_TRUE(form_->isLoaded());
  EXPECT_TRUE(other_.exists(handle()));
  EXPECT_EQ(other_.windowClass(handle()), "ThunderRT6FormDC");
  EXPECT_EQ(other_.title(handle()), "Form1");
  EXPECT_EQ(other_.mapState(handle()), IsUnmapped);
  ui_.doEvents();
  EXPECT_EQ(other_.mapState(handle()), IsUnmapped);
}

TEST_F(GtkFormTest, MovesInTwipsAndKnowsItsHeight) {
  // 15 twips a pixel at the 96 dots per inch of the test server.
  EXPECT_EQ(ui_.screenHeight(), 1024 * 15);
  EXPECT_EQ(form_->height(), 1650);
  form_->move(150, 300);
  XSync(gdk_x11_get_default_xdisplay(), False);
  // A window manager takes the requests to place top-level windows and
  // decides when the window is shown; the window stays where it was until then.
  Display* display = gdk_x11_get_default_xdisplay();
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, DefaultRootWindow(display),
                     XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                     XA_WINDOW, &type, &format, &count, &after, &data);
  const bool managed = data && count == 1;
  if (data) XFree(data);
  if (managed) GTEST_SKIP() << "a window manager places windows only when it shows them";
  int x = -1, y = -1;
  other_.position(handle(), &x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
}

TEST_F(GtkFormTest, TakesItsIconFromIconFilesOnly) {
  const std::string testdata = std::string(VIGILO_SOURCE_DIR) + "/platform/linux/gtk/testdata/";
  GtkWindow* window = GTK_WINDOW(static_cast<GtkForm*>(form_.get())->window());
  const auto netWmIconSize = [&] {
    gdk_display_sync(gdk_display_get_default());
    const auto icon = other_.cardinals(handle(), "_NET_WM_ICON");
    return icon.size() >= 2 ? std::to_string(icon[0]) + "x" + std::to_string(icon[1]) : "none";
  };
  // Its own icon first.
  GdkPixbuf* own = gtk_window_get_icon(window);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(netWmIconSize(), "32x32");

  EXPECT_FALSE(form_->setIconFromFile(testdata + "missing.ico"));
  EXPECT_FALSE(form_->setIconFromFile(std::string(VIGILO_SOURCE_DIR) + "/CMakeLists.txt"));
  EXPECT_EQ(gtk_window_get_icon(window), own);

  EXPECT_TRUE(form_->setIconFromFile(testdata + "bmp_and_png.ico"));
  GdkPixbuf* icon = gtk_window_get_icon(window);
  ASSERT_NE(icon, nullptr);
  EXPECT_NE(icon, own);
  EXPECT_EQ(gdk_pixbuf_get_width(icon), 32);
  // The 32-pixel picture of the file: green, its top-left corner transparent.
  const guchar* pixels = gdk_pixbuf_get_pixels(icon);
  EXPECT_EQ(pixels[3], 0);
  const guchar* middle = pixels + 16 * gdk_pixbuf_get_rowstride(icon) + 16 * 4;
  EXPECT_EQ((std::vector<int>{middle[0], middle[1], middle[2], middle[3]}),
            (std::vector<int>{0, 192, 0, 255}));
  EXPECT_EQ(netWmIconSize(), "32x32");

  // A later file that cannot be used keeps the icon the form has.
  EXPECT_FALSE(form_->setIconFromFile(testdata + "missing.ico"));
  EXPECT_EQ(gtk_window_get_icon(window), icon);
}

TEST_F(GtkFormTest, ButtonsRunTheirActions) {
  std::vector<std::string> clicked;
  form_->addButton("Start Browser...", {480, 240, 2100, 495}, [&] { clicked.push_back("1"); });
  form_->addButton("End...", {480, 900, 2100, 495}, [&] { clicked.push_back("2"); });
  GtkWidget* window = static_cast<GtkForm*>(form_.get())->window();
  std::vector<std::string> labels;
  for (GtkWidget* w : descendants(window)) {
    if (!GTK_IS_BUTTON(w)) continue;
    labels.push_back(gtk_button_get_label(GTK_BUTTON(w)));
    gtk_button_clicked(GTK_BUTTON(w));
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"Start Browser...", "End..."}));
  EXPECT_EQ(clicked, (std::vector<std::string>{"1", "2"}));
}

TEST_F(GtkFormTest, ACloseRequestFromAnotherProgramUnloadsItAndEndsTheLoop) {
  const Window window = handle();
  int unloads = 0;
  bool loadedDuringUnload = false;
  form_->setUnloadHandler([&] {
    ++unloads;
    loadedDuringUnload = form_->isLoaded();
  });
  requestCloseFromAnotherProcess(window);
  ui_.runWhileFormsLoaded();  // returns once the last form is gone
  EXPECT_EQ(unloads, 1);
  EXPECT_TRUE(loadedDuringUnload);
  EXPECT_FALSE(form_->isLoaded());
  EXPECT_EQ(form_->hWnd(), 0);
  EXPECT_FALSE(other_.exists(window));
  form_->unload();
  EXPECT_EQ(unloads, 1);
}

TEST_F(GtkFormTest, UnloadRunsTheHandlerOnceAndTheLoopThenReturnsAtOnce) {
  int unloads = 0;
  form_->setUnloadHandler([&] {
    ++unloads;
    form_->unload();  // an unload inside the unload changes nothing
  });
  form_->unload();
  EXPECT_EQ(unloads, 1);
  EXPECT_EQ(GtkForm::loadedCount(), 0);
  ui_.runWhileFormsLoaded();
}

TEST(GtkUserInterfaceTest, TheBusyPointerCoversEveryWindowAndTheDefaultRestoresThem) {
  GtkUserInterface ui;
  auto form = ui.loadForm({"Form1", 3060, 1650});
  // A shown window with a widget that has a pointer of its own.
  GtkWidget* shown = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* entry = gtk_entry_new();
  gtk_container_add(GTK_CONTAINER(shown), entry);
  gtk_widget_show_all(shown);
  ui.doEvents();
  std::vector<GdkWindow*> entryWindows;
  std::vector<GdkCursor*> before;
  GList* children = gdk_window_get_children(gtk_widget_get_window(shown));
  for (GList* c = children; c; c = c->next) {
    entryWindows.push_back(GDK_WINDOW(c->data));
    before.push_back(gdk_window_get_cursor(GDK_WINDOW(c->data)));
  }
  g_list_free(children);
  ASSERT_FALSE(entryWindows.empty());
  ASSERT_NE(std::count(before.begin(), before.end(), nullptr),
            static_cast<long>(before.size()));  // the entry's text pointer

  ui.setMousePointer(kPointerBusy);
  GdkWindow* formWindow = gtk_widget_get_window(static_cast<GtkForm*>(form.get())->window());
  GdkCursor* busy = gdk_window_get_cursor(formWindow);
  ASSERT_NE(busy, nullptr);
  EXPECT_EQ(gdk_window_get_cursor(gtk_widget_get_window(shown)), busy);
  for (GdkWindow* w : entryWindows) EXPECT_EQ(gdk_window_get_cursor(w), busy);

  // A window made while busy is covered at the next pass over the events.
  GtkWidget* later = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_widget_show(later);
  ui.doEvents();
  EXPECT_EQ(gdk_window_get_cursor(gtk_widget_get_window(later)), busy);

  ui.setMousePointer(kPointerDefault);
  EXPECT_EQ(gdk_window_get_cursor(formWindow), nullptr);
  EXPECT_EQ(gdk_window_get_cursor(gtk_widget_get_window(later)), nullptr);
  for (size_t i = 0; i < entryWindows.size(); ++i)
    EXPECT_EQ(gdk_window_get_cursor(entryWindows[i]), before[i]);
  gtk_widget_destroy(later);
  gtk_widget_destroy(shown);
  form->unload();
}

}  // namespace
}  // namespace vigilo
