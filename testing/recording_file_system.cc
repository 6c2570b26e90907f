#include "testing/recording_file_system.h"

namespace vigilo::testing {
namespace {

class LimitedReplacementFile : public ReplacementFile {
 public:
  LimitedReplacementFile(std::unique_ptr<ReplacementFile> real, uint64_t limit)
      : real_(std::move(real)), room_(limit) {}
  void write(const void* data, size_t count) override {
    if (count > room_) throw Error(errc::kDiskFull, "FileSystem", "Disk full");
    room_ -= count;
    real_->write(data, count);
  }
  void commit() override { real_->commit(); }

 private:
  std::unique_ptr<ReplacementFile> real_;
  uint64_t room_;
};

}  // namespace

void RecordingFileSystem::createFolder(const std::string& path) {
  if (foldersThatFail.count(path))
    throw Error(errc::kPermissionDenied, "FileSystem", "Permission denied: '" + path + "'");
  PosixFileSystem::createFolder(path);
  createdFolders.push_back(path);
}

std::unique_ptr<ReplacementFile> RecordingFileSystem::createReplacement(
    const std::string& destination) {
  ++replacementsCreated;
  auto real = PosixFileSystem::createReplacement(destination);
  if (!diskFullAfter) return real;
  return std::make_unique<LimitedReplacementFile>(std::move(real), *diskFullAfter);
}

}  // namespace vigilo::testing
