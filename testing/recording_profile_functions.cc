#include "testing/recording_profile_functions.h"

#include <ostream>

namespace vigilo::testing {

std::string RecordingProfileFunctions::getPrivateProfileString(const std::string& section,
                                                               const std::string& key,
                                                               const std::string& defaultValue,
                                                               size_t size,
                                                               const std::string& file) {
  return real_.getPrivateProfileString(section, key, defaultValue, size, file);
}

bool RecordingProfileFunctions::writePrivateProfileString(const std::string& section,
                                                          const std::string& key,
                                                          const std::optional<std::string>& value,
                                                          const std::string& file) {
  writes_.push_back({file, section, key, value});
  return real_.writePrivateProfileString(section, key, value, file);
}

void PrintTo(const ProfileWrite& write, std::ostream* out) {
  *out << "{file \"" << write.file << "\", [" << write.section << "] " << write.key;
  if (write.value)
    *out << "=\"" << *write.value << "\"}";
  else
    *out << " deleted}";
}

}  // namespace vigilo::testing
