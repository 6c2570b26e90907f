#include "testing/memory_registry_store.h"

#include <algorithm>
#include <cctype>

namespace vigilo::testing {
namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string normalKey(const std::string& keyPath) {
  std::string key = lower(keyPath);
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

}  // namespace

bool MemoryRegistryStore::keyExists(uint32_t root, const std::string& keyPath) {
  return keys_.count({root, normalKey(keyPath)}) > 0;
}

std::optional<RegistryData> MemoryRegistryStore::queryValue(uint32_t root, const std::string& keyPath,
                                                             const std::string& valueName) {
  const auto found = values_.find({root, normalKey(keyPath), lower(valueName)});
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

bool MemoryRegistryStore::createKey(uint32_t root, const std::string& keyPath) {
  if (refuseWrites) return false;
  const std::string key = normalKey(keyPath);
  for (size_t i = 0; i <= key.size(); ++i)
    if (i == key.size() || key[i] == '\\') keys_.insert({root, key.substr(0, i)});
  return true;
}

bool MemoryRegistryStore::setValue(uint32_t root, const std::string& keyPath,
                                   const std::string& valueName, const RegistryData& data) {
  if (!createKey(root, keyPath)) return false;
  values_[{root, normalKey(keyPath), lower(valueName)}] = data;
  ++writes;
  return true;
}

}  // namespace vigilo::testing
