#pragma once

#include <string>

namespace vigilo::testing {

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::string& path() const { return path_; }
  // `name` inside the folder.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes `content` to `path`, creating or replacing the file.
void writeFile(const std::string& path, const std::string& content);
// The content of `path`; fails the test when it cannot be read.
std::string readFile(const std::string& path);

}  // namespace vigilo::testing
