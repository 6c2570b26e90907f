#pragma once

#include <string>
#include <vector>

#include "platform/component_library.h"

namespace vigilo {

// A loaded component library and its entry points.
struct ComponentLibrary {
  std::string path;
  const ComponentClass* (*classes)(size_t* count) = nullptr;
  void (*create)(const char* classId, ObjectRef* object) = nullptr;

  std::vector<ComponentClass> classList() const;
};

// The component library at `path`, loaded once per process. It is never
// unloaded: an object it made may be held anywhere, and its code must stay
// for as long as the object lives. Nothing, with the reason in `*whyNot`,
// when the file cannot be loaded or lacks the entry points.
const ComponentLibrary* loadComponentLibrary(const std::string& path, std::string* whyNot);

}  // namespace vigilo
