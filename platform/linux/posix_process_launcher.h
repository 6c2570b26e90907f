#pragma once

#include "platform/process_launcher.h"

namespace vigilo {

// Starts programs with posix_spawn: the exact path, an argument vector, no
// shell and no search along PATH. The program is started from a short-lived
// intermediate process, so it is never our child: nobody here has to wait
// for it and it cannot linger as a zombie, whatever the rest of the program
// does with SIGCHLD.
class PosixProcessLauncher : public ProcessLauncher {
 public:
  void start(const ProcessStart& process) override;
};

}  // namespace vigilo
