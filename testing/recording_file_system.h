#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/linux/posix_file_system.h"

namespace vigilo::testing {

// The real file system, recording the folders it creates and able to fail
// where a test says: creating a given folder, or writing once a copy has
// reached a given size (a full disk).
class RecordingFileSystem : public PosixFileSystem {
 public:
  void createFolder(const std::string& path) override;
  std::unique_ptr<ReplacementFile> createReplacement(const std::string& destination) override;

  std::vector<std::string> createdFolders;
  std::set<std::string> foldersThatFail;
  std::optional<uint64_t> diskFullAfter;  // bytes a replacement file may take
  int replacementsCreated = 0;
};

}  // namespace vigilo::testing
