#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"

// The statements that the Access database layer understands: a SELECT of
// columns of one table, with an optional TOP, WHERE and ORDER BY:
//
//   SELECT [TOP n] * | column [AS name], ... FROM table
//     [WHERE condition] [ORDER BY column [ASC|DESC], ...] [;]
//
// A condition compares a column with a literal (=, <>, !=, <, >, <=, >=,
// LIKE with % and _), tests IS [NOT] NULL, and combines these with NOT, AND,
// OR and parentheses. Names may be bare or [bracketed], optionally qualified
// by the table ("t.col"); keywords and names ignore case. Literals: numbers,
// 'text' or "text" (a doubled quote stands for itself), #date# (m/d/yyyy or
// yyyy-mm-dd, optionally with hh:mm[:ss]), True, False and NULL.
namespace vigilo::mdb {

enum class CompareOp { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual, Like };

struct Condition {
  enum class Kind { Compare, IsNull, IsNotNull, And, Or, Not };
  Kind kind = Kind::Compare;
  std::string column;  // Compare, IsNull, IsNotNull
  CompareOp op = CompareOp::Equal;
  Variant literal;
  std::unique_ptr<Condition> left, right;  // And, Or; Not uses left
};

struct SelectItem {
  bool allColumns = false;  // "*"
  std::string column;
  std::string alias;  // the field's name; the column's own name when empty
};

struct OrderKey {
  std::string column;
  bool descending = false;
};

struct SelectStatement {
  std::optional<int64_t> top;
  std::vector<SelectItem> items;
  std::string table;
  std::unique_ptr<Condition> where;
  std::vector<OrderKey> orderBy;
};

// Parses `sql`; a statement outside the forms above raises Error
// (ado::errc::kErrorsInCommand) with a description that quotes the statement.
SelectStatement parseSelect(std::string_view sql);

// True when `sql` is a statement that would change the database or its
// design (INSERT, UPDATE, DELETE, CREATE, DROP, ALTER, SELECT ... INTO, ...).
bool changesData(std::string_view sql);

}  // namespace vigilo::mdb
