#pragma once

#include <cstdint>
#include <string>

namespace vigilo::mDiskNFile {

// The system's folder for program parts that several programs share, without
// a trailing separator. Falls back to the program files folder's
// "Fellesfiler", then to "C:\Programfiler" + "Fellesfiler". Shows its own
// message on a failure and returns "" then.
std::string GetCommonFilesFolder(int32_t hWndOwner);

// The shell's special folder `CSIDL` (a folder number such as 43, common
// program files), trimmed of blanks; "" when the shell knows none. Shows its
// own message on a failure and returns "" then.
std::string GetShellSpecialFolder(int32_t CSIDL, int32_t hWndOwner);

}  // namespace vigilo::mDiskNFile
