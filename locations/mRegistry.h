#pragma once

#include <cstdint>
#include <string>

#include "platform/variant.h"

namespace vigilo::mRegistry {

// A value read from or written to the registry: Empty (no value), a String
// (REG_SZ), Bytes (REG_BINARY) or a Long (REG_DWORD).
using RegistryValue = Variant;

// The value `valueName` of the key `keyPath` under `root` (a root key
// handle such as 0x80000001 for HKEY_CURRENT_USER). Empty when the key or
// the value is missing or the value has another type than text, bytes or a
// 32-bit number. A text is cut at its first NUL character.
RegistryValue RegistryGetKeyValue(uint32_t root, const std::string& keyPath,
                                  const std::string& valueName);

// Stores `value`, converted to `valueType` (1 text, 3 bytes, 4 a 32-bit
// number), as `valueName` of `keyPath` under `root`, creating every missing
// key of the path first. Another type number stores nothing. A refused write
// is not reported; a value that cannot be converted is, in a message box.
void RegistrySetKeyValue(uint32_t root, const std::string& keyPath, const std::string& valueName,
                         const RegistryValue& value, int32_t valueType);

}  // namespace vigilo::mRegistry
