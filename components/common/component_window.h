#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <string>

namespace vigilo::components {

// The class every form of the maker's programs carries, by which other
// programs find their windows.
inline constexpr char kFormWindowClass[] = "ThunderRT6FormDC";

// Starts GTK on the default display when the loading program has not done
// so; false when there is no display to show anything on.
bool ensureGtk();

// Gives the X window of `window` the form class as soon as it is realized.
// Only this window: the class of the program's other windows stays.
void useFormWindowClass(GtkWidget* window);

// The X window id of a realized widget; 0 before it is realized.
uint32_t xWindowOf(GtkWidget* window);

// Asks the X window `window`, of this program or any other, to close, as a
// window manager's close box asks: a WM_DELETE_WINDOW message. A window that
// no longer exists is no error.
void requestClose(uint32_t window);

}  // namespace vigilo::components
