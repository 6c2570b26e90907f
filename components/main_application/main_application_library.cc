// The entry points of the main application's component library.

#include <strings.h>

#include "components/main_application/cRXResourceBrowser.h"
#include "platform/component_library.h"

namespace {

using vigilo::components::cRXResourceBrowser;

constexpr vigilo::ComponentClass kClasses[] = {
    {cRXResourceBrowser::kProgId, cRXResourceBrowser::kClassId, "Vigilo resource browser"},
};

}  // namespace

extern "C" const vigilo::ComponentClass* vigiloComponentClasses(size_t* count) {
  *count = std::size(kClasses);
  return kClasses;
}

extern "C" void vigiloCreateObject(const char* classId, vigilo::ObjectRef* object) {
  if (strcasecmp(classId, cRXResourceBrowser::kClassId) == 0)
    *object = std::make_shared<cRXResourceBrowser>();
}
