#pragma once

#include <cstddef>

namespace vigilo {
class InfoMessageWindow;
}

// The entry of the notice window library. Starts GTK when it is not running
// yet and makes a new, hidden window; on failure returns null and writes why
// into `error` (at most `errorSize` bytes, NUL included).
extern "C" vigilo::InfoMessageWindow* vigilo_create_info_message_window(char* error,
                                                                        size_t errorSize);

// The name under which the program looks the entry up.
inline constexpr const char* kCreateInfoMessageWindowEntry = "vigilo_create_info_message_window";
