#include "platform/object.h"

#include "platform/error.h"

namespace vigilo {

Object::~Object() = default;

Variant Object::get(std::string_view member) { unknownMember(member); }

void Object::set(std::string_view member, const Variant&) { unknownMember(member); }

Variant Object::call(std::string_view member, const std::vector<Variant>&) { unknownMember(member); }

void Object::unknownMember(std::string_view member) const {
  throw Error(errc::kMemberNotFound, sourceName(),
              "Object doesn't support this property or method: " + std::string(member));
}

Error cannotCreateObject(const std::string& progIdOrClassId, const std::string& reason) {
  std::string description = "ActiveX component can't create object: '" + progIdOrClassId + "'";
  if (!reason.empty()) description += " (" + reason + ")";
  return Error(errc::kCannotCreateObject, "Components", std::move(description));
}

}  // namespace vigilo
