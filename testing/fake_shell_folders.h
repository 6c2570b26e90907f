#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/error.h"
#include "platform/shell_folders.h"

namespace vigilo::testing {

// Special folders as the test sets them; unknown ones give nothing, and a
// folder set to fail raises the given error.
class FakeShellFolders : public ShellFolders {
 public:
  std::optional<std::string> specialFolder(int32_t folderId) override {
    if (failure) throw *failure;
    const auto found = folders.find(folderId);
    if (found == folders.end()) return std::nullopt;
    return found->second;
  }

  std::map<int32_t, std::string> folders;
  std::optional<Error> failure;
};

}  // namespace vigilo::testing
