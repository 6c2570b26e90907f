#include "components/registry_settings/cRegistrySettings.h"

#include <algorithm>
#include <cctype>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/registry_store.h"

namespace vigilo {
namespace {

constexpr const char* kSource = "cRegistrySettings";
constexpr int32_t kWrongArguments = 450;

std::string lower(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return result;
}

const char* rootName(uint32_t root) {
  switch (root) {
    case kHkeyClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case kHkeyCurrentUser:
      return "HKEY_CURRENT_USER";
    case kHkeyLocalMachine:
      return "HKEY_LOCAL_MACHINE";
    default:
      return nullptr;
  }
}

// A part of the key path without the separators a caller may have put around it.
std::string keyPart(const std::string& part) {
  const auto first = part.find_first_not_of('\\');
  if (first == std::string::npos) return "";
  return part.substr(first, part.find_last_not_of('\\') - first + 1);
}

RegistryStore& store() {
  RegistryStore* registry = platform().registry;
  if (!registry) throw Error(errc::kAutomationError, kSource, "The registry is not available");
  return *registry;
}

void expectArguments(std::string_view member, const std::vector<Variant>& args) {
  if (args.size() != 2)
    throw Error(kWrongArguments, kSource,
                "Wrong number of arguments or invalid property assignment: " + std::string(member));
}

std::vector<uint8_t> dwordBytes(int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
          static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
}

std::vector<uint8_t> textBytes(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

bool isText(const RegistryData& data) { return data.type == kRegSz || data.type == kRegExpandSz; }

// A text value's text: its data up to the first NUL.
std::string text(const RegistryData& data) {
  const auto end = std::find(data.bytes.begin(), data.bytes.end(), uint8_t{0});
  return std::string(data.bytes.begin(), end);
}

std::optional<int32_t> dword(const RegistryData& data) {
  if (data.type != kRegDword || data.bytes.size() != 4) return std::nullopt;
  const auto& b = data.bytes;
  return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 |
                              uint32_t{b[3]} << 24);
}

}  // namespace

std::string cRegistrySettings::keyPath() const {
  std::string path;
  for (const std::string* part : {&baseKey_, &company_, &application_, &section_}) {
    const std::string piece = keyPart(*part);
    if (piece.empty()) continue;
    if (!path.empty()) path += '\\';
    path += piece;
  }
  return path;
}

std::string cRegistrySettings::location(const std::string& valueName) const {
  std::string key = rootName(rootKey_);
  if (const std::string path = keyPath(); !path.empty()) key += "\\" + path;
  return "\"" + valueName + "\" under " + key;
}

Variant cRegistrySettings::get(std::string_view member) {
  const std::string name = lower(member);
  if (name == "rootkey") return static_cast<int32_t>(rootKey_);
  if (name == "basekey") return baseKey_;
  if (name == "company") return company_;
  if (name == "application") return application_;
  if (name == "section") return section_;
  unknownMember(member);
}

void cRegistrySettings::set(std::string_view member, const Variant& value) {
  const std::string name = lower(member);
  if (name == "rootkey") {
    const auto root = static_cast<uint32_t>(value.toLong());
    if (!rootName(root))
      throw Error(errc::kInvalidProcedureCall, kSource,
                  "Invalid procedure call or argument: no such root key " + std::to_string(root));
    rootKey_ = root;
  } else if (name == "basekey") {
    baseKey_ = value.toString();
  } else if (name == "company") {
    company_ = value.toString();
  } else if (name == "application") {
    application_ = value.toString();
  } else if (name == "section") {
    section_ = value.toString();
  } else {
    unknownMember(member);
  }
}

Variant cRegistrySettings::call(std::string_view member, const std::vector<Variant>& args) {
  const std::string name = lower(member);
  using Reader = Variant (cRegistrySettings::*)(const std::string&, const Variant&);
  Reader reader = nullptr;
  if (name == "readbool") reader = &cRegistrySettings::readBool;
  if (name == "readlong") reader = &cRegistrySettings::readLong;
  if (name == "readstring") reader = &cRegistrySettings::readString;
  if (reader) {
    expectArguments(member, args);
    return (this->*reader)(args[0].toString(), args[1]);
  }
  if (name == "writebool") {
    expectArguments(member, args);
    write(args[0].toString(), kRegDword, dwordBytes(args[1].toBool() ? 1 : 0));
  } else if (name == "writelong") {
    expectArguments(member, args);
    write(args[0].toString(), kRegDword, dwordBytes(args[1].toLong()));
  } else if (name == "writestring") {
    expectArguments(member, args);
    write(args[0].toString(), kRegSz, textBytes(args[1].toString()));
  } else {
    unknownMember(member);
  }
  return Variant();
}

// The readers return the default for an absent value, and also for an empty
// text where a number or truth value is asked for: it holds neither.
Variant cRegistrySettings::readBool(const std::string& name, const Variant& defaultValue) {
  const auto data = store().queryValue(rootKey_, keyPath(), name);
  if (!data || (isText(*data) && text(*data).empty())) return defaultValue.toBool();
  if (const auto number = dword(*data)) return *number != 0;
  if (isText(*data)) {
    try {
      return Variant(text(*data)).toBool();
    } catch (const Error&) {
    }
  }
  throw Error(errc::kTypeMismatch, kSource,
              "Type mismatch: the registry value " + location(name) + " is no truth value");
}

Variant cRegistrySettings::readLong(const std::string& name, const Variant& defaultValue) {
  const auto data = store().queryValue(rootKey_, keyPath(), name);
  if (!data || (isText(*data) && text(*data).empty())) return defaultValue.toLong();
  if (const auto number = dword(*data)) return *number;
  if (isText(*data)) {
    try {
      return Variant(text(*data)).toLong();
    } catch (const Error& failure) {
      throw Error(failure.number(), kSource,
                  failure.description() + ": the registry value " + location(name) +
                      " is no 32-bit number");
    }
  }
  throw Error(errc::kTypeMismatch, kSource,
              "Type mismatch: the registry value " + location(name) + " is no number");
}

Variant cRegistrySettings::readString(const std::string& name, const Variant& defaultValue) {
  const auto data = store().queryValue(rootKey_, keyPath(), name);
  if (!data) return defaultValue.toString();
  if (isText(*data)) return text(*data);
  if (const auto number = dword(*data)) return std::to_string(*number);
  throw Error(errc::kTypeMismatch, kSource,
              "Type mismatch: the registry value " + location(name) + " is no text");
}

void cRegistrySettings::write(const std::string& name, uint32_t type, std::vector<uint8_t> bytes) {
  RegistryData data{type, std::move(bytes)};
  if (!store().setValue(rootKey_, keyPath(), name, data))
    throw Error(errc::kPermissionDenied, kSource,
                "Permission denied: the registry refused to store the value " + location(name));
}

}  // namespace vigilo
