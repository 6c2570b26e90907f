#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry_store.h"

namespace vigilo {

// A registry hive in the text form of the registry editor's export files:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Brivant]
//   "Starter"="/opt/vigilo/vigilo"
//   @="default value"
//   "Count"=dword:0000000a
//   "Data"=hex:01,02,ff
//   "Path"=hex(2):25,00,...
//
// Keys are named by their full path, root name first. Key and value names
// are matched without regard to (ASCII) case and keep the spelling they were
// first written with. Text is kept as the UTF-8 bytes it was given.
//
// The document keeps the text of everything it read: a line it cannot
// understand (a damaged line, a "[-Key]" deletion, a "name"=- line, a value
// outside any key) stays exactly where it was, and an unchanged file writes
// back byte for byte. Only a value that is set gets new text.
class RegFile {
 public:
  // The header line that the registry editor writes first.
  static constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

  static RegFile parse(std::string_view text);
  std::string text() const;

  // Whether the key or any key below it is in the file (a key listed in the
  // file implies every key above it).
  bool hasKey(std::string_view keyPath) const;
  // The value; nothing when the key or the value is missing. When the file
  // lists a value twice, the later one counts, as an import would have it.
  std::optional<RegistryData> value(std::string_view keyPath, std::string_view valueName) const;

  // Adds the key when it is missing; true when the text changed. A path
  // that the format cannot hold (see `isValidKeyPath`) is not added.
  bool addKey(std::string_view keyPath);
  // Stores the value, adding the key when it is missing; true when the text
  // changed (false when the value already held exactly this data, or when
  // the key path or the value name cannot be held by the format).
  bool setValue(std::string_view keyPath, std::string_view valueName, const RegistryData& data);
  // Removes the key with every key and value below it, wherever the file
  // lists them; true when the text changed.
  bool deleteKey(std::string_view keyPath);

  // A key path the format can hold: non-empty names between single
  // backslashes (one trailing backslash is allowed), without line breaks or
  // NUL characters.
  static bool isValidKeyPath(std::string_view keyPath);
  // A value name the format can hold: no line breaks or NUL characters.
  static bool isValidValueName(std::string_view valueName);

 private:
  // One line of the file (several when a value is continued with "\"),
  // with its line ending.
  struct Entry {
    Entry(std::string line) : text(std::move(line)) {}
    Entry(std::string line, std::string valueName, RegistryData valueData)
        : text(std::move(line)),
          isValue(true),
          name(std::move(valueName)),
          data(std::move(valueData)) {}
    std::string text;
    bool isValue = false;
    std::string name;  // value name as spelt in the file ("" for the default value)
    RegistryData data;
  };
  // The lines from one key header up to the next one. The first section
  // holds what comes before the first key and has no key, as has a section
  // that starts with a deletion or a damaged header: values in those belong
  // to no key and are kept as plain lines.
  struct Section {
    std::optional<std::string> keyPath;  // full path as spelt in the header
    std::vector<Entry> entries;          // entries[0] is the header line
  };

  void index(size_t section);
  const Entry* findValue(std::string_view keyPath, std::string_view valueName,
                         size_t* section) const;
  Entry* firstEntry();
  bool hasHeader();
  size_t appendSection(std::string_view keyPath);
  void appendEntry(size_t section, Entry entry);
  void endLastLine();

  std::vector<Section> sections_;
  std::string lineEnd_ = "\n";
  // Sections of each key, by folded key path, in file order.
  std::unordered_map<std::string, std::vector<size_t>> keySections_;
  // Every key listed and every key above them, by folded key path,
  // with the spelling of its first mention.
  std::unordered_map<std::string, std::string> knownKeys_;
};

// The text of a value line as the registry editor writes it, with `lineEnd`
// after it; long byte lists are continued on further lines.
std::string formatRegValue(std::string_view valueName, const RegistryData& data,
                           std::string_view lineEnd = "\n");

}  // namespace vigilo
