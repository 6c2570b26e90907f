#pragma once

#include <string>

namespace vigilo {

// The real full path of the running executable (links resolved).
std::string runningExecutablePath();

}  // namespace vigilo
