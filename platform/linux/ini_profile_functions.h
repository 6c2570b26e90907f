#pragma once

#include "platform/profile_functions.h"

namespace vigilo {

// The profile functions on INI files on disk. Reads see the file as it was
// last replaced; writes go through updateFileSafely, so they are atomic, never
// lose another process's update, and leave the file alone when they change
// nothing.
class IniProfileFunctions : public ProfileFunctions {
 public:
  std::string getPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue, size_t size,
                                      const std::string& file) override;
  // Also false, with nothing written, when a name or the value holds a line
  // break, which would store lines the caller did not name.
  bool writePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::optional<std::string>& value,
                                 const std::string& file) override;
};

}  // namespace vigilo
