// A program for tests of process starts. It records how it was started in a
// file beside itself, "<its own path>.args", written whole and renamed into
// place so that a reader never sees half of it. The record is NUL-separated:
// its process id, its parent's process id, its open file descriptors
// (blank-separated), then each of argv[0], argv[1], ...
//
// When the environment names a file in RECORD_ARGUMENTS_HOLD, the program
// stays alive while that file exists (at most a minute), so a test can look
// at it while it runs; the test's temporary folder going away releases it.

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

std::string openDescriptors() {
  std::string list;
  DIR* folder = opendir("/proc/self/fd");
  if (!folder) return "?";
  const int own = dirfd(folder);
  while (const dirent* entry = readdir(folder)) {
    if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == own) continue;
    if (!list.empty()) list += ' ';
    list += entry->d_name;
  }
  closedir(folder);
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  char self[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return 2;
  const std::string record = std::string(self, length) + ".args";

  std::string content =
      std::to_string(getpid()) + '\0' + std::to_string(getppid()) + '\0' + openDescriptors() + '\0';
  for (int i = 0; i < argc; ++i) content += std::string(argv[i]) + '\0';

  const std::string partial = record + ".partial";
  FILE* out = std::fopen(partial.c_str(), "wb");
  if (!out) return 3;
  const bool written = std::fwrite(content.data(), 1, content.size(), out) == content.size();
  if (std::fclose(out) != 0 || !written || std::rename(partial.c_str(), record.c_str()) != 0)
    return 4;

  if (const char* hold = std::getenv("RECORD_ARGUMENTS_HOLD"))
    for (int i = 0; i < 600 && access(hold, F_OK) == 0; ++i) usleep(100 * 1000);
  return 0;
}
