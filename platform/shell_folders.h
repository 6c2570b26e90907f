#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vigilo {

// Special folder numbers (CSIDL) that the program asks for.
enum SpecialFolder : int32_t {
  kCsidlAppData = 26,
  kCsidlProgramFiles = 38,
  kCsidlProgramFilesCommon = 43,
};

// The shell's special folders.
class ShellFolders {
 public:
  virtual ~ShellFolders();
  // The folder's path, or nothing when the shell knows no such folder.
  // Raises Error on a run-time failure.
  virtual std::optional<std::string> specialFolder(int32_t folderId) = 0;
};

}  // namespace vigilo
