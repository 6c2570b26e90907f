#pragma once

// libmdb's header uses glib types without including glib itself in C++.
#include <glib.h>
#include <mdbtools.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace vigilo::mdb {

// An open libmdb handle, closed with the object.
struct OpenHandle {
  explicit OpenHandle(MdbHandle* handle) : mdb(handle) {}
  ~OpenHandle() { mdb_close(mdb); }
  OpenHandle(const OpenHandle&) = delete;
  OpenHandle& operator=(const OpenHandle&) = delete;
  MdbHandle* mdb;
};

// The error for a database file found damaged.
[[noreturn]] void throwDamaged(const std::string& path, const std::string& why);

struct ColumnInfo {
  std::string name;
  int type = 0;  // MDB_TEXT, MDB_DATETIME, ...
};

// One table of an open database, read by full scans in physical order.
class Table {
 public:
  // Raises the provider's "table not found" error when there is no such
  // table, and a damage error when its definition cannot be read. `path`
  // names the file in messages.
  Table(MdbHandle* mdb, const std::string& name, const std::string& path);
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  const std::string& name() const { return name_; }
  const std::vector<ColumnInfo>& columns() const { return columns_; }

  // Reads every row and calls `onRow` with the values of the columns
  // `needed` (indexes into columns()), in that order. Raises a damage error
  // when a row cannot be read, a date is out of range, or the rows read do
  // not match the row count of the table's definition.
  void scan(const std::vector<size_t>& needed,
            const std::function<void(const std::vector<Variant>&)>& onRow);

 private:
  Variant decode(const MdbField& field, int type) const;

  MdbHandle* mdb_;
  std::string path_;
  std::string name_;
  MdbTableDef* table_ = nullptr;
  std::vector<ColumnInfo> columns_;
};

}  // namespace vigilo::mdb
