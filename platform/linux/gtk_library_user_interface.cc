#include "platform/linux/gtk_library_user_interface.h"

#include <dlfcn.h>

#include <cstdio>

#include "platform/linux/gtk/gtk_user_interface_library.h"
#include "platform/platform.h"

namespace vigilo {

GtkLibraryUserInterface::GtkLibraryUserInterface(std::string libraryPath)
    : libraryPath_(std::move(libraryPath)) {}

// The library stays loaded: GTK cannot be unloaded from a running process.
GtkLibraryUserInterface::~GtkLibraryUserInterface() = default;

UserInterface& GtkLibraryUserInterface::loaded() {
  if (gtk_) return *gtk_;
  if (unavailable_) return console_;
  const std::string path =
      libraryPath_.empty() ? exeFolder() + kPathSeparator + kGtkUserInterfaceLibrary : libraryPath_;
  using CreateFunction = UserInterface* (*)();
  CreateFunction create = nullptr;
  if (void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    create = reinterpret_cast<CreateFunction>(dlsym(library, kCreateGtkUserInterfaceEntry));
    if (!create) std::fprintf(stderr, "'%s' is not the user-interface library\n", path.c_str());
  } else {
    std::fprintf(stderr, "The user interface cannot be loaded: %s\n", dlerror());
  }
  if (!create) {
    unavailable_ = true;
    return console_;
  }
  gtk_.reset(create());
  gtk_->setMousePointer(pointer_);
  return *gtk_;
}

int GtkLibraryUserInterface::messageBox(const std::string& text, int style,
                                        const std::string& caption) {
  return loaded().messageBox(text, style, caption);
}

void GtkLibraryUserInterface::setMousePointer(int pointer) {
  // A pointer over no window yet: remembered until there is a window.
  if (gtk_) {
    gtk_->setMousePointer(pointer);
  } else {
    pointer_ = pointer;
  }
}

// Before the library is loaded the program has no window, so there is
// nothing to handle or wait for.
void GtkLibraryUserInterface::doEvents() {
  if (gtk_) gtk_->doEvents();
}

void GtkLibraryUserInterface::runWhileFormsLoaded() {
  if (gtk_) gtk_->runWhileFormsLoaded();
}

void GtkLibraryUserInterface::endProgram() { console_.endProgram(); }

std::unique_ptr<Form> GtkLibraryUserInterface::loadForm(const FormDesign& design) {
  return loaded().loadForm(design);
}

int GtkLibraryUserInterface::screenHeight() { return loaded().screenHeight(); }

}  // namespace vigilo
