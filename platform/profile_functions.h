#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vigilo {

// The private profile (INI file) functions.
class ProfileFunctions {
 public:
  virtual ~ProfileFunctions();
  // The value of `key` in `section` of `file`, at most size - 1 characters
  // (never half a multi-byte character), or `defaultValue` cut the same way
  // when the file, section or key is missing.
  virtual std::string getPrivateProfileString(const std::string& section, const std::string& key,
                                              const std::string& defaultValue, size_t size,
                                              const std::string& file) = 0;
  // Stores `value` under `key` (no value deletes the key), creating the file
  // and section as needed. False when nothing could be written.
  virtual bool writePrivateProfileString(const std::string& section, const std::string& key,
                                         const std::optional<std::string>& value,
                                         const std::string& file) = 0;
};

}  // namespace vigilo
