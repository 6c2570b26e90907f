#pragma once

#include <string>

namespace vigilo::mdb {

// The parts of an OLE DB connection string that the Access database layer
// uses, e.g. "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\db.mdb;".
struct ConnectionString {
  std::string provider;
  std::string dataSource;
};

// Parses `text`: "key=value" pairs separated by ';', keys without regard to
// case or surrounding blanks, values optionally in "double" or 'single'
// quotes (a doubled quote stands for itself). Raises Error when the provider
// is not Microsoft.Jet.OLEDB.4.0 or the data source is missing or empty.
ConnectionString parseConnectionString(const std::string& text);

}  // namespace vigilo::mdb
