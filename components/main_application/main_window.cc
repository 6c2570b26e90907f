#include "components/main_application/main_window.h"

#include <gdk/gdkx.h>

#include "components/common/component_window.h"
#include "components/main_application/ini_section.h"
#include "platform/linux/gtk/gtk_icon_picture.h"

namespace vigilo::components {
namespace {

// Text for a label: INI files and paths may be in the system's 8-bit code
// page rather than UTF-8.
std::string displayable(const std::string& text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
  gchar* converted = g_convert(text.data(), static_cast<gssize>(text.size()), "UTF-8",
                               "WINDOWS-1252", nullptr, nullptr, nullptr);
  if (!converted) converted = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  std::string result = converted;
  g_free(converted);
  return result;
}

// The window's icon; nothing for a file that is missing or no picture. An
// icon file is read entry by entry: gdk-pixbuf's own loader turns the
// PNG-compressed entries of modern icons into noise.
GObjectPtr<GdkPixbuf> loadIcon(const std::string& file) {
  if (file.empty()) return {};
  if (auto icon = loadIconPicture(file, 48)) return icon;
  return GObjectPtr<GdkPixbuf>(gdk_pixbuf_new_from_file(file.c_str(), nullptr));
}

GtkWidget* label(const std::string& text, const char* styleClass = nullptr) {
  GtkWidget* widget = gtk_label_new(displayable(text).c_str());
  gtk_label_set_xalign(GTK_LABEL(widget), 0);
  if (styleClass) gtk_style_context_add_class(gtk_widget_get_style_context(widget), styleClass);
  return widget;
}

GtkWidget* heading(const std::string& text, const char* size) {
  GtkWidget* widget = gtk_label_new(nullptr);
  gchar* markup = g_markup_printf_escaped("<span size=\"%s\" weight=\"bold\">%s</span>", size,
                                          displayable(text).c_str());
  gtk_label_set_markup(GTK_LABEL(widget), markup);
  g_free(markup);
  gtk_label_set_xalign(GTK_LABEL(widget), 0);
  return widget;
}

GtkWidget* settingsGrid(const MainWindowContent& content) {
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 4);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 18);
  int row = 0;
  for (const auto& [name, value] : content.settings) {
    gtk_grid_attach(GTK_GRID(grid), label(name, "dim-label"), 0, row, 1, 1);
    GtkWidget* shown = label(value.empty() ? "(not given)" : value);
    gtk_label_set_selectable(GTK_LABEL(shown), TRUE);
    // Selectable with the mouse, but not focused: a focused label shows its
    // whole text selected.
    gtk_widget_set_can_focus(shown, FALSE);
    gtk_label_set_ellipsize(GTK_LABEL(shown), PANGO_ELLIPSIZE_MIDDLE);
    gtk_widget_set_hexpand(shown, TRUE);
    gtk_grid_attach(GTK_GRID(grid), shown, 1, row, 1, 1);
    ++row;
  }
  return grid;
}

// The "FILES" section of the INI file, line by line as the file holds it.
GtkWidget* filesSection(const std::string& iniFile) {
  std::string text;
  const auto lines = iniFile.empty() ? std::nullopt : readIniSectionLines(iniFile, "FILES");
  if (!lines) {
    text = "The INI file cannot be read.";
  } else if (lines->empty()) {
    text = "The INI file has no FILES section.";
  } else {
    for (const std::string& line : *lines) text += displayable(line) + "\n";
  }
  GtkWidget* view = gtk_text_view_new();
  gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
  gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(view), FALSE);
  gtk_text_view_set_monospace(GTK_TEXT_VIEW(view), TRUE);
  gtk_text_view_set_left_margin(GTK_TEXT_VIEW(view), 6);
  gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), text.c_str(), -1);
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
  gtk_widget_set_vexpand(scrolled, TRUE);
  gtk_container_add(GTK_CONTAINER(scrolled), view);
  return scrolled;
}

// Maximising is the window manager's work; with none running the window is
// made as large as the screen's work area itself.
void maximize(GtkWindow* window) {
  gtk_window_maximize(window);
  GdkScreen* screen = gtk_window_get_screen(window);
  if (GDK_IS_X11_SCREEN(screen) &&
      gdk_x11_screen_supports_net_wm_hint(
          screen, gdk_atom_intern_static_string("_NET_WM_STATE_MAXIMIZED_VERT")))
    return;
  GdkMonitor* monitor = gdk_display_get_primary_monitor(gdk_screen_get_display(screen));
  if (!monitor) monitor = gdk_display_get_monitor(gdk_screen_get_display(screen), 0);
  if (!monitor) return;
  GdkRectangle area;
  gdk_monitor_get_workarea(monitor, &area);
  gtk_window_set_default_size(window, area.width, area.height);
  gtk_window_move(window, area.x, area.y);
}

}  // namespace

GtkWidget* buildMainWindow(const MainWindowContent& content) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), displayable(content.title).c_str());
  gtk_window_set_default_size(GTK_WINDOW(window), 760, 540);
  if (const auto icon = loadIcon(content.iconFile))
    gtk_window_set_icon(GTK_WINDOW(window), icon.get());
  if (content.maximized) maximize(GTK_WINDOW(window));
  useFormWindowClass(window);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 10);
  gtk_container_set_border_width(GTK_CONTAINER(box), 18);
  gtk_box_pack_start(GTK_BOX(box),
                     heading(content.title.empty() ? "Resource browser" : content.title, "x-large"),
                     FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), label("The starter handed over this configuration."), FALSE,
                     FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), settingsGrid(content), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), heading("FILES section of the INI file", "large"), FALSE, FALSE,
                     6);
  gtk_box_pack_start(GTK_BOX(box), filesSection(content.iniFile), TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(window), box);
  return window;
}

}  // namespace vigilo::components
