#pragma once

#include <memory>

#include "platform/platform.h"

namespace vigilo {

// The real services of the program on Linux. Nothing here opens a display or
// starts GTK until a service that needs it is first used.
class LinuxPlatform {
 public:
  LinuxPlatform();
  ~LinuxPlatform();
  LinuxPlatform(const LinuxPlatform&) = delete;
  LinuxPlatform& operator=(const LinuxPlatform&) = delete;

  const Platform& platform() const { return platform_; }

 private:
  struct Backends;
  std::unique_ptr<Backends> backends_;
  Platform platform_;
};

}  // namespace vigilo
