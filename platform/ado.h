#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/object.h"
#include "platform/variant.h"

// The data access objects through which the program reads Access (Jet)
// databases: a connection to one database file and the record sets of the
// statements run on it. Failures raise Error with the numbers that the data
// access layer reports (negative ones are the provider's result codes).
namespace vigilo::ado {

// Cursor types of Recordset::Open.
enum CursorType : int {
  adOpenUnspecified = -1,
  adOpenForwardOnly = 0,
  adOpenKeyset = 1,
  adOpenDynamic = 2,
  adOpenStatic = 3
};
// Lock types of Recordset::Open.
enum LockType : int {
  adLockUnspecified = -1,
  adLockReadOnly = 1,
  adLockPessimistic = 2,
  adLockOptimistic = 3,
  adLockBatchOptimistic = 4
};
// "Options unspecified" of Open and Execute.
inline constexpr int adOptionUnspecified = -1;

// Error numbers.
namespace errc {
// Of the access layer itself.
constexpr int32_t kNoCurrentRecord = 3021;
constexpr int32_t kItemNotFound = 3265;
constexpr int32_t kObjectClosed = 3704;
constexpr int32_t kObjectOpen = 3705;
constexpr int32_t kProviderNotFound = 3706;
constexpr int32_t kInvalidArgument = 3001;
// Of the database provider (its result codes, as signed numbers).
constexpr int32_t kProviderFailure = -2147467259;   // 0x80004005: file missing, damaged, read-only
constexpr int32_t kErrorsInCommand = -2147217900;   // 0x80040E14: syntax error
constexpr int32_t kTableNotFound = -2147217865;     // 0x80040E37
constexpr int32_t kParameterMissing = -2147217904;  // 0x80040E10: unknown column name
constexpr int32_t kDataTypeMismatch = -2147217913;  // 0x80040E07
}  // namespace errc

class Recordset;

// An open database. Opening needs a connection string such as
// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<path>;".
class Connection {
 public:
  virtual ~Connection();
  virtual void Open(const std::string& connectionString, const std::string& userId = "",
                    const std::string& password = "", int options = adOptionUnspecified) = 0;
  // Closing a closed connection raises kObjectClosed, as it does in ADO.
  virtual void Close() = 0;
  virtual bool isOpen() const = 0;
  // Runs `commandText`; a statement that returns rows gives a forward-only
  // record set, any other statement an empty one.
  virtual std::shared_ptr<Recordset> Execute(const std::string& commandText,
                                             int options = adOptionUnspecified) = 0;
};

// One column of the current row.
struct Field {
  std::string Name;
  Variant Value;
};

// The rows of a statement with a current-row position. A record set is also
// an automation object, so that it can be handed on inside a Variant; its
// late-bound members are the ones listed under Object below.
class Recordset : public Object {
 public:
  ~Recordset() override;

  virtual void Open(const std::string& source, Connection& activeConnection,
                    int cursorType = adOpenForwardOnly, int lockType = adLockReadOnly,
                    int options = adOptionUnspecified) = 0;
  virtual void Close() = 0;
  virtual bool isOpen() const = 0;

  // The number of rows; -1 for a forward-only cursor, which does not know it.
  virtual int32_t RecordCount() = 0;
  // BOF and EOF (EOF is a C macro, hence the spelling).
  virtual bool Bof() = 0;
  virtual bool Eof() = 0;
  virtual void MoveFirst() = 0;
  virtual void MoveNext() = 0;

  // Fields.Count and Fields.Item(index or name) of the current row.
  virtual int32_t FieldCount() = 0;
  virtual Field Item(int32_t index) = 0;
  virtual Field Item(std::string_view name) = 0;

  // Up to `rows` rows from the current one on (-1: all that remain), as an
  // array of fields by rows; the current row moves past them.
  virtual Variant GetRows(int32_t rows = -1) = 0;

  // Late-bound members: RecordCount, BOF, EOF, State (get); Close,
  // MoveFirst, MoveNext, GetRows, Fields (call; Fields(i) gives the value).
  Variant get(std::string_view member) override;
  Variant call(std::string_view member, const std::vector<Variant>& args) override;

 protected:
  std::string sourceName() const override { return "ADODB.Recordset"; }
};

// Makes new connections and record sets.
class DatabaseEngine {
 public:
  virtual ~DatabaseEngine();
  virtual std::shared_ptr<Connection> createConnection() = 0;
  virtual std::shared_ptr<Recordset> createRecordset() = 0;
};

}  // namespace vigilo::ado
