#include "platform/variant.h"

#include <cmath>
#include <limits>
#include <sstream>

#include "platform/clock.h"
#include "platform/error.h"
#include "platform/object.h"
#include "platform/platform.h"

namespace vigilo {
namespace {

[[noreturn]] void typeMismatch() { throw Error(errc::kTypeMismatch, "Variant", "Type mismatch"); }
[[noreturn]] void invalidUseOfNull() {
  throw Error(errc::kInvalidUseOfNull, "Variant", "Invalid use of Null");
}
[[noreturn]] void overflow() { throw Error(errc::kOverflow, "Variant", "Overflow"); }

// Rounds half to even, as the automation runtime converts to integers.
double roundHalfEven(double d) { return std::nearbyint(d); }

std::string doubleText(double d) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out.precision(15);
  out << d;
  return out.str();
}

// Numbers written as the runtime would accept them: decimal, optional sign and fraction.
std::optional<double> parseNumber(const std::string& text) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  double d = 0;
  in >> std::ws >> d;
  if (in.fail()) return std::nullopt;
  in >> std::ws;
  if (!in.eof()) return std::nullopt;
  return d;
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && !b[i];
}

}  // namespace

const Variant& Array2D::at(size_t field, size_t row) const { return values.at(row * fields + field); }

std::string Variant::toString() const {
  switch (type()) {
    case Type::Empty: return "";
    case Type::Null: invalidUseOfNull();
    case Type::Boolean: return std::get<bool>(value_) ? "True" : "False";
    case Type::Integer: return std::to_string(std::get<int16_t>(value_));
    case Type::Long: return std::to_string(std::get<int32_t>(value_));
    case Type::Double: return doubleText(std::get<double>(value_));
    case Type::Date: {
      RegionalSettings* regional = platform().regional;
      if (!regional) typeMismatch();
      return regional->dateText(std::get<Date>(value_).value);
    }
    case Type::String: return std::get<std::string>(value_);
    case Type::Bytes: {
      const Bytes& b = std::get<Bytes>(value_);
      return std::string(b.begin(), b.end());
    }
    case Type::Object:
    case Type::Array: typeMismatch();
  }
  typeMismatch();
}

double Variant::toDouble() const {
  switch (type()) {
    case Type::Empty: return 0;
    case Type::Null: invalidUseOfNull();
    case Type::Boolean: return std::get<bool>(value_) ? -1 : 0;
    case Type::Integer: return std::get<int16_t>(value_);
    case Type::Long: return std::get<int32_t>(value_);
    case Type::Double: return std::get<double>(value_);
    case Type::Date: return std::get<Date>(value_).value;
    case Type::String: {
      const std::string& s = std::get<std::string>(value_);
      if (auto d = parseNumber(s)) return *d;
      if (equalsIgnoringCase(s, "True")) return -1;
      if (equalsIgnoringCase(s, "False")) return 0;
      typeMismatch();
    }
    default: typeMismatch();
  }
}

int32_t Variant::toLong() const {
  if (type() == Type::Long) return std::get<int32_t>(value_);
  const double d = roundHalfEven(toDouble());
  if (!(d >= std::numeric_limits<int32_t>::min() && d <= std::numeric_limits<int32_t>::max()))
    overflow();
  return static_cast<int32_t>(d);
}

int16_t Variant::toInteger() const {
  const double d = roundHalfEven(toDouble());
  if (!(d >= std::numeric_limits<int16_t>::min() && d <= std::numeric_limits<int16_t>::max()))
    overflow();
  return static_cast<int16_t>(d);
}

bool Variant::toBool() const {
  if (type() == Type::Boolean) return std::get<bool>(value_);
  return toDouble() != 0;
}

Date Variant::toDate() const {
  switch (type()) {
    case Type::Date: return std::get<Date>(value_);
    case Type::String: {
      RegionalSettings* regional = platform().regional;
      if (regional)
        if (auto d = regional->parseDate(std::get<std::string>(value_))) return Date{*d};
      typeMismatch();
    }
    default: return Date{toDouble()};
  }
}

const Bytes& Variant::bytes() const {
  if (type() != Type::Bytes) typeMismatch();
  return std::get<Bytes>(value_);
}

ObjectRef Variant::toObject() const {
  if (type() != Type::Object || !std::get<ObjectRef>(value_))
    throw Error(errc::kObjectRequired, "Variant", "Object required");
  return std::get<ObjectRef>(value_);
}

const Array2D& Variant::array() const {
  if (type() != Type::Array || !std::get<std::shared_ptr<const Array2D>>(value_)) typeMismatch();
  return *std::get<std::shared_ptr<const Array2D>>(value_);
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.type() != b.type()) return false;
  if (a.type() == Variant::Type::Array) {
    const Array2D& x = a.array();
    const Array2D& y = b.array();
    return x.fields == y.fields && x.rows == y.rows && x.values == y.values;
  }
  return a.value_ == b.value_;
}

}  // namespace vigilo
