#include "platform/linux/gtk/gtk_form.h"

#include <gdk/gdkx.h>

// After gdkx.h, which brings the Xlib declarations that Xutil.h needs.
#include <X11/Xutil.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <utility>

#include "platform/linux/gtk/gtk_icon_picture.h"

namespace vigilo {
namespace {

int loadedForms = 0;

// The picture a form shows as its icon until the program gives it another: a
// small window with a blue title bar. Drawn here rather than looked up in the
// icon theme, whose loading costs a start tens of milliseconds.
GObjectPtr<GdkPixbuf> builtInFormIcon() {
  constexpr int kSide = kLargeIconSize;
  GObjectPtr<GdkPixbuf> icon(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, kSide, kSide));
  if (!icon) return icon;
  guchar* pixels = gdk_pixbuf_get_pixels(icon.get());
  const int stride = gdk_pixbuf_get_rowstride(icon.get());
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      guchar* p = pixels + y * stride + x * 4;
      const bool inside = x >= 2 && x < kSide - 2 && y >= 4 && y < kSide - 4;
      const bool edge = inside && (x == 2 || x == kSide - 3 || y == 4 || y == kSide - 5);
      const bool titleBar = inside && y < 10;
      guint32 rgba = 0;  // transparent
      if (edge)
        rgba = 0x404040FF;  // dark frame
      else if (titleBar)
        rgba = 0x1F4F9AFF;  // blue title bar
      else if (inside)
        rgba = 0xF4F4F4FF;  // light client area
      p[0] = rgba >> 24, p[1] = rgba >> 16 & 0xFF, p[2] = rgba >> 8 & 0xFF, p[3] = rgba & 0xFF;
    }
  }
  return icon;
}

// What the program's callbacks raise must not unwind through GTK's C frames.
template <typename F>
void runGuarded(const char* what, F&& action) {
  try {
    action();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", what, e.what());
  } catch (...) {
    std::fprintf(stderr, "%s: unexpected failure\n", what);
  }
}

}  // namespace

GtkForm::GtkForm(const FormDesign& design, double twipsPerPixel) : twipsPerPixel_(twipsPerPixel) {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), design.caption.c_str());
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  if (const GObjectPtr<GdkPixbuf> icon = builtInFormIcon())
    gtk_window_set_icon(GTK_WINDOW(window_), icon.get());
  layout_ = gtk_fixed_new();
  gtk_widget_set_size_request(layout_, pixels(design.clientWidth), pixels(design.clientHeight));
  gtk_container_add(GTK_CONTAINER(window_), layout_);
  gtk_widget_show(layout_);

  // GTK sets the program's class while it creates the X window; the class of
  // this one window is replaced afterwards.
  g_signal_connect_after(window_, "realize", G_CALLBACK(onRealized), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(onDeleteEvent), this);
  gtk_widget_realize(window_);
  // The handle may go to another program at once: the window must be there
  // for it, class and all.
  gdk_display_flush(gtk_widget_get_display(window_));
  ++loadedForms;
}

GtkForm::~GtkForm() {
  if (window_) {
    destroyWindow();
  }
}

int GtkForm::loadedCount() { return loadedForms; }

int GtkForm::pixels(int twips) const {
  return static_cast<int>(std::lround(twips / twipsPerPixel_));
}

int32_t GtkForm::hWnd() const {
  if (!window_) return 0;
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  return gdkWindow ? static_cast<int32_t>(GDK_WINDOW_XID(gdkWindow)) : 0;
}

void GtkForm::onRealized(GtkWidget* window, gpointer) {
  GdkWindow* gdkWindow = gtk_widget_get_window(window);
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) return;
  std::string name = g_get_prgname() ? g_get_prgname() : "vigilo";
  std::string windowClass = kFormWindowClass;
  XClassHint hint;
  hint.res_name = name.data();
  hint.res_class = windowClass.data();
  XSetClassHint(GDK_WINDOW_XDISPLAY(gdkWindow), GDK_WINDOW_XID(gdkWindow), &hint);
}

bool GtkForm::setIconFromFile(const std::string& iconFile) {
  if (!window_) return false;
  const GObjectPtr<GdkPixbuf> picture = loadIconPicture(iconFile, kLargeIconSize);
  if (!picture) return false;
  gtk_window_set_icon(GTK_WINDOW(window_), picture.get());
  return true;
}

void GtkForm::addButton(const std::string& caption, const TwipsRect& where,
                        std::function<void()> onClick) {
  if (!window_) return;
  GtkWidget* button = gtk_button_new_with_label(caption.c_str());
  gtk_widget_set_size_request(button, pixels(where.width), pixels(where.height));
  gtk_fixed_put(GTK_FIXED(layout_), button, pixels(where.left), pixels(where.top));
  clickActions_.push_back(std::move(onClick));
  g_signal_connect(button, "clicked", G_CALLBACK(onClicked), &clickActions_.back());
  gtk_widget_show(button);
}

void GtkForm::onClicked(GtkButton*, gpointer action) {
  runGuarded("button", [action] {
    const auto& onClick = *static_cast<std::function<void()>*>(action);
    if (onClick) onClick();
  });
}

void GtkForm::move(int left, int top) {
  if (!window_) return;
  const int x = pixels(left), y = pixels(top);
  // The request for when the window is shown, and the X window's own place
  // now, since a hidden window is never configured by GTK.
  gtk_window_move(GTK_WINDOW(window_), x, y);
  if (GdkWindow* gdkWindow = gtk_widget_get_window(window_)) gdk_window_move(gdkWindow, x, y);
}

int GtkForm::height() const {
  if (!window_) return 0;
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  if (!gdkWindow) return 0;
  // With the frame once a window manager has framed the window; a window that
  // was never shown has no frame yet.
  GdkRectangle outer{};
  gdk_window_get_frame_extents(gdkWindow, &outer);
  return static_cast<int>(std::lround(outer.height * twipsPerPixel_));
}

void GtkForm::unload() {
  if (!window_ || unloading_) return;
  unloading_ = true;
  struct DestroyAtEnd {
    GtkForm* form;
    ~DestroyAtEnd() {
      form->destroyWindow();
      form->unloading_ = false;
    }
  } destroyAtEnd{this};
  if (unloadHandler_) unloadHandler_();
}

void GtkForm::destroyWindow() {
  GtkWidget* window = std::exchange(window_, nullptr);
  layout_ = nullptr;
  if (!window) return;
  g_signal_handlers_disconnect_by_data(window, this);
  GdkDisplay* display = gtk_widget_get_display(window);
  gtk_widget_destroy(window);
  gdk_display_flush(display);
  --loadedForms;
}

gboolean GtkForm::onDeleteEvent(GtkWidget*, GdkEvent*, gpointer self) {
  runGuarded("close", [self] { static_cast<GtkForm*>(self)->unload(); });
  return TRUE;  // the window is gone already, or the unload went wrong: GTK leaves it
}

}  // namespace vigilo
