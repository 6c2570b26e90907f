#include "components/main_application/ini_section.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace vigilo::components {
namespace {

std::string trimmed(const std::string& s) {
  const auto begin = s.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return s.substr(begin, s.find_last_not_of(" \t") - begin + 1);
}

bool sameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The name of a section header line "[name]", or nothing.
std::optional<std::string> headerName(const std::string& line) {
  const std::string t = trimmed(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  const auto close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return trimmed(t.substr(1, close - 1));
}

}  // namespace

std::optional<std::vector<std::string>> readIniSectionLines(const std::string& path,
                                                            const std::string& section) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::string> lines;
  bool inSection = false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (const auto name = headerName(line)) {
      inSection = sameText(*name, section);
      continue;
    }
    if (inSection) lines.push_back(line);
  }
  if (in.bad()) return std::nullopt;
  while (!lines.empty() && trimmed(lines.back()).empty()) lines.pop_back();
  return lines;
}

}  // namespace vigilo::components
