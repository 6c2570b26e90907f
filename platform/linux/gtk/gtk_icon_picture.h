#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string>

#include "platform/linux/gtk/gobject_ptr.h"

namespace vigilo {

// The system's large-icon size in pixels.
inline constexpr int kLargeIconSize = 32;

// The picture of the icon file `path` at `size` x `size` pixels, from the
// entry that shows best at that size, whether it is stored as a DIB or
// PNG-compressed. Empty when the file is missing, is not an icon file or is
// damaged.
GObjectPtr<GdkPixbuf> loadIconPicture(const std::string& path, int size = kLargeIconSize);

}  // namespace vigilo
