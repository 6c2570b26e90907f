#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vigilo {

// A file opened for reading raw bytes. Closed when destroyed.
class ReadableFile {
 public:
  virtual ~ReadableFile();
  virtual uint64_t size() = 0;
  // Reads exactly `count` bytes or raises Error.
  virtual void read(void* buffer, size_t count) = 0;
};

// A new file that takes the place of `destination` only when committed: until
// then nobody sees it, and if it is destroyed uncommitted it is removed, so a
// failed write never leaves a torn file behind.
class ReplacementFile {
 public:
  virtual ~ReplacementFile();
  virtual void write(const void* data, size_t count) = 0;
  // Flushes the data to disk and renames the file over the destination.
  virtual void commit() = 0;
};

// The file services of the system (the file system object and byte-wise
// file I/O). Every failure raises Error with a description that names the path.
class FileSystem {
 public:
  virtual ~FileSystem();
  // True only for an existing regular file (a folder or "" gives false).
  virtual bool fileExists(const std::string& path) = 0;
  virtual bool folderExists(const std::string& path) = 0;
  // Creates one folder; its parent must exist.
  virtual void createFolder(const std::string& path) = 0;
  virtual std::unique_ptr<ReadableFile> openForReading(const std::string& path) = 0;
  virtual std::unique_ptr<ReplacementFile> createReplacement(const std::string& destination) = 0;
};

}  // namespace vigilo
