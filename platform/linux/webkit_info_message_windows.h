#pragma once

#include <string>

#include "platform/info_message_window.h"

namespace vigilo {

// The notice window's library, beside the executable.
inline constexpr const char* kInfoWindowLibrary = "libvigilo_webkit_window.so";

// Notice windows on GTK with a WebKit browser view. The library that holds
// them (and with it WebKit) is loaded when the first window is made, never
// before: the program's start does not pay for a browser it rarely shows.
class WebKitInfoMessageWindows : public InfoMessageWindows {
 public:
  // `libraryPath` "" means kInfoWindowLibrary in the executable's folder.
  explicit WebKitInfoMessageWindows(std::string libraryPath = "");
  std::unique_ptr<InfoMessageWindow> create() override;

 private:
  using CreateFunction = InfoMessageWindow* (*)(char* error, size_t errorSize);
  std::string libraryPath_;
  CreateFunction create_ = nullptr;
};

}  // namespace vigilo
