#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "platform/variant.h"

namespace vigilo {

// An automation object reached by late binding: members by name. A member
// that the object does not have raises Error 438 naming the member.
class Object {
 public:
  virtual ~Object();
  virtual Variant get(std::string_view member);
  virtual void set(std::string_view member, const Variant& value);
  virtual Variant call(std::string_view member, const std::vector<Variant>& args);

 protected:
  // The error for a member this object does not support.
  [[noreturn]] void unknownMember(std::string_view member) const;
  // The name the object reports as the source of its errors.
  virtual std::string sourceName() const { return "Object"; }
};

// Creates objects by ProgID ("Library.Class") or class id ("{...}").
class Components {
 public:
  virtual ~Components();
  // Raises Error 429 when the name is not registered or its library fails to load.
  virtual ObjectRef createObject(const std::string& progIdOrClassId) = 0;
};

// Error 429 for a component that cannot be created; `reason` (may be empty)
// says why: "not registered", the loader's message, ...
Error cannotCreateObject(const std::string& progIdOrClassId, const std::string& reason);

}  // namespace vigilo
