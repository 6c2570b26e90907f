#include "platform/linux/registered_components.h"

#include <cctype>
#include <optional>

#include "platform/linux/component_loader.h"
#include "platform/platform.h"
#include "platform/registry_store.h"

namespace vigilo {
namespace {

// "{" 8-4-4-4-12 hexadecimal digits "}".
bool isClassId(const std::string& name) {
  if (name.size() != 38 || name.front() != '{' || name.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? name[i] != '-' : !std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

// A ProgID names one key: no separators, nothing empty.
bool isProgId(const std::string& name) {
  return !name.empty() && name.find('\\') == std::string::npos && name.front() != '{';
}

// The default value of a key as text, up to its terminating NUL.
std::optional<std::string> defaultText(RegistryStore& registry, const std::string& key) {
  const auto data = registry.queryValue(kHkeyClassesRoot, key, "");
  if (!data || (data->type != kRegSz && data->type != kRegExpandSz)) return std::nullopt;
  std::string text(data->bytes.begin(), data->bytes.end());
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace

ObjectRef RegisteredComponents::createObject(const std::string& name) {
  RegistryStore* registry = platform().registry;
  if (!registry) throw cannotCreateObject(name, "no registry to look it up in");

  std::string classId = name;
  if (!isClassId(name)) {
    if (!isProgId(name)) throw cannotCreateObject(name, "not a ProgID or class id");
    const auto registered = defaultText(*registry, name + "\\CLSID");
    if (!registered) throw cannotCreateObject(name, "not registered");
    classId = *registered;
  }
  const auto server = defaultText(*registry, "CLSID\\" + classId + "\\InprocServer32");
  if (!server) {
    throw cannotCreateObject(
        name, classId == name ? "not registered" : "its class " + classId + " is not registered");
  }

  std::string whyNot;
  const ComponentLibrary* library = loadComponentLibrary(*server, &whyNot);
  if (!library) throw cannotCreateObject(name, whyNot);
  ObjectRef object;
  library->create(classId.c_str(), &object);
  if (!object)
    throw cannotCreateObject(name, "'" + *server + "' does not provide class " + classId);
  return object;
}

}  // namespace vigilo
