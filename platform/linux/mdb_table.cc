#include "platform/linux/mdb_table.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/ado.h"
#include "platform/error.h"
#include "platform/ole_date.h"

namespace vigilo::mdb {
namespace {

constexpr int kOffsetMask = 0x1fff;
constexpr int kDeletedRow = 0x4000;

// The dates the database engine accepts: 1753-01-01 to 9999-12-31.
constexpr int64_t kFirstDay = -53690;
constexpr int64_t kLastDay = 2958465;

bool validDate(double value) {
  return std::isfinite(value) && oleDay(value) >= kFirstDay && oleDay(value) <= kLastDay;
}

struct GFree {
  void operator()(char* text) const { g_free(text); }
};
using GText = std::unique_ptr<char, GFree>;

int64_t readInt64(const unsigned char* p) {
  int64_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

}  // namespace

void throwDamaged(const std::string& path, const std::string& why) {
  throw Error(ado::errc::kProviderFailure, "Microsoft JET Database Engine",
              "The database file '" + path + "' is damaged: " + why + ".");
}

Table::Table(MdbHandle* mdb, const std::string& name, const std::string& path)
    : mdb_(mdb), path_(path) {
  MdbCatalogEntry* entry = nullptr;
  for (unsigned i = 0; i < mdb->num_catalog; ++i) {
    auto* candidate = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    if (candidate->object_type == MDB_TABLE &&
        g_ascii_strcasecmp(candidate->object_name, name.c_str()) == 0) {
      entry = candidate;
      break;
    }
  }
  if (!entry)
    throw Error(ado::errc::kTableNotFound, "Microsoft JET Database Engine",
                "The Microsoft Jet database engine cannot find the input table or query '" + name +
                    "' in '" + path +
                    "'. Make sure it exists and that its name is spelled "
                    "correctly.");
  name_ = entry->object_name;
  table_ = mdb_read_table(entry);
  if (!table_) throwDamaged(path, "the definition of table '" + name_ + "' cannot be read");
  if (!mdb_read_columns(table_) || table_->num_cols == 0 || table_->num_cols > MDB_MAX_COLS)
    throwDamaged(path, "the columns of table '" + name_ + "' cannot be read");
  for (unsigned i = 0; i < table_->num_cols; ++i) {
    auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
    columns_.push_back({column->name, column->col_type});
  }
}

Table::~Table() {
  if (table_) mdb_free_tabledef(table_);
}

Variant Table::decode(const MdbField& field, int type) const {
  // A yes/no column keeps its value in the null bitmap: it is never NULL.
  if (type == MDB_BOOL) return !field.is_null;
  if (field.is_null) return Variant::null();
  const unsigned char* p = static_cast<const unsigned char*>(field.value);
  const auto needs = [&](int size) {
    if (field.siz < size) throwDamaged(path_, "a value of table '" + name_ + "' is cut short");
  };
  switch (type) {
    case MDB_BYTE:
      needs(1);
      return int16_t{p[0]};
    case MDB_INT:
      needs(2);
      return static_cast<int16_t>(mdb_get_int16(field.value, 0));
    case MDB_LONGINT:
      needs(4);
      return static_cast<int32_t>(mdb_get_int32(field.value, 0));
    case MDB_FLOAT:
      needs(4);
      return static_cast<double>(mdb_get_single(field.value, 0));
    case MDB_DOUBLE:
      needs(8);
      return mdb_get_double(field.value, 0);
    case MDB_DATETIME:
      needs(8);
      return Date{mdb_get_double(field.value, 0)};
    case MDB_MONEY:
      needs(8);
      return static_cast<double>(readInt64(p)) / 10000.0;
    case MDB_BINARY:
      return Bytes(p, p + field.siz);
    case MDB_TEXT:
    case MDB_MEMO: {
      if (field.siz == 0) return std::string();
      GText text(mdb_col_to_string(mdb_, mdb_->pg_buf, field.start, type, field.siz));
      return std::string(text ? text.get() : "");
    }
    case MDB_REPID: {
      needs(16);
      GText text(mdb_uuid_to_string(mdb_->pg_buf, field.start));
      return std::string(text ? text.get() : "");
    }
    default:
      break;
  }
  throw Error(ado::errc::kDataTypeMismatch, "Microsoft JET Database Engine",
              "A column of table '" + name_ + "' in '" + path_ +
                  "' has a data type that cannot be read (type " + std::to_string(type) + ").");
}

void Table::scan(const std::vector<size_t>& needed,
                 const std::function<void(const std::vector<Variant>&)>& onRow) {
  // Where each column's value goes in the row handed on (-1: not needed).
  std::vector<int> slot(columns_.size(), -1);
  for (size_t i = 0; i < needed.size(); ++i) slot[needed[i]] = static_cast<int>(i);
  std::vector<Variant> values(needed.size());
  std::vector<MdbField> fields(columns_.size());
  const int rowCountOffset = mdb_->fmt->row_count_offset;
  uint64_t rowsRead = 0;

  mdb_rewind_table(table_);
  while (mdb_read_next_dpg(table_)) {
    const int rows = mdb_get_int16(mdb_->pg_buf, rowCountOffset);
    if (rows < 0 || rows > 1000)
      throwDamaged(path_, "a data page of table '" + name_ + "' has an impossible row count");
    for (int row = 0; row < rows; ++row) {
      int start = 0;
      size_t size = 0;
      if (mdb_find_row(mdb_, row, &start, &size) != 0)
        throwDamaged(path_, "a row of table '" + name_ + "' lies outside its page");
      if (start & kDeletedRow) continue;
      const int count =
          size == 0 ? -1 : mdb_crack_row(table_, start & kOffsetMask, size, fields.data());
      if (count < 0) throwDamaged(path_, "a row of table '" + name_ + "' cannot be read");
      ++rowsRead;
      // libmdb fills a field for every column of the table, also for the
      // columns that a row written before they were added does not hold.
      for (size_t i = 0; i < fields.size(); ++i) {
        const MdbField& field = fields[i];
        if (field.colnum < 0 || field.colnum >= static_cast<int>(columns_.size()))
          throwDamaged(path_, "a row of table '" + name_ + "' names a column it does not have");
        const int type = columns_[field.colnum].type;
        if (type == MDB_DATETIME && !field.is_null &&
            (field.siz < 8 || !validDate(mdb_get_double(field.value, 0))))
          throwDamaged(path_,
                       "table '" + name_ + "' holds a date outside 1753-01-01 .. 9999-12-31");
        if (slot[field.colnum] >= 0) values[slot[field.colnum]] = decode(field, type);
      }
      onRow(values);
    }
  }
  if (rowsRead != table_->num_rows)
    throwDamaged(path_, "table '" + name_ + "' should hold " + std::to_string(table_->num_rows) +
                            " rows, but " + std::to_string(rowsRead) + " could be read");
}

}  // namespace vigilo::mdb
