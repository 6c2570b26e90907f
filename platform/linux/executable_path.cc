#include "platform/linux/executable_path.h"

#include <climits>
#include <cstdlib>
#include <memory>

namespace vigilo {

std::string runningExecutablePath() {
  std::unique_ptr<char, decltype(&std::free)> path(realpath("/proc/self/exe", nullptr), &std::free);
  return path ? std::string(path.get()) : std::string();
}

}  // namespace vigilo
