#include "platform/linux/component_loader.h"

#include <dlfcn.h>

#include <map>
#include <memory>
#include <mutex>

namespace vigilo {
namespace {

std::mutex& loadedMutex() {
  static std::mutex mutex;
  return mutex;
}

// Loaded libraries by path; never freed, like the libraries themselves.
std::map<std::string, std::unique_ptr<ComponentLibrary>>& loaded() {
  static auto* libraries = new std::map<std::string, std::unique_ptr<ComponentLibrary>>;
  return *libraries;
}

std::string lastLoaderError() {
  const char* message = dlerror();
  return message ? message : "unknown reason";
}

}  // namespace

std::vector<ComponentClass> ComponentLibrary::classList() const {
  size_t count = 0;
  const ComponentClass* list = classes(&count);
  if (!list) return {};
  return std::vector<ComponentClass>(list, list + count);
}

const ComponentLibrary* loadComponentLibrary(const std::string& path, std::string* whyNot) {
  std::lock_guard lock(loadedMutex());
  auto& libraries = loaded();
  if (const auto found = libraries.find(path); found != libraries.end()) return found->second.get();

  dlerror();
  // Local binding: two component libraries may both define entry points of
  // the same name; each is found through its own handle.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    *whyNot = "cannot load '" + path + "': " + lastLoaderError();
    return nullptr;
  }
  auto library = std::make_unique<ComponentLibrary>();
  library->path = path;
  library->classes =
      reinterpret_cast<decltype(library->classes)>(dlsym(handle, kComponentClassesSymbol));
  library->create =
      reinterpret_cast<decltype(library->create)>(dlsym(handle, kCreateComponentSymbol));
  if (!library->classes || !library->create) {
    // Not a component library. It stays loaded: its initialisers have run
    // and unloading foreign code is never safe.
    *whyNot = "'" + path + "' is not a component library (it lacks " +
              (library->create ? kComponentClassesSymbol : kCreateComponentSymbol) + ")";
    return nullptr;
  }
  return libraries.emplace(path, std::move(library)).first->second.get();
}

}  // namespace vigilo
