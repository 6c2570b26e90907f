#include "platform/linux/webkit_info_message_windows.h"

#include <dlfcn.h>

#include "platform/error.h"
#include "platform/linux/webkit/webkit_info_message_window.h"
#include "platform/platform.h"

namespace vigilo {
namespace {

Error cannotShow(const std::string& why) {
  return Error(errc::kCannotCreateObject, "frmInfoMsg",
               "The notice window cannot be shown: " + why);
}

}  // namespace

WebKitInfoMessageWindows::WebKitInfoMessageWindows(std::string libraryPath)
    : libraryPath_(std::move(libraryPath)) {}

std::unique_ptr<InfoMessageWindow> WebKitInfoMessageWindows::create() {
  if (!create_) {
    const std::string path =
        libraryPath_.empty() ? exeFolder() + kPathSeparator + kInfoWindowLibrary : libraryPath_;
    // Never closed: WebKit cannot be unloaded from a running process.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) throw cannotShow(dlerror());
    create_ = reinterpret_cast<CreateFunction>(dlsym(library, kCreateInfoMessageWindowEntry));
    if (!create_) throw cannotShow("'" + path + "' is not the notice window library");
  }
  char error[256] = "";
  std::unique_ptr<InfoMessageWindow> window(create_(error, sizeof error));
  if (!window) throw cannotShow(error);
  return window;
}

}  // namespace vigilo
