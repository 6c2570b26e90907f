#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vigilo {

// What to start: a program by its exact path and the arguments it is given,
// each one value of its own, so that blanks or quotes in them never split or
// join arguments and nothing is searched along the path's prefixes.
struct ProcessStart {
  std::string program;
  std::vector<std::string> arguments;
  // How its window is first shown, a ShowWindow command by its Win32 number:
  // 1 (SW_SHOWNORMAL), shown normally with the focus, unless said otherwise.
  int32_t showCommand = 1;
};

// Starts other programs.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher();
  // Starts the program without waiting for it and without a shell. Raises
  // Error, naming the program, when the system refuses to start it.
  virtual void start(const ProcessStart& process) = 0;
};

}  // namespace vigilo
