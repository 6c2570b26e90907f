#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/object.h"

namespace vigilo::components {

// The automation type a property keeps its value in; a value set is
// converted to it as the automation runtime converts (Error 13 when it has
// no such form, Error 6 when it does not fit).
enum class PropertyType { Boolean, Integer, Long, String };

struct PropertyDeclaration {
  const char* name;
  PropertyType type;
};

// An object whose members are plain properties, read and set by name
// without regard to case; any other member raises Error 438. Unset
// properties read as their type's zero: False, 0 or "".
class PropertyObject : public Object {
 public:
  PropertyObject(std::string sourceName, std::vector<PropertyDeclaration> properties);

  Variant get(std::string_view member) override;
  void set(std::string_view member, const Variant& value) override;
  // A property read written as a call without arguments reads it, as late
  // binding allows.
  Variant call(std::string_view member, const std::vector<Variant>& args) override;

  // The current values, for the component's own code.
  std::string text(std::string_view name) const;
  int32_t number(std::string_view name) const;
  bool flag(std::string_view name) const;

 protected:
  std::string sourceName() const override { return sourceName_; }
  // The property named `member`, or nothing.
  Variant* find(std::string_view member);
  const Variant* find(std::string_view member) const;

 private:
  struct Slot {
    PropertyType type;
    Variant value;
  };
  std::string sourceName_;
  std::map<std::string, Slot, std::less<>> slots_;  // by lower-cased name
};

// Whether two member names are the same, case aside.
bool sameMember(std::string_view a, std::string_view b);

}  // namespace vigilo::components
