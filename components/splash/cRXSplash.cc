#include "components/splash/cRXSplash.h"

#include "components/common/component_window.h"

namespace vigilo::components {

cRXSplash::cRXSplash() : PropertyObject(kProgId, {{"pGraphicFile", PropertyType::String}}) {}

cRXSplash::~cRXSplash() { close(); }

Variant cRXSplash::call(std::string_view member, const std::vector<Variant>& args) {
  if (sameMember(member, "mShow") && args.empty()) {
    show();
    return Variant();
  }
  return PropertyObject::call(member, args);
}

void cRXSplash::show() {
  close();
  const std::string file = text("pGraphicFile");
  if (file.empty() || !ensureGtk()) return;
  GdkPixbufAnimation* picture = gdk_pixbuf_animation_new_from_file(file.c_str(), nullptr);
  if (!picture) return;

  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_SPLASHSCREEN);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER_ALWAYS);
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_), TRUE);
  gtk_window_set_skip_pager_hint(GTK_WINDOW(window_), TRUE);
  gtk_container_add(GTK_CONTAINER(window_), gtk_image_new_from_animation(picture));
  g_object_unref(picture);
  // Whoever else destroys the window (the program ending) leaves no
  // dangling pointer here.
  g_signal_connect(window_, "destroy", G_CALLBACK(gtk_widget_destroyed), &window_);
  gtk_widget_show_all(window_);
  // Shown now: the start-up goes on without waiting for a paint.
  gdk_display_flush(gtk_widget_get_display(window_));
}

void cRXSplash::close() {
  if (window_) gtk_widget_destroy(window_);
  window_ = nullptr;
}

}  // namespace vigilo::components
