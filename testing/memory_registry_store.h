#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/registry_store.h"

namespace vigilo::testing {

// A registry kept in memory, with a switch that makes it refuse writes.
// HKEY_CLASSES_ROOT is a view, as on Windows: reads look in the user's
// Software\Classes, then in the machine's; writes go to the user's key when
// it exists there, otherwise to the machine's.
class MemoryRegistryStore : public RegistryStore {
 public:
  bool keyExists(uint32_t root, const std::string& keyPath) override;
  std::optional<RegistryData> queryValue(uint32_t root, const std::string& keyPath,
                                         const std::string& valueName) override;
  bool createKey(uint32_t root, const std::string& keyPath) override;
  bool setValue(uint32_t root, const std::string& keyPath, const std::string& valueName,
                const RegistryData& data) override;
  bool deleteKey(uint32_t root, const std::string& keyPath) override;

  bool refuseWrites = false;
  int writes = 0;

 private:
  bool hasKey(uint32_t root, const std::string& key) const;
  // The root and key that a HKEY_CLASSES_ROOT path stands for.
  std::pair<uint32_t, std::string> classesKey(const std::string& keyPath) const;

  // Keys and value names are kept lower-cased: the registry ignores case.
  std::set<std::pair<uint32_t, std::string>> keys_;
  std::map<std::tuple<uint32_t, std::string, std::string>, RegistryData> values_;
};

}  // namespace vigilo::testing
