#pragma once

#include <string>
#include <vector>

#include "platform/component_library.h"

namespace vigilo {

class RegistryStore;

// Where a registration is written: the user's Software\Classes (seen only by
// that user) or the machine's (seen by every user who has no registration of
// the same name of their own).
enum class RegistrationScope { User, Machine };

// Writes, for each class, the keys through which the component layer finds
// it by ProgID and by class id:
//
//   <ProgID>                         (default) = description
//   <ProgID>\CLSID                   (default) = {class id}
//   CLSID\{class id}                 (default) = description
//   CLSID\{class id}\InprocServer32  (default) = libraryPath
//   CLSID\{class id}\ProgID          (default) = ProgID
//
// Raises Error 70 naming the key when the store refuses a write.
void registerComponentClasses(RegistryStore& registry, RegistrationScope scope,
                              const std::string& libraryPath,
                              const std::vector<ComponentClass>& classes);

// Removes those keys. A ProgID that now names another class is left alone.
// Raises Error 70 naming the key when the store refuses.
void unregisterComponentClasses(RegistryStore& registry, RegistrationScope scope,
                                const std::vector<ComponentClass>& classes);

}  // namespace vigilo
