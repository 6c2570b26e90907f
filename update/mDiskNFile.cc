#include "update/mDiskNFile.h"

#include <exception>

#include "platform/platform.h"
#include "platform/shell_folders.h"
#include "platform/user_interface.h"

namespace vigilo::mDiskNFile {
namespace {

// Neither function passes a failure on: the user sees it, the caller gets "".
std::string reportFailure(const std::exception& failure) {
  platform().ui->messageBox(failure.what(), kMbIconError, "");
  return "";
}

std::string trimBlanks(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool endsWithSeparator(const std::string& path) {
  return !path.empty() && path.back() == kPathSeparator;
}

}  // namespace

std::string GetCommonFilesFolder(int32_t hWndOwner) {
  try {
    std::string folder = GetShellSpecialFolder(kCsidlProgramFilesCommon, hWndOwner);
    if (folder.empty()) {
      folder = GetShellSpecialFolder(kCsidlProgramFiles, hWndOwner);
      // The last resort names the folders of a Norwegian Windows; the names
      // are kept, joined by this system's separator.
      if (folder.empty()) folder = "C:\\Programfiler";
      if (!endsWithSeparator(folder)) folder += kPathSeparator;
      folder += "Fellesfiler";
    }
    if (endsWithSeparator(folder)) folder.pop_back();
    return folder;
  } catch (const std::exception& failure) {
    return reportFailure(failure);
  }
}

std::string GetShellSpecialFolder(int32_t CSIDL, int32_t hWndOwner) {
  // The owner window would only parent a dialog of the shell, which the
  // special folders here never show.
  try {
    const std::optional<std::string> folder = platform().shell->specialFolder(CSIDL);
    if (!folder) return "";
    // What the system hands over ends at its first NUL.
    return trimBlanks(folder->substr(0, folder->find('\0')));
  } catch (const std::exception& failure) {
    return reportFailure(failure);
  }
}

}  // namespace vigilo::mDiskNFile
