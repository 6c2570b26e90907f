#include "platform/linux/mdb_connection_string.h"

#include <strings.h>

#include "platform/ado.h"
#include "platform/error.h"

namespace vigilo::mdb {
namespace {

constexpr const char* kJetProvider = "Microsoft.Jet.OLEDB.4.0";

std::string trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

[[noreturn]] void invalid(const std::string& text, const std::string& why) {
  throw Error(ado::errc::kInvalidArgument, "ADODB.Connection",
              "The connection string '" + text + "' is not valid: " + why + ".");
}

}  // namespace

ConnectionString parseConnectionString(const std::string& text) {
  ConnectionString result;
  size_t i = 0;
  while (i < text.size()) {
    const size_t equals = text.find('=', i);
    const size_t semicolon = text.find(';', i);
    if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
      // A part without '=': only blanks may stand there.
      const size_t end = semicolon == std::string::npos ? text.size() : semicolon;
      if (!trim(text.substr(i, end - i)).empty())
        invalid(text, "'" + trim(text.substr(i, end - i)) + "' is not a key=value pair");
      i = end + 1;
      continue;
    }
    const std::string key = trim(text.substr(i, equals - i));
    size_t j = equals + 1;
    while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
    std::string value;
    if (j < text.size() && (text[j] == '"' || text[j] == '\'')) {
      const char quote = text[j++];
      while (true) {
        if (j >= text.size()) invalid(text, "a quoted value is not closed");
        if (text[j] == quote) {
          if (j + 1 < text.size() && text[j + 1] == quote) {
            value += quote;
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        value += text[j++];
      }
      while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
      if (j < text.size() && text[j] != ';') invalid(text, "text follows a quoted value");
    } else {
      const size_t end = text.find(';', j);
      value = trim(text.substr(j, end == std::string::npos ? std::string::npos : end - j));
      j = end == std::string::npos ? text.size() : end;
    }
    i = j + 1;
    if (strcasecmp(key.c_str(), "Provider") == 0)
      result.provider = value;
    else if (strcasecmp(key.c_str(), "Data Source") == 0)
      result.dataSource = value;
  }
  if (strcasecmp(result.provider.c_str(), kJetProvider) != 0)
    throw Error(ado::errc::kProviderNotFound, "ADODB.Connection",
                "Provider cannot be found. It may not be properly installed. (" +
                    (result.provider.empty() ? std::string("No provider is named")
                                             : "'" + result.provider + "' is not available") +
                    "; only " + kJetProvider + " can be used.)");
  if (result.dataSource.empty())
    throw Error(ado::errc::kProviderFailure, "Microsoft JET Database Engine",
                "No database file is named: the connection string's Data Source is missing or "
                "empty.");
  return result;
}

}  // namespace vigilo::mdb
