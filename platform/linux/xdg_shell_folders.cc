#include "platform/linux/xdg_shell_folders.h"

#include <cstdlib>

namespace vigilo {
namespace {

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

// The per-user data folder: $XDG_DATA_HOME when it is an absolute path (the
// base directory rules ignore a relative one), else ~/.local/share.
std::optional<std::string> userDataFolder() {
  if (auto data = environment("XDG_DATA_HOME"); data && data->front() == '/') return data;
  if (auto home = environment("HOME")) return *home + "/.local/share";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> XdgShellFolders::specialFolder(int32_t folderId) {
  switch (folderId) {
    case kCsidlAppData: return userDataFolder();
    // Program files and common program files are both /opt on Linux: the
    // filesystem hierarchy standard puts add-on programs there, each in
    // /opt/<package> or, for a maker's several products and their shared
    // parts, /opt/<provider>. Callers append the maker's or product's
    // folder, which gives the same layout the two Windows folders have.
    case kCsidlProgramFiles:
    case kCsidlProgramFilesCommon: return std::string("/opt");
    default: return std::nullopt;
  }
}

}  // namespace vigilo
