#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace vigilo::mdb {

struct SelectStatement;
struct OpenHandle;

// The rows of one statement: field names and an array of fields by rows.
struct ResultSet {
  std::vector<std::string> names;
  Array2D rows;
};

// An Access (Jet 4) database file opened read-only through libmdb. The file
// is checked before libmdb sees it and while it is read, so that a damaged
// file is an error and never a silently wrong answer: it must be a regular
// file of whole 4096-byte pages with a Jet 4 header; a table must yield as
// many rows as its definition counts, and every date it holds must lie in
// 1753-01-01 .. 9999-12-31. Every failure raises Error naming the file.
class Database {
 public:
  static std::unique_ptr<Database> open(const std::string& path);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const std::string& path() const { return path_; }

  // Runs `statement` (parsed from `sql`, which error messages quote) over a
  // full scan of its table.
  ResultSet select(const SelectStatement& statement, const std::string& sql);

 private:
  Database(std::string path, std::unique_ptr<OpenHandle> handle);

  std::string path_;
  std::unique_ptr<OpenHandle> handle_;
};

}  // namespace vigilo::mdb
