#include "platform/linux/gtk/gtk_user_interface_library.h"

#include "platform/linux/gtk/gtk_user_interface.h"

extern "C" __attribute__((visibility("default"))) vigilo::UserInterface*
vigilo_create_gtk_user_interface() {
  return new vigilo::GtkUserInterface();
}
