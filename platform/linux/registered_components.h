#pragma once

#include "platform/object.h"

namespace vigilo {

// Creates objects from the component libraries registered in the installed
// registry's HKEY_CLASSES_ROOT (the user's classes over the machine's):
//
//   <ProgID>\CLSID                   (default) = {class id}
//   CLSID\{class id}\InprocServer32  (default) = path of the library
//
// The library is loaded on first use and kept loaded.
class RegisteredComponents : public Components {
 public:
  ObjectRef createObject(const std::string& progIdOrClassId) override;
};

}  // namespace vigilo
