#include "platform/process_launcher.h"

namespace vigilo {

ProcessLauncher::~ProcessLauncher() = default;

}  // namespace vigilo
