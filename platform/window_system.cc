#include "platform/window_system.h"

namespace vigilo {

// Anchors the interface's type information here.
WindowSystem::~WindowSystem() = default;

}  // namespace vigilo
