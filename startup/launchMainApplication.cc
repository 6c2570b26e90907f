#include "startup/launchMainApplication.h"

namespace vigilo::mMain {

ObjectRef MainApplication;

// The launch needs the component layer; until it exists nothing is launched.
void launchMainApplication(int32_t) {}

}  // namespace vigilo::mMain
