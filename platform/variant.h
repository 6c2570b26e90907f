#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace vigilo {

class Object;
class Variant;
using ObjectRef = std::shared_ptr<Object>;
using Bytes = std::vector<uint8_t>;

// An OLE Automation date: days since 1899-12-30, time of day as the fraction.
struct Date {
  double value = 0;
  friend bool operator==(Date, Date) = default;
};

// Two-dimensional array as a record set's GetRows delivers it: fields by rows.
struct Array2D {
  size_t fields = 0;
  size_t rows = 0;
  std::vector<Variant> values;  // values[row * fields + field]
  const Variant& at(size_t field, size_t row) const;
};

// The value that crosses a component boundary. The booleans are the 16-bit
// automation kind (true is -1); 16- and 32-bit integers stay apart because a
// component may insist on the exact type of what it is given.
class Variant {
 public:
  enum class Type { Empty, Null, Boolean, Integer, Long, Double, Date, String, Bytes, Object, Array };
  struct NullValue {
    friend bool operator==(NullValue, NullValue) = default;
  };

  Variant() = default;
  Variant(bool b) : value_(b) {}
  Variant(int16_t i) : value_(i) {}
  Variant(int32_t i) : value_(i) {}
  Variant(double d) : value_(d) {}
  Variant(Date d) : value_(d) {}
  Variant(std::string s) : value_(std::move(s)) {}
  Variant(const char* s) : value_(std::string(s)) {}
  Variant(Bytes b) : value_(std::move(b)) {}
  Variant(ObjectRef o) : value_(std::move(o)) {}
  Variant(std::shared_ptr<const Array2D> a) : value_(std::move(a)) {}
  static Variant null() { Variant v; v.value_ = NullValue{}; return v; }

  Type type() const { return static_cast<Type>(value_.index()); }
  bool isEmpty() const { return type() == Type::Empty; }
  bool isNull() const { return type() == Type::Null; }

  // Conversions in the manner of the automation runtime: they raise
  // Error(13, type mismatch) or Error(94, invalid use of Null) when the value
  // has no such form, and Error(6, overflow) when it does not fit.
  std::string toString() const;  // Empty gives "", a date the locale's text
  int32_t toLong() const;
  int16_t toInteger() const;
  bool toBool() const;
  double toDouble() const;
  Date toDate() const;
  const Bytes& bytes() const;      // Bytes only
  ObjectRef toObject() const;      // Object only, error 424 otherwise
  const Array2D& array() const;    // Array only

  // Equality of kind and value, for tests and re-entry checks.
  friend bool operator==(const Variant&, const Variant&);

 private:
  std::variant<std::monostate, NullValue, bool, int16_t, int32_t, double, Date, std::string, Bytes,
               ObjectRef, std::shared_ptr<const Array2D>>
      value_;
};

}  // namespace vigilo
