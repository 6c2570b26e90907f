#include "installation/modIni.h"

#include "platform/platform.h"
#include "platform/profile_functions.h"

namespace vigilo::modIni {
namespace {

// The read buffer's size in characters; one place goes to the terminating NUL.
constexpr size_t kReadBufferSize = 255;

}  // namespace

std::string ReadIni(const std::string& iniFile, const std::string& section,
                    const std::string& key) {
  return platform().profile->getPrivateProfileString(section, key, "", kReadBufferSize, iniFile);
}

void WriteIni(const std::string& iniFile, const std::string& section, const std::string& key,
              const std::string& value) {
  // Callers go on as if the write had succeeded.
  platform().profile->writePrivateProfileString(section, key, value, iniFile);
}

}  // namespace vigilo::modIni
