#include "components/common/property_object.h"

#include <algorithm>
#include <cctype>

namespace vigilo::components {
namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

Variant zero(PropertyType type) {
  switch (type) {
    case PropertyType::Boolean:
      return Variant(false);
    case PropertyType::Integer:
      return Variant(int16_t{0});
    case PropertyType::Long:
      return Variant(int32_t{0});
    case PropertyType::String:
      return Variant("");
  }
  return Variant();
}

Variant converted(PropertyType type, const Variant& value) {
  switch (type) {
    case PropertyType::Boolean:
      return Variant(value.toBool());
    case PropertyType::Integer:
      return Variant(value.toInteger());
    case PropertyType::Long:
      return Variant(value.toLong());
    case PropertyType::String:
      return Variant(value.toString());
  }
  return value;
}

}  // namespace

bool sameMember(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

PropertyObject::PropertyObject(std::string sourceName, std::vector<PropertyDeclaration> properties)
    : sourceName_(std::move(sourceName)) {
  for (const PropertyDeclaration& p : properties)
    slots_.emplace(lower(p.name), Slot{p.type, zero(p.type)});
}

Variant* PropertyObject::find(std::string_view member) {
  const auto found = slots_.find(lower(member));
  return found == slots_.end() ? nullptr : &found->second.value;
}

const Variant* PropertyObject::find(std::string_view member) const {
  const auto found = slots_.find(lower(member));
  return found == slots_.end() ? nullptr : &found->second.value;
}

Variant PropertyObject::get(std::string_view member) {
  if (const Variant* value = find(member)) return *value;
  unknownMember(member);
}

void PropertyObject::set(std::string_view member, const Variant& value) {
  const auto found = slots_.find(lower(member));
  if (found == slots_.end()) unknownMember(member);
  found->second.value = converted(found->second.type, value);
}

Variant PropertyObject::call(std::string_view member, const std::vector<Variant>& args) {
  if (args.empty())
    if (const Variant* value = find(member)) return *value;
  unknownMember(member);
}

std::string PropertyObject::text(std::string_view name) const {
  const Variant* value = find(name);
  return value ? value->toString() : std::string();
}

int32_t PropertyObject::number(std::string_view name) const {
  const Variant* value = find(name);
  return value ? value->toLong() : 0;
}

bool PropertyObject::flag(std::string_view name) const {
  const Variant* value = find(name);
  return value && value->toBool();
}

}  // namespace vigilo::components
