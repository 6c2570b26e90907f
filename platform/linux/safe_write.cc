#include "platform/linux/safe_write.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/linux/unique_fd.h"

namespace vigilo {
namespace {

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool writeAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool writable(const std::string& path, const struct stat& st) {
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.c_str(), W_OK) == 0;
}

// The umask can only be read by setting it; the program has one thread.
mode_t processUmask() {
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return std::nullopt;
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::string content;
  content.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<size_t>(n));
  }
  return content;
}

UpdateOutcome updateFileSafely(const std::string& path, const FileChange& change) {
  const std::string folder = folderOf(path);
  UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folderFd) return UpdateOutcome::kRefused;
  while (::flock(folderFd.get(), LOCK_EX) != 0)
    if (errno != EINTR) return UpdateOutcome::kRefused;

  // Under the lock: what we read is what we replace.
  struct stat st;
  std::optional<std::string> current;
  mode_t mode = 0666 & ~processUmask();
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return UpdateOutcome::kRefused;
    current = readWholeFile(path);
    if (!current) return UpdateOutcome::kRefused;
    mode = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return UpdateOutcome::kRefused;
  }

  const std::optional<std::string> next = change(current);
  if (!next || next == current) return UpdateOutcome::kUnchanged;

  struct stat folderStat;
  if (::fstat(folderFd.get(), &folderStat) != 0 || !writable(folder, folderStat))
    return UpdateOutcome::kRefused;
  if (current && !writable(path, st)) return UpdateOutcome::kRefused;

  std::string temporary = path + ".XXXXXX";
  UniqueFd out(::mkstemp(temporary.data()));
  if (!out) return UpdateOutcome::kRefused;
  const bool ok = ::fchmod(out.get(), mode) == 0 && writeAll(out.get(), *next) &&
                  ::fsync(out.get()) == 0;
  out.reset();
  if (!ok || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return UpdateOutcome::kRefused;
  }
  ::fsync(folderFd.get());
  return UpdateOutcome::kWritten;
}

}  // namespace vigilo
