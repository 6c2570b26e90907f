#pragma once

#include "platform/shell_folders.h"

namespace vigilo {

// The special folders on the XDG base directories.
class XdgShellFolders : public ShellFolders {
 public:
  std::optional<std::string> specialFolder(int32_t folderId) override;
};

}  // namespace vigilo
