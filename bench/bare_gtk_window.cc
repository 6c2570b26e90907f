// The yardstick of the start-up benchmark: the least a GTK program does to
// put a window on the screen. It maps one window and ends when it is closed.
#include <gtk/gtk.h>

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "Bare GTK window");
  gtk_window_set_default_size(GTK_WINDOW(window), 640, 480);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show(window);
  gtk_main();
  return 0;
}
