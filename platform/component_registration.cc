#include "platform/component_registration.h"

#include <algorithm>
#include <cctype>

#include "platform/error.h"
#include "platform/registry_store.h"

namespace vigilo {
namespace {

struct ScopeKeys {
  uint32_t root;
  std::string rootName;
};

ScopeKeys keysOf(RegistrationScope scope) {
  if (scope == RegistrationScope::User) return {kHkeyCurrentUser, "HKEY_CURRENT_USER"};
  return {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE"};
}

const char kClasses[] = "Software\\Classes\\";

RegistryData text(const std::string& value) {
  RegistryData data{kRegSz, std::vector<uint8_t>(value.begin(), value.end())};
  data.bytes.push_back(0);
  return data;
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

[[noreturn]] void refused(const ScopeKeys& scope, const std::string& key, const char* what) {
  throw Error(errc::kPermissionDenied, "Registration",
              std::string("Cannot ") + what + " '" + scope.rootName + "\\" + key +
                  "': the registry refused the change");
}

void setDefault(RegistryStore& registry, const ScopeKeys& scope, const std::string& key,
                const std::string& value) {
  if (!registry.setValue(scope.root, key, "", text(value))) refused(scope, key, "write");
}

}  // namespace

void registerComponentClasses(RegistryStore& registry, RegistrationScope where,
                              const std::string& libraryPath,
                              const std::vector<ComponentClass>& classes) {
  const ScopeKeys scope = keysOf(where);
  for (const ComponentClass& c : classes) {
    const std::string progIdKey = kClasses + std::string(c.progId);
    const std::string classKey = kClasses + std::string("CLSID\\") + c.classId;
    setDefault(registry, scope, progIdKey, c.description);
    setDefault(registry, scope, progIdKey + "\\CLSID", c.classId);
    setDefault(registry, scope, classKey, c.description);
    setDefault(registry, scope, classKey + "\\InprocServer32", libraryPath);
    setDefault(registry, scope, classKey + "\\ProgID", c.progId);
  }
}

void unregisterComponentClasses(RegistryStore& registry, RegistrationScope where,
                                const std::vector<ComponentClass>& classes) {
  const ScopeKeys scope = keysOf(where);
  for (const ComponentClass& c : classes) {
    const std::string progIdKey = kClasses + std::string(c.progId);
    const auto named = registry.queryValue(scope.root, progIdKey + "\\CLSID", "");
    const bool ours =
        !named ||
        lower(std::string(named->bytes.begin(), named->bytes.end())).starts_with(lower(c.classId));
    if (ours && !registry.deleteKey(scope.root, progIdKey)) refused(scope, progIdKey, "delete");
    const std::string classKey = kClasses + std::string("CLSID\\") + c.classId;
    if (!registry.deleteKey(scope.root, classKey)) refused(scope, classKey, "delete");
  }
}

}  // namespace vigilo
