#pragma once

#include <cstdint>
#include <string>

#include "platform/object.h"

namespace vigilo {

// The maker's registry settings component: named settings under one key of
// the registry, chosen by parts that the caller sets one by one. The key is
// RootKey\BaseKey\Company\Application\Section, an empty part left out.
//
// Properties: BaseKey, Company, Application, Section (text), RootKey (the
// Windows root key number). Methods: ReadBool, ReadLong, ReadString (value
// name, default: the default when the value is absent) and WriteBool,
// WriteLong, WriteString (value name, value: the key is created as needed).
//
// Integers and truth values are stored as 32-bit numbers (true as 1), so that
// a truth value reads back through ReadString as "1" or "0". Every failure is
// an Error whose description names the value and key.
class cRegistrySettings : public Object {
 public:
  Variant get(std::string_view member) override;
  void set(std::string_view member, const Variant& value) override;
  Variant call(std::string_view member, const std::vector<Variant>& args) override;

 protected:
  std::string sourceName() const override { return "cRegistrySettings"; }

 private:
  std::string keyPath() const;
  // "HKEY_CURRENT_USER\SOFTWARE\..." for messages.
  std::string location(const std::string& valueName) const;

  Variant readBool(const std::string& name, const Variant& defaultValue);
  Variant readLong(const std::string& name, const Variant& defaultValue);
  Variant readString(const std::string& name, const Variant& defaultValue);
  void write(const std::string& name, uint32_t type, std::vector<uint8_t> bytes);

  uint32_t rootKey_ = 0x80000001u;  // HKEY_CURRENT_USER
  std::string baseKey_;
  std::string company_;
  std::string application_;
  std::string section_;
};

}  // namespace vigilo
