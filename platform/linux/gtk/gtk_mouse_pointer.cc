#include "platform/linux/gtk/gtk_mouse_pointer.h"

#include <gtk/gtk.h>

#include "platform/user_interface.h"

namespace vigilo {
namespace {

constexpr const char* kExemptKey = "vigilo-no-busy-pointer";

bool exempt(GtkWidget* window) { return g_object_get_data(G_OBJECT(window), kExemptKey); }

}  // namespace

void exemptFromBusyPointer(GtkWidget* window) {
  g_object_set_data(G_OBJECT(window), kExemptKey, GINT_TO_POINTER(1));
}

ProgramMousePointer::~ProgramMousePointer() {
  for (auto& [window, previous] : covered_) g_object_weak_unref(G_OBJECT(window), forget, this);
}

void ProgramMousePointer::set(int pointer, bool gtkRunning) {
  pointer_ = pointer;
  if (!gtkRunning) return;
  if (pointer_ == kPointerBusy) {
    coverNewWindows();
  } else {
    restoreAll();
  }
}

void ProgramMousePointer::coverNewWindows() {
  if (pointer_ != kPointerBusy) return;
  if (!busy_) {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return;
    busy_ = GObjectPtr<GdkCursor>(gdk_cursor_new_from_name(display, "wait"));
    if (!busy_) busy_ = GObjectPtr<GdkCursor>(gdk_cursor_new_for_display(display, GDK_WATCH));
  }
  GList* toplevels = gtk_window_list_toplevels();
  for (GList* item = toplevels; item; item = item->next) {
    GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(item->data));
    if (window && !exempt(GTK_WIDGET(item->data))) cover(window);
  }
  g_list_free(toplevels);
}

void ProgramMousePointer::cover(GdkWindow* window) {
  if (!covered_.count(window)) {
    covered_.emplace(window, GObjectPtr<GdkCursor>::share(gdk_window_get_cursor(window)));
    g_object_weak_ref(G_OBJECT(window), forget, this);
    gdk_window_set_cursor(window, busy_.get());
  }
  GList* children = gdk_window_get_children(window);
  for (GList* child = children; child; child = child->next)
    cover(static_cast<GdkWindow*>(child->data));
  g_list_free(children);
}

void ProgramMousePointer::restoreAll() {
  for (auto& [window, previous] : covered_) {
    g_object_weak_unref(G_OBJECT(window), forget, this);
    gdk_window_set_cursor(window, previous.get());
  }
  covered_.clear();
}

void ProgramMousePointer::forget(gpointer self, GObject* gone) {
  static_cast<ProgramMousePointer*>(self)->covered_.erase(reinterpret_cast<GdkWindow*>(gone));
}

}  // namespace vigilo
