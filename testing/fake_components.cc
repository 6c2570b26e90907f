#include "testing/fake_components.h"

#include <algorithm>
#include <cctype>
#include <locale>
#include <sstream>

namespace vigilo::testing {
namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string numberText(double d) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out.precision(15);
  out << d;
  return out.str();
}

}  // namespace

std::string describe(const Variant& value) {
  using Type = Variant::Type;
  switch (value.type()) {
    case Type::Empty:
      return "Empty";
    case Type::Null:
      return "Null";
    case Type::Boolean:
      return value.toBool() ? "Boolean True" : "Boolean False";
    case Type::Integer:
      return "Integer " + std::to_string(value.toInteger());
    case Type::Long:
      return "Long " + std::to_string(value.toLong());
    case Type::Double:
      return "Double " + numberText(value.toDouble());
    case Type::Date:
      return "Date " + numberText(value.toDate().value);
    case Type::String:
      return "String \"" + value.toString() + "\"";
    case Type::Bytes:
      return "Bytes " + std::to_string(value.bytes().size());
    case Type::Object:
      return "Object";
    case Type::Array: {
      const Array2D& a = value.array();
      return "Array " + std::to_string(a.fields) + "x" + std::to_string(a.rows);
    }
  }
  return "?";
}

RecordingObject::RecordingObject(std::string name, std::shared_ptr<CallLog> log)
    : name_(std::move(name)), log_(std::move(log)) {}

RecordingObject::~RecordingObject() {
  if (logRelease_) log_->lines.push_back("release " + (name_.empty() ? "object" : name_));
}

std::string RecordingObject::path(std::string_view member) const {
  return name_.empty() ? std::string(member) : name_ + "." + std::string(member);
}

std::string RecordingObject::sourceName() const {
  return name_.empty() ? "RecordingObject" : name_;
}

void RecordingObject::raiseIfFailing(const std::string& key) const {
  const auto failure = failures_.find(key);
  if (failure != failures_.end()) throw failure->second;
}

bool RecordingObject::declared(const std::string& key) const {
  return !onlyDeclared_ || properties_.count(key) || methods_.count(key);
}

Variant RecordingObject::get(std::string_view member) {
  log_->lines.push_back("get " + path(member));
  const std::string key = lower(member);
  raiseIfFailing(key);
  if (!declared(key)) unknownMember(member);
  const auto found = properties_.find(key);
  if (found != properties_.end()) return found->second;
  const auto method = methods_.find(key);
  if (method != methods_.end() && method->second) return method->second({});
  return Variant();
}

void RecordingObject::set(std::string_view member, const Variant& value) {
  log_->lines.push_back("set " + path(member) + " = " + describe(value));
  const std::string key = lower(member);
  raiseIfFailing(key);
  if (!declared(key)) unknownMember(member);
  properties_[key] = value;
}

Variant RecordingObject::call(std::string_view member, const std::vector<Variant>& args) {
  std::string line = "call " + path(member) + "(";
  for (size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + describe(args[i]);
  log_->lines.push_back(line + ")");
  const std::string key = lower(member);
  raiseIfFailing(key);
  if (!declared(key)) unknownMember(member);
  const auto method = methods_.find(key);
  if (method != methods_.end() && method->second) return method->second(args);
  return Variant();
}

void RecordingObject::setProperty(const std::string& member, Variant value) {
  properties_[lower(member)] = std::move(value);
}

std::shared_ptr<RecordingObject> RecordingObject::addChild(const std::string& member) {
  auto child = std::make_shared<RecordingObject>(member, log_);
  setProperty(member, Variant(ObjectRef(child)));
  return child;
}

void RecordingObject::addMethod(const std::string& member, Method action) {
  methods_[lower(member)] = std::move(action);
}

void RecordingObject::failMember(const std::string& member, Error error) {
  failures_.insert_or_assign(lower(member), std::move(error));
}

void RecordingObject::failMember(const std::string& member) {
  failMember(member, Error(errc::kMemberNotFound, sourceName(),
                           "Object doesn't support this property or method: " + member));
}

std::optional<Variant> RecordingObject::property(const std::string& member) const {
  const auto found = properties_.find(lower(member));
  if (found == properties_.end()) return std::nullopt;
  return found->second;
}

ObjectRef FakeComponents::createObject(const std::string& progIdOrClassId) {
  requested.push_back(progIdOrClassId);
  const auto found = factories_.find(lower(progIdOrClassId));
  if (found == factories_.end()) throw cannotCreateObject(progIdOrClassId, "not registered");
  return found->second();
}

void FakeComponents::add(const std::string& progIdOrClassId, Factory factory) {
  factories_[lower(progIdOrClassId)] = std::move(factory);
}

void FakeComponents::add(const std::string& progIdOrClassId, ObjectRef object) {
  add(progIdOrClassId, [object] { return object; });
}

void FakeComponents::fail(const std::string& progIdOrClassId, Error error) {
  add(progIdOrClassId, [error]() -> ObjectRef { throw error; });
}

}  // namespace vigilo::testing
