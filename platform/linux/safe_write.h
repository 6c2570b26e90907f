#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vigilo {

// How an update of a settings file (an INI file, a registry hive) ended.
enum class UpdateOutcome {
  kUnchanged,  // the change asked for nothing new: the file was not touched
  kWritten,    // the new content replaced the file
  kRefused,    // the folder is missing, or the file or folder cannot be written
};

// The new content of a file, given its current content (nothing when the file
// does not exist); nothing means "leave the file as it is".
using FileChange =
    std::function<std::optional<std::string>(const std::optional<std::string>& current)>;

// Reads the file and replaces it with what `change` makes of it, so that no
// update is lost and no reader ever sees a torn file: writers are serialised
// by an exclusive lock on the file's folder, and the new content is written to
// a temporary file in the same folder, flushed, and renamed over the old one
// (keeping its permissions). A file without any write permission bit counts
// as read-only even for the superuser.
UpdateOutcome updateFileSafely(const std::string& path, const FileChange& change);

// The whole content of a file, or nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::string& path);

}  // namespace vigilo
