#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vigilo {

// Root keys, by their Windows handle numbers.
enum RegistryRoot : uint32_t {
  kHkeyClassesRoot = 0x80000000u,
  kHkeyCurrentUser = 0x80000001u,
  kHkeyLocalMachine = 0x80000002u,
};

// Registry value types, by their Windows numbers.
enum RegistryType : uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegMultiSz = 7,
};

// One stored value: its type and its raw data (a text value's data holds the
// text and its terminating NUL, as the registry stores it).
struct RegistryData {
  uint32_t type = kRegNone;
  std::vector<uint8_t> bytes;
  friend bool operator==(const RegistryData&, const RegistryData&) = default;
};

// The registry: keys by path below a root (backslashes between key names,
// names matched without regard to case), values by name within a key.
class RegistryStore {
 public:
  virtual ~RegistryStore();
  virtual bool keyExists(uint32_t root, const std::string& keyPath) = 0;
  // The value, or nothing when the key or the value is missing or the store
  // cannot be read.
  virtual std::optional<RegistryData> queryValue(uint32_t root, const std::string& keyPath,
                                                 const std::string& valueName) = 0;
  // Creates every missing key along the path; false when the store refuses.
  virtual bool createKey(uint32_t root, const std::string& keyPath) = 0;
  // Stores the value, creating the key path; false when the store refuses.
  virtual bool setValue(uint32_t root, const std::string& keyPath, const std::string& valueName,
                        const RegistryData& data) = 0;
  // Removes the key with every key and value below it; true when the key is
  // gone afterwards (also when it never existed), false when the store
  // refuses or cannot delete.
  virtual bool deleteKey(uint32_t root, const std::string& keyPath) { return false; }
};

}  // namespace vigilo
