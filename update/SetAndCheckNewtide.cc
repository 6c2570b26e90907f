#include "update/SetAndCheckNewtide.h"

namespace vigilo::mMain {

// The update check needs the settings component; until it exists it does nothing.
void SetAndCheckNewtide(const ObjectRef&) {}

}  // namespace vigilo::mMain
