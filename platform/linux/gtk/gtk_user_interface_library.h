#pragma once

namespace vigilo {
class UserInterface;
}

// The entry of the GTK user-interface library: a new GtkUserInterface, which
// starts GTK only when it must first show something. Never fails.
extern "C" vigilo::UserInterface* vigilo_create_gtk_user_interface();

// The name under which the program looks the entry up.
inline constexpr const char* kCreateGtkUserInterfaceEntry = "vigilo_create_gtk_user_interface";
