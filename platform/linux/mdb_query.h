#pragma once

#include <string>

#include "platform/linux/mdb_database.h"
#include "platform/linux/mdb_sql.h"

namespace vigilo::mdb {

class Table;

// Runs `statement` over a full scan of `table`: the rows that meet its
// condition, in its order (NULL first when ascending, text without regard to
// case, equal keys in the table's order), cut to its TOP count. As the Jet
// engine does, TOP n with ORDER BY also keeps the rows that tie with the
// n-th. Unknown columns and literals that do not fit a column's type raise
// the provider's errors, which quote `sql`.
ResultSet runSelect(Table& table, const SelectStatement& statement, const std::string& sql);

}  // namespace vigilo::mdb
