#pragma once

#include <string>

namespace vigilo::modIni {

// One value of an INI file, read and written through the platform's profile
// functions. Names match without regard to case; every INI access of the
// program goes through these two.

// The value of `key` in `section` of `iniFile`: at most 254 characters, and ""
// when the file, the section or the key is missing.
std::string ReadIni(const std::string& iniFile, const std::string& section, const std::string& key);

// Stores `value` under `key` in `section` of `iniFile`, creating the file, the
// section and the key as needed. A write that fails changes nothing and is not
// reported.
void WriteIni(const std::string& iniFile, const std::string& section, const std::string& key,
              const std::string& value);

}  // namespace vigilo::modIni
