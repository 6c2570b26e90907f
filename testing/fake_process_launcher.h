#pragma once

#include <optional>
#include <vector>

#include "platform/error.h"
#include "platform/process_launcher.h"

namespace vigilo::testing {

// Records each start instead of starting anything; a start set to fail
// raises the given error and records nothing.
class FakeProcessLauncher : public ProcessLauncher {
 public:
  void start(const ProcessStart& process) override {
    if (failure) throw *failure;
    starts.push_back(process);
  }

  std::vector<ProcessStart> starts;
  std::optional<Error> failure;
};

}  // namespace vigilo::testing
