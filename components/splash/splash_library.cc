// The entry points of the splash component's library.

#include <strings.h>

#include "components/splash/cRXSplash.h"
#include "platform/component_library.h"

namespace {

using vigilo::components::cRXSplash;

constexpr vigilo::ComponentClass kClasses[] = {
    {cRXSplash::kProgId, cRXSplash::kClassId, "Vigilo splash screen"},
};

}  // namespace

extern "C" const vigilo::ComponentClass* vigiloComponentClasses(size_t* count) {
  *count = std::size(kClasses);
  return kClasses;
}

extern "C" void vigiloCreateObject(const char* classId, vigilo::ObjectRef* object) {
  if (strcasecmp(classId, cRXSplash::kClassId) == 0) *object = std::make_shared<cRXSplash>();
}
