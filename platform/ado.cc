#include "platform/ado.h"

#include <strings.h>

#include "platform/error.h"

namespace vigilo::ado {
namespace {

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

const Variant& argument(const std::vector<Variant>& args, size_t index) {
  static const Variant missing;
  return index < args.size() ? args[index] : missing;
}

}  // namespace

Connection::~Connection() = default;
Recordset::~Recordset() = default;
DatabaseEngine::~DatabaseEngine() = default;

Variant Recordset::get(std::string_view member) {
  if (sameName(member, "RecordCount")) return RecordCount();
  if (sameName(member, "BOF")) return Bof();
  if (sameName(member, "EOF")) return Eof();
  if (sameName(member, "State")) return int32_t{isOpen() ? 1 : 0};
  unknownMember(member);
}

Variant Recordset::call(std::string_view member, const std::vector<Variant>& args) {
  if (sameName(member, "Close")) {
    Close();
    return {};
  }
  if (sameName(member, "MoveFirst")) {
    MoveFirst();
    return {};
  }
  if (sameName(member, "MoveNext")) {
    MoveNext();
    return {};
  }
  if (sameName(member, "GetRows")) {
    const Variant& rows = argument(args, 0);
    return GetRows(rows.isEmpty() ? -1 : rows.toLong());
  }
  if (sameName(member, "Fields")) {
    const Variant& which = argument(args, 0);
    if (which.type() == Variant::Type::String) return Item(which.toString()).Value;
    return Item(which.toLong()).Value;
  }
  unknownMember(member);
}

}  // namespace vigilo::ado
