#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/profile_functions.h"

namespace vigilo::testing {

// One call of writePrivateProfileString, as the caller made it.
struct ProfileWrite {
  std::string file;
  std::string section;
  std::string key;
  std::optional<std::string> value;  // nothing: the key was deleted

  bool operator==(const ProfileWrite&) const = default;
};

// Profile functions that pass every call on to real ones and record each write
// in call order, so a test can check which INI values the code under test
// wrote and in which order, while reads still see what was written.
class RecordingProfileFunctions : public ProfileFunctions {
 public:
  explicit RecordingProfileFunctions(ProfileFunctions& real) : real_(real) {}

  std::string getPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue, size_t size,
                                      const std::string& file) override;
  bool writePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::optional<std::string>& value,
                                 const std::string& file) override;

  // Every write so far, oldest first (also those the real functions refused).
  const std::vector<ProfileWrite>& writes() const { return writes_; }
  void clearWrites() { writes_.clear(); }

 private:
  ProfileFunctions& real_;
  std::vector<ProfileWrite> writes_;
};

// Lets gtest print a write in a failure message.
void PrintTo(const ProfileWrite& write, std::ostream* out);

}  // namespace vigilo::testing
