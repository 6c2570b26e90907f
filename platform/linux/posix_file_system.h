#pragma once

#include "platform/file_system.h"

namespace vigilo {

// The file services on POSIX file descriptors and std::filesystem.
class PosixFileSystem : public FileSystem {
 public:
  bool fileExists(const std::string& path) override;
  bool folderExists(const std::string& path) override;
  void createFolder(const std::string& path) override;
  std::unique_ptr<ReadableFile> openForReading(const std::string& path) override;
  std::unique_ptr<ReplacementFile> createReplacement(const std::string& destination) override;
};

}  // namespace vigilo
