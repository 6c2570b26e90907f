// The entry points of the registry settings component library.

#include <strings.h>

#include <memory>

#include "components/registry_settings/cRegistrySettings.h"
#include "platform/component_library.h"

namespace {

const vigilo::ComponentClass kClasses[] = {
    {"RegistrySettings.cRegistrySettings", "{98EC6CC4-22CB-40F8-A274-7D7E2C162760}",
     "Fennick Data registry settings"},
};

}  // namespace

const vigilo::ComponentClass* vigiloComponentClasses(size_t* count) {
  *count = std::size(kClasses);
  return kClasses;
}

void vigiloCreateObject(const char* classId, vigilo::ObjectRef* object) {
  if (strcasecmp(classId, kClasses[0].classId) == 0)
    *object = std::make_shared<vigilo::cRegistrySettings>();
}
