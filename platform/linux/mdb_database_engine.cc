#include "platform/linux/mdb_database_engine.h"

#include <strings.h>

#include "platform/error.h"
#include "platform/linux/mdb_connection_string.h"
#include "platform/linux/mdb_database.h"
#include "platform/linux/mdb_sql.h"

namespace vigilo {
namespace {

constexpr int32_t kConnectionInvalid = 3709;

[[noreturn]] void objectClosed(const char* source) {
  throw Error(ado::errc::kObjectClosed, source,
              "Operation is not allowed when the object is closed.");
}

[[noreturn]] void objectOpen(const char* source) {
  throw Error(ado::errc::kObjectOpen, source, "Operation is not allowed when the object is open.");
}

class MdbConnection : public ado::Connection {
 public:
  void Open(const std::string& connectionString, const std::string&, const std::string&,
            int) override {
    if (database_) objectOpen("ADODB.Connection");
    const mdb::ConnectionString parts = mdb::parseConnectionString(connectionString);
    database_ = mdb::Database::open(parts.dataSource);
  }

  void Close() override {
    if (!database_) objectClosed("ADODB.Connection");
    database_.reset();
  }

  bool isOpen() const override { return database_ != nullptr; }

  std::shared_ptr<ado::Recordset> Execute(const std::string& commandText, int) override;

  // Runs a SELECT; anything that would change the file is refused.
  mdb::ResultSet query(const std::string& sql) {
    if (!database_)
      throw Error(kConnectionInvalid, "ADODB.Recordset",
                  "The connection cannot be used to perform this operation. It is either closed "
                  "or invalid in this context.");
    if (mdb::changesData(sql))
      throw Error(ado::errc::kProviderFailure, "Microsoft JET Database Engine",
                  "The statement '" + sql +
                      "' would change data, which is not supported: the "
                      "database '" +
                      database_->path() + "' is opened read-only.");
    return database_->select(mdb::parseSelect(sql), sql);
  }

 private:
  std::unique_ptr<mdb::Database> database_;
};

class MdbRecordset : public ado::Recordset {
 public:
  void Open(const std::string& source, ado::Connection& activeConnection, int cursorType, int,
            int) override {
    if (open_) objectOpen("ADODB.Recordset");
    auto* connection = dynamic_cast<MdbConnection*>(&activeConnection);
    if (!connection)
      throw Error(ado::errc::kInvalidArgument, "ADODB.Recordset",
                  "Arguments are of the wrong type, are out of acceptable range, or are in "
                  "conflict with one another: the connection is not an Access database "
                  "connection.");
    fill(connection->query(source), cursorType);
  }

  void fill(mdb::ResultSet result, int cursorType) {
    result_ = std::move(result);
    forwardOnly_ = cursorType == ado::adOpenForwardOnly || cursorType == ado::adOpenUnspecified;
    position_ = 0;
    open_ = true;
  }

  void Close() override {
    requireOpen();
    open_ = false;
    result_ = {};
  }

  bool isOpen() const override { return open_; }

  int32_t RecordCount() override {
    requireOpen();
    return forwardOnly_ ? -1 : static_cast<int32_t>(result_.rows.rows);
  }

  // Only an empty record set is before its first row: nothing moves backwards.
  bool Bof() override {
    requireOpen();
    return result_.rows.rows == 0;
  }

  bool Eof() override {
    requireOpen();
    return position_ >= result_.rows.rows;
  }

  void MoveFirst() override {
    requireOpen();
    position_ = 0;
  }

  void MoveNext() override {
    requireCurrentRow();
    ++position_;
  }

  int32_t FieldCount() override {
    requireOpen();
    return static_cast<int32_t>(result_.names.size());
  }

  ado::Field Item(int32_t index) override {
    requireOpen();
    if (index < 0 || static_cast<size_t>(index) >= result_.names.size()) itemNotFound();
    requireCurrentRow();
    return {result_.names[index], result_.rows.at(static_cast<size_t>(index), position_)};
  }

  ado::Field Item(std::string_view name) override {
    requireOpen();
    for (size_t i = 0; i < result_.names.size(); ++i)
      if (result_.names[i].size() == name.size() &&
          strncasecmp(result_.names[i].data(), name.data(), name.size()) == 0)
        return Item(static_cast<int32_t>(i));
    itemNotFound();
  }

  Variant GetRows(int32_t rows) override {
    requireCurrentRow();
    const size_t available = result_.rows.rows - position_;
    const size_t count = rows < 0 ? available : std::min<size_t>(available, rows);
    auto array = std::make_shared<Array2D>();
    array->fields = result_.names.size();
    array->rows = count;
    array->values.assign(result_.rows.values.begin() + position_ * array->fields,
                         result_.rows.values.begin() + (position_ + count) * array->fields);
    position_ += count;
    return std::shared_ptr<const Array2D>(std::move(array));
  }

 private:
  void requireOpen() const {
    if (!open_) objectClosed("ADODB.Recordset");
  }

  void requireCurrentRow() const {
    requireOpen();
    if (position_ >= result_.rows.rows)
      throw Error(ado::errc::kNoCurrentRecord, "ADODB.Recordset",
                  "Either BOF or EOF is True, or the current record has been deleted. Requested "
                  "operation requires a current record.");
  }

  [[noreturn]] void itemNotFound() const {
    throw Error(ado::errc::kItemNotFound, "ADODB.Recordset",
                "Item cannot be found in the collection corresponding to the requested name or "
                "ordinal.");
  }

  mdb::ResultSet result_;
  bool forwardOnly_ = true;
  bool open_ = false;
  size_t position_ = 0;
};

std::shared_ptr<ado::Recordset> MdbConnection::Execute(const std::string& commandText, int) {
  if (!database_) objectClosed("ADODB.Connection");
  auto recordset = std::make_shared<MdbRecordset>();
  recordset->fill(query(commandText), ado::adOpenForwardOnly);
  return recordset;
}

}  // namespace

std::shared_ptr<ado::Connection> MdbDatabaseEngine::createConnection() {
  return std::make_shared<MdbConnection>();
}

std::shared_ptr<ado::Recordset> MdbDatabaseEngine::createRecordset() {
  return std::make_shared<MdbRecordset>();
}

}  // namespace vigilo
