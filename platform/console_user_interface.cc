#include "platform/console_user_interface.h"

#include <cstdio>
#include <cstdlib>

namespace vigilo {

int ConsoleUserInterface::messageBox(const std::string& text, int style, const std::string& caption) {
  const std::string& title = caption.empty() ? std::string(kProgramTitle) : caption;
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  std::fflush(stderr);
  return (style & 0xF) == kMbOkCancel ? kIdCancel : kIdOk;
}

void ConsoleUserInterface::endProgram() {
  std::fflush(nullptr);
  std::_Exit(0);
}

}  // namespace vigilo
