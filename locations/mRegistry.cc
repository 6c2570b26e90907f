#include "locations/mRegistry.h"

#include <new>
#include <optional>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/registry_store.h"
#include "platform/user_interface.h"

namespace vigilo::mRegistry {
namespace {

// A failure inside `operation`: "Error: <number>. <description>", with the
// operation's name as the title.
void showFailure(const Error& failure, const char* operation) {
  platform().ui->messageBox(
      "Error: " + std::to_string(failure.number()) + ". " + failure.description(), kMbOk,
      operation);
}

Error outOfMemory(const char* operation) {
  return Error(errc::kOutOfMemory, operation, "Out of memory");
}

RegistryValue textOf(const Bytes& data) {
  // A text ends at its first NUL, whatever its stored size says.
  size_t length = 0;
  while (length < data.size() && data[length] != 0) ++length;
  return std::string(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
}

// A REG_DWORD is read into a 4-byte integer that starts as 0: more data
// than that does not fit (the read fails), less fills its low bytes.
RegistryValue numberOf(const Bytes& data) {
  if (data.size() > 4) return {};
  uint32_t n = 0;
  for (size_t i = 0; i < data.size(); ++i) n |= static_cast<uint32_t>(data[i]) << (8 * i);
  return static_cast<int32_t>(n);
}

// What a write stores for `value` under `valueType`; nothing for a type
// that is not written. Raises the runtime's error when `value` has no such
// form.
std::optional<RegistryData> storedData(const RegistryValue& value, int32_t valueType) {
  switch (valueType) {
    case kRegSz: {
      const std::string text = value.toString();
      RegistryData data{kRegSz, Bytes(text.begin(), text.end())};
      data.bytes.push_back(0);
      return data;
    }
    case kRegBinary: {
      if (value.type() == Variant::Type::String) {
        const std::string text = value.toString();
        return RegistryData{kRegBinary, Bytes(text.begin(), text.end())};
      }
      return RegistryData{kRegBinary, value.bytes()};
    }
    case kRegDword: {
      const auto n = static_cast<uint32_t>(value.toLong());
      return RegistryData{kRegDword,
                          {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                           static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)}};
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

RegistryValue RegistryGetKeyValue(uint32_t root, const std::string& keyPath,
                                  const std::string& valueName) {
  constexpr const char* kOperation = "RegistryGetKeyValue";
  RegistryValue result;
  try {
    RegistryStore* registry = platform().registry;
    if (!registry) return result;
    // A missing key, a missing value and a refused read all give nothing.
    const std::optional<RegistryData> stored = registry->queryValue(root, keyPath, valueName);
    if (!stored) return result;
    switch (stored->type) {
      case kRegSz:
        result = textOf(stored->bytes);
        break;
      case kRegBinary:
        result = stored->bytes;
        break;
      case kRegDword:
        result = numberOf(stored->bytes);
        break;
      default:
        break;  // other types are not read
    }
  } catch (const Error& failure) {
    showFailure(failure, kOperation);
  } catch (const std::bad_alloc&) {
    showFailure(outOfMemory(kOperation), kOperation);
  }
  return result;
}

void RegistrySetKeyValue(uint32_t root, const std::string& keyPath, const std::string& valueName,
                         const RegistryValue& value, int32_t valueType) {
  constexpr const char* kOperation = "RegistrySetKeyValue";
  RegistryStore* registry = platform().registry;
  if (!registry) return;
  // The key path is created whatever follows. Storing a value creates it
  // along the way, so the value is converted first and the file is written
  // once. A key that cannot be created, or a value the store refuses, is
  // not reported.
  std::optional<RegistryData> data;
  try {
    try {
      data = storedData(value, valueType);
    } catch (const std::bad_alloc&) {
      throw outOfMemory(kOperation);
    }
  } catch (const Error& failure) {
    registry->createKey(root, keyPath);
    showFailure(failure, kOperation);
    return;
  }
  if (data)
    registry->setValue(root, keyPath, valueName, *data);
  else
    registry->createKey(root, keyPath);
}

}  // namespace vigilo::mRegistry
