#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vigilo::components {

// The lines of section `section` of the INI file `path` as the file holds
// them (comments and all, line ends and trailing blank lines left out); the
// section's name is matched without regard to case, and a section listed
// twice gives the lines of both. An empty list when the file has no such
// section; nothing when the file cannot be read.
std::optional<std::vector<std::string>> readIniSectionLines(const std::string& path,
                                                            const std::string& section);

}  // namespace vigilo::components
