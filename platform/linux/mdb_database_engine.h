#pragma once

#include "platform/ado.h"

namespace vigilo {

// Connections and record sets over Access (Jet 4) files, read through libmdb.
// The files are only ever read: a statement that would change one fails.
// A record set reads its rows when it opens (a keyset-like snapshot), so it
// stays readable after its connection has closed.
class MdbDatabaseEngine : public ado::DatabaseEngine {
 public:
  std::shared_ptr<ado::Connection> createConnection() override;
  std::shared_ptr<ado::Recordset> createRecordset() override;
};

}  // namespace vigilo
