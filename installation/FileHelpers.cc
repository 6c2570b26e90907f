#include "installation/FileHelpers.h"

#include <array>
#include <memory>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/user_interface.h"

namespace vigilo::mMain {

bool FileExists(const std::string& path) {
  try {
    return platform().files->fileExists(path);
  } catch (const Error& e) {
    platform().ui->messageBox("Error: " + std::to_string(e.number()) + ". " + e.description(), kMbOk,
                              "FileExists");
    return false;
  }
}

// The copy goes to a new file beside the destination that replaces it only
// once every byte is written and flushed, so a failed copy leaves nothing
// half-written behind for the next start to take for a good one.
bool CopyFile(const std::string& source, const std::string& destination) {
  try {
    std::unique_ptr<ReadableFile> in = platform().files->openForReading(source);
    std::unique_ptr<ReplacementFile> out = platform().files->createReplacement(destination);
    constexpr size_t kBlockSize = 4096;
    std::array<char, kBlockSize> block;
    const uint64_t length = in->size();
    for (uint64_t i = 0; i < length / kBlockSize; ++i) {
      in->read(block.data(), kBlockSize);
      out->write(block.data(), kBlockSize);
    }
    if (const size_t rest = length % kBlockSize; rest > 0) {
      in->read(block.data(), rest);
      out->write(block.data(), rest);
    }
    out->commit();
    return true;
  } catch (const Error& e) {
    platform().ui->messageBox(
        "mMain.CopyFile " + e.description() + " (" + std::to_string(e.number()) + ")", kMbIconError,
        "");
    return false;
  }
}

}  // namespace vigilo::mMain
