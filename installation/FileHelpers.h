#pragma once

#include <string>

namespace vigilo::mMain {

// True when `path` names an existing file (a folder or "" gives false).
bool FileExists(const std::string& path);

// Copies `source` to `destination` byte for byte; true when the whole copy
// succeeded. Reports a failure in a message box.
bool CopyFile(const std::string& source, const std::string& destination);

}  // namespace vigilo::mMain
