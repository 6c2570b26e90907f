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

const char kClasses[] = "software\\classes";

}  // namespace

bool MemoryRegistryStore::hasKey(uint32_t root, const std::string& key) const {
  return keys_.count({root, key}) > 0;
}

std::pair<uint32_t, std::string> MemoryRegistryStore::classesKey(const std::string& keyPath) const {
  const std::string key = normalKey(keyPath);
  const std::string user = key.empty() ? kClasses : std::string(kClasses) + "\\" + key;
  if (hasKey(kHkeyCurrentUser, user)) return {kHkeyCurrentUser, user};
  return {kHkeyLocalMachine, user};
}

bool MemoryRegistryStore::keyExists(uint32_t root, const std::string& keyPath) {
  if (root == kHkeyClassesRoot) {
    const auto [realRoot, key] = classesKey(keyPath);
    return hasKey(realRoot, key);
  }
  return hasKey(root, normalKey(keyPath));
}

std::optional<RegistryData> MemoryRegistryStore::queryValue(uint32_t root,
                                                            const std::string& keyPath,
                                                            const std::string& valueName) {
  if (root == kHkeyClassesRoot) {
    const auto [realRoot, key] = classesKey(keyPath);
    return queryValue(realRoot, key, valueName);
  }
  const auto found = values_.find({root, normalKey(keyPath), lower(valueName)});
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

bool MemoryRegistryStore::createKey(uint32_t root, const std::string& keyPath) {
  if (refuseWrites) return false;
  if (root == kHkeyClassesRoot) {
    const auto [realRoot, key] = classesKey(keyPath);
    return createKey(realRoot, key);
  }
  const std::string key = normalKey(keyPath);
  for (size_t i = 0; i <= key.size(); ++i)
    if (i == key.size() || key[i] == '\\') keys_.insert({root, key.substr(0, i)});
  return true;
}

bool MemoryRegistryStore::setValue(uint32_t root, const std::string& keyPath,
                                   const std::string& valueName, const RegistryData& data) {
  if (root == kHkeyClassesRoot) {
    const auto [realRoot, key] = classesKey(keyPath);
    return setValue(realRoot, key, valueName, data);
  }
  if (!createKey(root, keyPath)) return false;
  values_[{root, normalKey(keyPath), lower(valueName)}] = data;
  ++writes;
  return true;
}

bool MemoryRegistryStore::deleteKey(uint32_t root, const std::string& keyPath) {
  if (refuseWrites) return false;
  if (root == kHkeyClassesRoot) {
    const auto [realRoot, key] = classesKey(keyPath);
    return deleteKey(realRoot, key);
  }
  const std::string key = normalKey(keyPath);
  const auto below = [&](const std::string& other) {
    return other == key || other.rfind(key + "\\", 0) == 0;
  };
  std::erase_if(keys_, [&](const auto& k) { return k.first == root && below(k.second); });
  std::erase_if(values_, [&](const auto& v) {
    return std::get<0>(v.first) == root && below(std::get<1>(v.first));
  });
  ++writes;
  return true;
}

}  // namespace vigilo::testing
