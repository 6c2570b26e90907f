#pragma once

#include <string>
#include <vector>

namespace vigilo {

// Show commands for a started program's window, by their Win32 numbers.
enum ShowCommand : int { kSwShowNormal = 1 };

// What to start: a program by its exact path and the arguments it is given,
// each one value of its own, so that blanks or quotes in them never split or
// join arguments and nothing is searched along the path's prefixes.
struct ProcessStart {
  std::string program;
  std::vector<std::string> arguments;
  int showCommand = kSwShowNormal;
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
