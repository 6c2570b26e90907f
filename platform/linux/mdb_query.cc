#include "platform/linux/mdb_query.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <numeric>

#include "platform/ado.h"
#include "platform/error.h"
#include "platform/linux/mdb_table.h"

namespace vigilo::mdb {
namespace {

enum class Kind { Number, Text, Other };

Kind columnKind(int type) {
  switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_DATETIME:
      return Kind::Number;
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
      return Kind::Text;
    default:
      return Kind::Other;
  }
}

Kind literalKind(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::String:
      return Kind::Text;
    case Variant::Type::Null:
      return Kind::Other;
    default:
      return Kind::Number;
  }
}

int sign(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

// Text compares without regard to (ASCII) case, as the engine's sort order does.
int compareText(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int x = std::tolower(static_cast<unsigned char>(a[i]));
    const int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Two non-NULL values of the same kind.
int compareValues(const Variant& a, const Variant& b) {
  if (a.type() == Variant::Type::String && b.type() == Variant::Type::String)
    return compareText(a.toString(), b.toString());
  return sign(a.toDouble() - b.toDouble());
}

// The sort order: NULL before every value.
int compareForOrder(const Variant& a, const Variant& b) {
  if (a.isNull() || b.isNull()) return a.isNull() == b.isNull() ? 0 : a.isNull() ? -1 : 1;
  return compareValues(a, b);
}

// LIKE with % (any run) and _ (one character), without regard to case.
bool likeMatch(const char* text, const char* pattern) {
  for (; *pattern; ++pattern, ++text) {
    if (*pattern == '%') {
      while (pattern[1] == '%') ++pattern;
      if (!pattern[1]) return true;
      for (; *text; ++text)
        if (likeMatch(text, pattern + 1)) return true;
      return false;
    }
    if (!*text) return false;
    if (*pattern == '_') {
      // One whole UTF-8 character.
      while ((static_cast<unsigned char>(text[1]) & 0xC0) == 0x80) ++text;
      continue;
    }
    if (std::tolower(static_cast<unsigned char>(*pattern)) !=
        std::tolower(static_cast<unsigned char>(*text)))
      return false;
  }
  return !*text;
}

enum class Truth { False, True, Unknown };

// A condition with its columns resolved to slots of the scanned row.
struct BoundCondition {
  Condition::Kind kind;
  size_t slot = 0;
  CompareOp op = CompareOp::Equal;
  Variant literal;
  std::unique_ptr<BoundCondition> left, right;

  Truth evaluate(const std::vector<Variant>& row) const {
    switch (kind) {
      case Condition::Kind::IsNull:
        return row[slot].isNull() ? Truth::True : Truth::False;
      case Condition::Kind::IsNotNull:
        return row[slot].isNull() ? Truth::False : Truth::True;
      case Condition::Kind::Not: {
        const Truth inner = left->evaluate(row);
        return inner == Truth::Unknown ? inner : inner == Truth::True ? Truth::False : Truth::True;
      }
      case Condition::Kind::And: {
        const Truth a = left->evaluate(row);
        if (a == Truth::False) return a;
        const Truth b = right->evaluate(row);
        return b == Truth::False ? b : a == Truth::Unknown ? a : b;
      }
      case Condition::Kind::Or: {
        const Truth a = left->evaluate(row);
        if (a == Truth::True) return a;
        const Truth b = right->evaluate(row);
        return b == Truth::True ? b : a == Truth::Unknown ? a : b;
      }
      case Condition::Kind::Compare:
        break;
    }
    const Variant& value = row[slot];
    if (value.isNull() || literal.isNull()) return Truth::Unknown;
    if (op == CompareOp::Like)
      return likeMatch(value.toString().c_str(), literal.toString().c_str()) ? Truth::True
                                                                             : Truth::False;
    const int c = compareValues(value, literal);
    bool result = false;
    switch (op) {
      case CompareOp::Equal:
        result = c == 0;
        break;
      case CompareOp::NotEqual:
        result = c != 0;
        break;
      case CompareOp::Less:
        result = c < 0;
        break;
      case CompareOp::Greater:
        result = c > 0;
        break;
      case CompareOp::LessEqual:
        result = c <= 0;
        break;
      case CompareOp::GreaterEqual:
        result = c >= 0;
        break;
      case CompareOp::Like:
        break;
    }
    return result ? Truth::True : Truth::False;
  }
};

class Query {
 public:
  Query(Table& table, const SelectStatement& statement, const std::string& sql)
      : table_(table), statement_(statement), sql_(sql) {
    for (const SelectItem& item : statement.items) {
      if (item.allColumns) {
        for (size_t i = 0; i < table.columns().size(); ++i)
          outputs_.push_back({slotOf(i), table.columns()[i].name});
      } else {
        const size_t column = columnIndex(item.column);
        outputs_.push_back(
            {slotOf(column), item.alias.empty() ? table.columns()[column].name : item.alias});
      }
    }
    if (statement.where) where_ = bind(*statement.where);
    for (const OrderKey& key : statement.orderBy)
      keys_.push_back({slotOf(columnIndex(key.column)), key.descending});
    if (statement.top)
      pruneAt_ = static_cast<size_t>(std::min<int64_t>(*statement.top, 1 << 24)) * 2 + 1024;
  }

  ResultSet run() {
    table_.scan(needed_, [this](const std::vector<Variant>& row) { take(row); });
    const size_t stride = needed_.size();
    std::vector<size_t> order = sortedRows();
    ResultSet result;
    for (const Output& output : outputs_) result.names.push_back(output.name);
    result.rows.fields = outputs_.size();
    result.rows.rows = order.size();
    result.rows.values.reserve(order.size() * outputs_.size());
    for (size_t row : order)
      for (const Output& output : outputs_)
        result.rows.values.push_back(std::move(rows_[row * stride + output.slot]));
    return result;
  }

 private:
  struct Output {
    size_t slot;
    std::string name;
  };
  struct Key {
    size_t slot;
    bool descending;
  };

  size_t columnIndex(const std::string& name) const {
    const auto& columns = table_.columns();
    for (size_t i = 0; i < columns.size(); ++i)
      if (strcasecmp(columns[i].name.c_str(), name.c_str()) == 0) return i;
    throw Error(ado::errc::kParameterMissing, "Microsoft JET Database Engine",
                "No value given for one or more required parameters: table '" + table_.name() +
                    "' has no column '" + name + "' (statement '" + sql_ + "').");
  }

  // The place of a table column in the scanned row, adding it when new.
  size_t slotOf(size_t column) {
    const auto found = std::find(needed_.begin(), needed_.end(), column);
    if (found != needed_.end()) return static_cast<size_t>(found - needed_.begin());
    needed_.push_back(column);
    return needed_.size() - 1;
  }

  std::unique_ptr<BoundCondition> bind(const Condition& condition) {
    auto bound = std::make_unique<BoundCondition>();
    bound->kind = condition.kind;
    if (condition.left) bound->left = bind(*condition.left);
    if (condition.right) bound->right = bind(*condition.right);
    if (condition.column.empty()) return bound;
    const size_t column = columnIndex(condition.column);
    bound->slot = slotOf(column);
    bound->op = condition.op;
    bound->literal = condition.literal;
    if (condition.kind == Condition::Kind::Compare) {
      const Kind kind = columnKind(table_.columns()[column].type);
      const Kind literal = literalKind(condition.literal);
      const bool fits =
          literal == Kind::Other || (kind == literal && kind != Kind::Other &&
                                     (condition.op != CompareOp::Like || kind == Kind::Text));
      if (!fits)
        throw Error(ado::errc::kDataTypeMismatch, "Microsoft JET Database Engine",
                    "Data type mismatch in criteria expression: column '" +
                        table_.columns()[column].name +
                        "' cannot be compared with that value (statement '" + sql_ + "').");
    }
    return bound;
  }

  int compareRows(const Variant* a, const Variant* b) const {
    for (const Key& key : keys_) {
      const int c = compareForOrder(a[key.slot], b[key.slot]);
      if (c != 0) return key.descending ? -c : c;
    }
    return 0;
  }

  void take(const std::vector<Variant>& row) {
    if (where_ && where_->evaluate(row) != Truth::True) return;
    const int64_t top = statement_.top.value_or(-1);
    if (keys_.empty()) {
      // Without an order the first rows are the result; the scan goes on to
      // the end all the same, so that a damaged table is still noticed.
      if (top < 0 || count_ < static_cast<size_t>(top)) append(row);
      return;
    }
    // Rows that sort after the n-th row kept so far can never be in the result.
    if (!threshold_.empty() && compareRows(row.data(), threshold_.data()) > 0) return;
    append(row);
    if (top >= 0 && count_ >= pruneAt_) prune(static_cast<size_t>(top));
  }

  void append(const std::vector<Variant>& row) {
    rows_.insert(rows_.end(), row.begin(), row.end());
    ++count_;
  }

  // Row numbers in result order, cut to TOP n plus the rows that tie with the n-th.
  std::vector<size_t> sortedRows() const {
    std::vector<size_t> order(count_);
    std::iota(order.begin(), order.end(), 0);
    const size_t stride = needed_.size();
    if (keys_.empty()) return order;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return compareRows(&rows_[a * stride], &rows_[b * stride]) < 0;
    });
    if (statement_.top && order.size() > static_cast<size_t>(*statement_.top)) {
      size_t keep = static_cast<size_t>(*statement_.top);
      while (keep < order.size() &&
             compareRows(&rows_[order[keep - 1] * stride], &rows_[order[keep] * stride]) == 0)
        ++keep;
      order.resize(keep);
    }
    return order;
  }

  // Keeps only the rows that can still be in the result, in result order.
  void prune(size_t top) {
    const size_t stride = needed_.size();
    const std::vector<size_t> order = sortedRows();
    std::vector<Variant> kept;
    kept.reserve(order.size() * stride);
    for (size_t row : order)
      for (size_t i = 0; i < stride; ++i) kept.push_back(std::move(rows_[row * stride + i]));
    rows_ = std::move(kept);
    count_ = order.size();
    if (count_ >= top)
      threshold_.assign(rows_.begin() + (top - 1) * stride, rows_.begin() + top * stride);
    pruneAt_ = std::max(pruneAt_, count_ * 2);
  }

  Table& table_;
  const SelectStatement& statement_;
  const std::string& sql_;
  std::vector<size_t> needed_;  // table columns read, by slot
  std::vector<Output> outputs_;
  std::unique_ptr<BoundCondition> where_;
  std::vector<Key> keys_;
  std::vector<Variant> rows_;  // the rows kept, needed_.size() values each
  size_t count_ = 0;
  size_t pruneAt_ = 0;
  std::vector<Variant> threshold_;  // the n-th row after the last pruning
};

}  // namespace

ResultSet runSelect(Table& table, const SelectStatement& statement, const std::string& sql) {
  return Query(table, statement, sql).run();
}

}  // namespace vigilo::mdb
