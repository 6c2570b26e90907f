#include "platform/linux/ini_profile_functions.h"

#include "platform/ini_text.h"
#include "platform/linux/safe_write.h"

namespace vigilo {

std::string IniProfileFunctions::getPrivateProfileString(const std::string& section,
                                                         const std::string& key,
                                                         const std::string& defaultValue,
                                                         size_t size, const std::string& file) {
  const std::optional<std::string> bytes = file.empty() ? std::nullopt : readWholeFile(file);
  return ini::readProfileString(bytes ? std::optional<std::string_view>(*bytes) : std::nullopt,
                                section, key, defaultValue, size);
}

bool IniProfileFunctions::writePrivateProfileString(const std::string& section,
                                                    const std::string& key,
                                                    const std::optional<std::string>& value,
                                                    const std::string& file) {
  const auto valueView = value ? std::optional<std::string_view>(*value) : std::nullopt;
  if (file.empty() || !ini::isWritable(section, key, valueView)) return false;
  const UpdateOutcome outcome =
      updateFileSafely(file, [&](const std::optional<std::string>& current) {
        return ini::editFile(current, section, key, valueView);
      });
  return outcome != UpdateOutcome::kRefused;
}

}  // namespace vigilo
