#include "platform/linux/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/linux/unique_fd.h"

namespace vigilo {
namespace {

constexpr const char* kSource = "FileSystem";

class PosixReadableFile : public ReadableFile {
 public:
  PosixReadableFile(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}

  uint64_t size() override {
    struct stat st;
    if (::fstat(fd_.get(), &st) != 0) throw errorFromErrno(errno, kSource, "read", path_);
    return static_cast<uint64_t>(st.st_size);
  }

  void read(void* buffer, size_t count) override {
    auto* out = static_cast<char*>(buffer);
    while (count > 0) {
      const ssize_t n = ::read(fd_.get(), out, count);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw errorFromErrno(errno, kSource, "read", path_);
      }
      if (n == 0)
        throw Error(62, kSource, "Input past end of file '" + path_ + "'");
      out += n;
      count -= static_cast<size_t>(n);
    }
  }

 private:
  UniqueFd fd_;
  std::string path_;
};

class PosixReplacementFile : public ReplacementFile {
 public:
  PosixReplacementFile(UniqueFd fd, std::string temporary, std::string destination)
      : fd_(std::move(fd)), temporary_(std::move(temporary)), destination_(std::move(destination)) {}

  ~PosixReplacementFile() override {
    if (!committed_) ::unlink(temporary_.c_str());
  }

  void write(const void* data, size_t count) override {
    const auto* in = static_cast<const char*>(data);
    while (count > 0) {
      const ssize_t n = ::write(fd_.get(), in, count);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw errorFromErrno(errno, kSource, "write", destination_);
      }
      in += n;
      count -= static_cast<size_t>(n);
    }
  }

  void commit() override {
    if (::fsync(fd_.get()) != 0) throw errorFromErrno(errno, kSource, "write", destination_);
    fd_.reset();
    if (::rename(temporary_.c_str(), destination_.c_str()) != 0)
      throw errorFromErrno(errno, kSource, "write", destination_);
    committed_ = true;
  }

 private:
  UniqueFd fd_;
  std::string temporary_;
  std::string destination_;
  bool committed_ = false;
};

bool statIs(const std::string& path, mode_t type) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

}  // namespace

bool PosixFileSystem::fileExists(const std::string& path) { return statIs(path, S_IFREG); }

bool PosixFileSystem::folderExists(const std::string& path) { return statIs(path, S_IFDIR); }

void PosixFileSystem::createFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) != 0) throw errorFromErrno(errno, kSource, "create the folder", path);
}

std::unique_ptr<ReadableFile> PosixFileSystem::openForReading(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) throw errorFromErrno(errno, kSource, "open", path);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) throw errorFromErrno(errno, kSource, "open", path);
  if (!S_ISREG(st.st_mode)) throw errorFromErrno(EISDIR, kSource, "open", path);
  return std::make_unique<PosixReadableFile>(std::move(fd), path);
}

std::unique_ptr<ReplacementFile> PosixFileSystem::createReplacement(const std::string& destination) {
  if (folderExists(destination)) throw errorFromErrno(EISDIR, kSource, "write", destination);
  std::string temporary = destination + ".XXXXXX";
  UniqueFd fd(::mkstemp(temporary.data()));
  if (!fd) throw errorFromErrno(errno, kSource, "write", destination);
  const mode_t mask = ::umask(022);
  ::umask(mask);
  ::fchmod(fd.get(), 0666 & ~mask);
  return std::make_unique<PosixReplacementFile>(std::move(fd), std::move(temporary), destination);
}

}  // namespace vigilo
