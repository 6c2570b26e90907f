#include "platform/linux/mdb_database_engine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/error.h"
#include "platform/platform.h"
#include "testing/fake_clock.h"
#include "testing/scoped_temp_dir.h"

namespace vigilo {
namespace {

using testing::ScopedTempDir;

std::string fixture(const std::string& name) {
  return std::string(VIGILO_SOURCE_DIR) + "/testing/data/mdb/" + name;
}

std::string connectionString(const std::string& path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";";
}

constexpr const char* kNewestDate = "SELECT TOP 1 [Date] FROM tbCalenderData ORDER BY Date DESC";

class MdbDatabaseEngineTest : public ::testing::Test {
 protected:
  MdbDatabaseEngineTest() : installed_(services()) {}

  Platform services() {
    Platform p;
    p.regional = &regional_;
    p.databases = &engine_;
    return p;
  }

  std::shared_ptr<ado::Connection> open(const std::string& path) {
    auto connection = engine_.createConnection();
    connection->Open(connectionString(path));
    return connection;
  }

  std::shared_ptr<ado::Recordset> query(ado::Connection& connection, const std::string& sql,
                                        int cursor = ado::adOpenKeyset) {
    auto recordset = engine_.createRecordset();
    recordset->Open(sql, connection, cursor, ado::adLockReadOnly);
    return recordset;
  }

  // The values of the first field of every row.
  std::vector<Variant> column(ado::Connection& connection, const std::string& sql) {
    auto recordset = query(connection, sql);
    std::vector<Variant> values;
    for (; !recordset->Eof(); recordset->MoveNext()) values.push_back(recordset->Item(0).Value);
    return values;
  }

  std::vector<int32_t> ids(ado::Connection& connection, const std::string& sql) {
    std::vector<int32_t> result;
    for (const Variant& v : column(connection, sql)) result.push_back(v.toLong());
    return result;
  }

  testing::FakeRegionalSettings regional_;
  MdbDatabaseEngine engine_;
  ScopedPlatform installed_;
};

// Runs `action` and returns the Error it raised (the test fails without one).
template <typename Action>
Error errorOf(Action action) {
  try {
    action();
  } catch (const Error& e) {
    return e;
  }
  ADD_FAILURE() << "no error was raised";
  return Error(0, "", "");
}

TEST_F(MdbDatabaseEngineTest, NewestDateOfTheCalendar) {
  auto db = open(fixture("calendar.mdb"));
  auto rs = query(*db, kNewestDate);
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->FieldCount(), 1);
  EXPECT_EQ(rs->Item(0).Name, "Date");
  EXPECT_EQ(rs->Item(0).Value, Variant(Date{46718.0}));
  EXPECT_EQ(ids(*db, "SELECT TOP 1 ID, [Date] FROM tbCalenderData ORDER BY Date DESC"),
            std::vector<int32_t>{39});
  // Neither the physical nor the ID order is the date order; NULL sorts first.
  EXPECT_EQ(ids(*db, "select top 5 id from [tbcalenderdata] order by [DATE] desc"),
            (std::vector<int32_t>{39, 20, 48, 57, 6}));
  EXPECT_EQ(ids(*db, "SELECT TOP 2 ID FROM tbCalenderData ORDER BY Date"),
            (std::vector<int32_t>{21, 23}));
}

TEST_F(MdbDatabaseEngineTest, NewestDateWithATimeOfDay) {
  auto db = open(fixture("calendar-timeofday.mdb"));
  auto rs = query(*db, "SELECT TOP 3 [Date], ID FROM tbCalenderData ORDER BY Date DESC");
  ASSERT_EQ(rs->RecordCount(), 3);
  const Array2D rows = rs->GetRows().array();
  EXPECT_EQ(rows.at(0, 0), Variant(Date{46718.770833333336}));
  EXPECT_EQ(rows.at(1, 0), Variant(int32_t{39}));
  EXPECT_EQ(rows.at(0, 1), Variant(Date{46717.999995370374}));  // 2027-11-26 23:59:59.6
  EXPECT_EQ(rows.at(1, 1), Variant(int32_t{65}));
  EXPECT_EQ(rows.at(1, 2), Variant(int32_t{20}));
}

TEST_F(MdbDatabaseEngineTest, NewestDateOfTheLargeCalendar) {
  auto db = open(fixture("calendar-large.mdb"));
  auto rs = query(*db, "SELECT TOP 1 [Date], ID FROM tbCalenderData ORDER BY Date DESC");
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Item(0).Value, Variant(Date{46718.0}));
  EXPECT_EQ(rs->Item("id").Value, Variant(int32_t{123457}));
}

TEST_F(MdbDatabaseEngineTest, NullAndEmptyTextAreToldApart) {
  auto db = open(fixture("calendar.mdb"));
  EXPECT_EQ(column(*db, "SELECT Name FROM tbCalenderData WHERE ID = 37"),
            std::vector<Variant>{Variant("")});
  EXPECT_EQ(column(*db, "SELECT Name FROM tbCalenderData WHERE ID = 9"),
            std::vector<Variant>{Variant::null()});
  EXPECT_EQ(column(*db, "SELECT [Date] FROM tbCalenderData WHERE ID = 21"),
            std::vector<Variant>{Variant::null()});
  EXPECT_EQ(ids(*db, "SELECT ID FROM tbCalenderData WHERE Name IS NULL ORDER BY ID"),
            (std::vector<int32_t>{9, 13, 40, 52, 56, 63}));
  EXPECT_EQ(ids(*db, "SELECT ID FROM tbCalenderData WHERE Name = ''"), std::vector<int32_t>{37});
  // Text arrives as UTF-8, quotes untouched.
  EXPECT_EQ(column(*db, "SELECT Name FROM tbCalenderData WHERE ID = 48"),
            std::vector<Variant>{Variant("Bu\xc3\x9f- und Bettag")});
  EXPECT_EQ(column(*db, "SELECT Title FROM tbInfo WHERE ID = 3"),
            std::vector<Variant>{Variant("Third row, with 'quotes' and \"double quotes\"")});
}

TEST_F(MdbDatabaseEngineTest, WhereConditions) {
  auto db = open(fixture("calendar.mdb"));
  const struct {
    const char* where;
    std::vector<int32_t> ids;
  } cases[] = {
      {"ID = 39", {39}},
      {"ID < 3", {1, 2}},
      {"NOT ID > 2", {1, 2}},
      {"ID <= 2 OR ID >= 64", {1, 2, 64}},
      {"ID != 1 AND ID <> 2 AND ID < 4", {3}},
      {"[Date] >= #11/21/2027#", {20, 39}},
      {"tbCalenderData.Date > #2027-11-20 12:00#", {20, 39}},
      {"Date < -1", {}},
      {"Date = NULL", {}},  // a comparison with NULL is never true
      {"Name LIKE 'sunday no. 5%'", {6, 8, 20, 57}},
      {"Name NOT LIKE '%a%' AND ID < 20", {}},
      {"Name IS NULL OR ID = 1", {1, 9, 13, 40, 52, 56, 63}},
      {"(ID = 1 OR ID = 2) AND Name = 'EPIPHANY'", {1}},
      {"Name = 'Buß- und Bettag'", {48}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(
        ids(*db, std::string("SELECT ID FROM tbCalenderData WHERE ") + c.where + " ORDER BY ID;"),
        c.ids)
        << c.where;
}

// As in the Jet engine, TOP n with ORDER BY keeps the rows that tie with the n-th.
TEST_F(MdbDatabaseEngineTest, TopKeepsTies) {
  auto db = open(fixture("calendar.mdb"));
  EXPECT_EQ(query(*db, "SELECT TOP 1 Name FROM tbCalenderData ORDER BY Name")->RecordCount(), 6);
  EXPECT_EQ(ids(*db, "SELECT TOP 2 ID FROM tbCalenderData"), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(query(*db, "SELECT TOP 100 * FROM tbCalenderData")->RecordCount(), 64);
}

TEST_F(MdbDatabaseEngineTest, CursorAndFields) {
  auto db = open(fixture("calendar.mdb"));
  auto rs = query(*db, "SELECT * FROM tbInfo ORDER BY ID DESC");
  EXPECT_EQ(rs->RecordCount(), 3);
  EXPECT_FALSE(rs->Bof());
  EXPECT_EQ(rs->FieldCount(), 2);
  EXPECT_EQ(rs->Item(1).Name, "Title");
  EXPECT_EQ(rs->Item("TITLE").Value, Variant("Third row, with 'quotes' and \"double quotes\""));
  EXPECT_EQ(errorOf([&] { rs->Item(2); }).number(), ado::errc::kItemNotFound);
  EXPECT_EQ(errorOf([&] { rs->Item("Nope"); }).number(), ado::errc::kItemNotFound);

  // GetRows: fields by rows, from the current row on.
  rs->MoveNext();
  const Array2D rest = rs->GetRows(-1).array();
  EXPECT_EQ(rest.fields, 2u);
  EXPECT_EQ(rest.rows, 2u);
  EXPECT_EQ(rest.at(0, 0), Variant(int32_t{2}));
  EXPECT_EQ(rest.at(1, 1), Variant("First info row"));
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(errorOf([&] { rs->Item(0); }).number(), ado::errc::kNoCurrentRecord);
  EXPECT_EQ(errorOf([&] { rs->GetRows(); }).number(), ado::errc::kNoCurrentRecord);
  rs->MoveFirst();
  EXPECT_EQ(rs->GetRows(2).array().rows, 2u);
  EXPECT_EQ(rs->GetRows(5).array().rows, 1u);

  // Late bound, as a record set handed on in a Variant is used.
  EXPECT_EQ(rs->get("recordcount"), Variant(int32_t{3}));
  EXPECT_EQ(rs->get("EOF"), Variant(true));
  rs->call("MoveFirst", {});
  EXPECT_EQ(rs->call("Fields", {Variant(int32_t{0})}), Variant(int32_t{3}));
  rs->Close();
  EXPECT_EQ(errorOf([&] { rs->RecordCount(); }).number(), ado::errc::kObjectClosed);

  // A forward-only cursor does not know its count, as with the Jet provider.
  EXPECT_EQ(query(*db, "SELECT ID FROM tbInfo", ado::adOpenForwardOnly)->RecordCount(), -1);
  EXPECT_EQ(db->Execute("SELECT ID FROM tbInfo")->RecordCount(), -1);
}

TEST_F(MdbDatabaseEngineTest, EmptyTable) {
  auto db = open(fixture("calendar-empty.mdb"));
  auto rs = query(*db, kNewestDate);
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_TRUE(rs->Bof());
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(errorOf([&] { rs->Item(0); }).number(), ado::errc::kNoCurrentRecord);
}

TEST_F(MdbDatabaseEngineTest, StatementErrors) {
  auto db = open(fixture("no-calendar.mdb"));
  const Error missingTable = errorOf([&] { query(*db, kNewestDate); });
  EXPECT_EQ(missingTable.number(), ado::errc::kTableNotFound);
  EXPECT_NE(missingTable.description().find("'tbCalenderData'"), std::string::npos);

  const struct {
    const char* sql;
    int32_t number;
  } cases[] = {
      {"SELECT Nope FROM tbInfo", ado::errc::kParameterMissing},
      {"SELECT ID FROM tbInfo ORDER BY Nope", ado::errc::kParameterMissing},
      {"SELECT ID FROM tbInfo WHERE Title = 3", ado::errc::kDataTypeMismatch},
      {"SELECT ID FROM tbInfo WHERE ID = 'x'", ado::errc::kDataTypeMismatch},
      {"SELECT ID FROM tbInfo WHERE ID LIKE '1%'", ado::errc::kDataTypeMismatch},
      {"SELECT ID FROM Other.tbInfo", ado::errc::kErrorsInCommand},
      {"SELECT ID FROM tbInfo WHERE x.ID = 1", ado::errc::kErrorsInCommand},
      {"SELECT", ado::errc::kErrorsInCommand},
      {"SELECT ID tbInfo", ado::errc::kErrorsInCommand},
      {"SELECT TOP 0 ID FROM tbInfo", ado::errc::kErrorsInCommand},
      {"SELECT TOP x ID FROM tbInfo", ado::errc::kErrorsInCommand},
      {"SELECT ID FROM tbInfo ORDER Date", ado::errc::kErrorsInCommand},
      {"SELECT ID FROM tbInfo WHERE", ado::errc::kErrorsInCommand},
      {"SELECT ID FROM tbInfo WHERE ID = 1 AND", ado::errc::kErrorsInCommand},
      {"SELECT ID FROM tbInfo WHERE (ID = 1", ado::errc::kErrorsInCommand},
      {"SELECT ID FROM tbInfo WHERE Title = 'open", ado::errc::kErrorsInCommand},
      {"SELECT ID FROM [tbInfo WHERE ID = 1", ado::errc::kErrorsInCommand},
      {"SELECT ID FROM tbInfo WHERE Date = #13/45/2020#", ado::errc::kErrorsInCommand},
      {"SELECT ID FROM tbInfo, tbCalenderData", ado::errc::kErrorsInCommand},
      {"SELECT DISTINCT ID FROM tbInfo", ado::errc::kErrorsInCommand},
      {"SELECT ID FROM tbInfo extra", ado::errc::kErrorsInCommand},
      {"SELECT ID FROM tbInfo WHERE ID = 1 $", ado::errc::kErrorsInCommand},
      {"SHOW TABLES", ado::errc::kErrorsInCommand},
      {"", ado::errc::kErrorsInCommand},
  };
  for (const auto& c : cases) {
    const Error e = errorOf([&] { query(*db, c.sql); });
    EXPECT_EQ(e.number(), c.number) << c.sql << ": " << e.description();
    if (c.number == ado::errc::kErrorsInCommand)
      EXPECT_NE(e.description().find(std::string("'") + c.sql + "'"), std::string::npos)
          << e.description();
  }
}

// The files are only ever read: a statement that changes data is refused.
TEST_F(MdbDatabaseEngineTest, ReadOnly) {
  auto db = open(fixture("calendar.mdb"));
  for (const char* sql :
       {"DELETE FROM tbInfo", "update tbInfo set Title = 'x'", "INSERT INTO tbInfo VALUES (4, 'x')",
        "DROP TABLE tbInfo", "SELECT * INTO tbCopy FROM tbInfo"}) {
    const Error e = errorOf([&] { db->Execute(sql); });
    EXPECT_EQ(e.number(), ado::errc::kProviderFailure) << sql;
    EXPECT_NE(e.description().find("read-only"), std::string::npos) << e.description();
    EXPECT_EQ(errorOf([&] { query(*db, sql); }).number(), ado::errc::kProviderFailure) << sql;
  }
  // "INTO" inside a quoted literal does not make a SELECT change data.
  EXPECT_TRUE(ids(*db, "SELECT ID FROM tbInfo WHERE Title = 'into'").empty());
}

TEST_F(MdbDatabaseEngineTest, ConnectionStates) {
  auto db = engine_.createConnection();
  EXPECT_FALSE(db->isOpen());
  EXPECT_EQ(errorOf([&] { db->Close(); }).number(), ado::errc::kObjectClosed);
  EXPECT_EQ(errorOf([&] { db->Execute("SELECT ID FROM tbInfo"); }).number(),
            ado::errc::kObjectClosed);
  EXPECT_EQ(errorOf([&] { query(*db, "SELECT ID FROM tbInfo"); }).number(), 3709);

  // Blanks, quotes and the case of keys do not matter.
  db->Open(" provider = microsoft.jet.oledb.4.0 ; DATA SOURCE='" + fixture("calendar.mdb") +
           "' ;Persist Security Info=False");
  EXPECT_TRUE(db->isOpen());
  EXPECT_EQ(errorOf([&] { db->Open(connectionString(fixture("calendar.mdb"))); }).number(),
            ado::errc::kObjectOpen);
  auto rs = query(*db, "SELECT ID FROM tbInfo");
  db->Close();
  EXPECT_FALSE(db->isOpen());
  EXPECT_EQ(rs->RecordCount(), 3);  // the rows were read when the record set opened
}

TEST_F(MdbDatabaseEngineTest, ConnectionStringErrors) {
  const std::string path = fixture("calendar.mdb");
  const struct {
    std::string text;
    int32_t number;
  } cases[] = {
      {"Data Source=" + path, ado::errc::kProviderNotFound},
      {"Provider=SQLOLEDB;Data Source=" + path, ado::errc::kProviderNotFound},
      {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + path, ado::errc::kProviderNotFound},
      {"Provider=Microsoft.Jet.OLEDB.4.0;", ado::errc::kProviderFailure},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=;", ado::errc::kProviderFailure},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + path, ado::errc::kInvalidArgument},
      {"Provider=Microsoft.Jet.OLEDB.4.0;nonsense;Data Source=" + path,
       ado::errc::kInvalidArgument},
  };
  for (const auto& c : cases) {
    auto db = engine_.createConnection();
    const Error e = errorOf([&] { db->Open(c.text); });
    EXPECT_EQ(e.number(), c.number) << c.text << ": " << e.description();
    EXPECT_FALSE(db->isOpen());
  }
}

// A copy of calendar.mdb changed by `damage`.
std::string damagedCopy(const ScopedTempDir& dir, const std::string& name,
                        void (*damage)(std::string& bytes)) {
  std::ifstream in(fixture("calendar.mdb"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  damage(bytes);
  const std::string path = dir / name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

constexpr size_t kPage = 4096;
constexpr size_t kCalendarDefinitionPage = 24;  // tbCalenderData's table definition
constexpr size_t kCalendarDataPage = 27;        // its only data page

void fillPage(std::string& bytes, size_t page, unsigned seed) {
  for (size_t i = 0; i < kPage; ++i)
    bytes[page * kPage + i] = static_cast<char>(seed ? (i * 7919 + seed) % 251 : 0);
}

// A damaged file is a database error, never a silently wrong answer.
TEST_F(MdbDatabaseEngineTest, DamagedFiles) {
  ScopedTempDir dir;
  mkdir((dir / "folder.mdb").c_str(), 0755);
  testing::writeFile(dir / "empty.mdb", "");
  testing::writeFile(dir / "text.mdb", std::string(3 * kPage, 'x'));
  const struct {
    std::string path;
    const char* expected;  // part of the description
  } cases[] = {
      {dir / "missing.mdb", "Could not find file"},
      {dir / "folder.mdb", "is a folder"},
      {dir / "empty.mdb", "empty"},
      {dir / "text.mdb", "not an Access database"},
      {damagedCopy(dir, "jet3.mdb", [](std::string& b) { b[0x14] = 0; }), "Jet 4"},
      {damagedCopy(dir, "cut.mdb", [](std::string& b) { b.resize(b.size() - 100); }),
       "not a whole number of 4096-byte pages"},
      {damagedCopy(dir, "cut-pages.mdb", [](std::string& b) { b.resize(20 * kPage); }), "damaged"},
      {damagedCopy(dir, "no-data.mdb", [](std::string& b) { b.resize(27 * kPage); }),
       "should hold 64 rows"},
      {damagedCopy(dir, "zero-data.mdb", [](std::string& b) { fillPage(b, kCalendarDataPage, 0); }),
       "should hold 64 rows"},
      {damagedCopy(dir, "noise-data.mdb",
                   [](std::string& b) { fillPage(b, kCalendarDataPage, 13); }),
       "damaged"},
      {damagedCopy(dir, "noise-definition.mdb",
                   [](std::string& b) { fillPage(b, kCalendarDefinitionPage, 29); }),
       "damaged"},
      {damagedCopy(dir, "far-date.mdb",
                   [](std::string& b) {
                     // ID 39's 2027-11-27 becomes a date after 9999-12-31.
                     double newest = 46718.0, far = 3.0e6;
                     const std::string needle(reinterpret_cast<char*>(&newest), 8);
                     const size_t at = b.find(needle, kCalendarDataPage * kPage);
                     ASSERT_NE(at, std::string::npos);
                     std::memcpy(&b[at], &far, 8);
                   }),
       "outside 1753-01-01 .. 9999-12-31"},
  };
  for (const auto& c : cases) {
    const Error e = errorOf([&] {
      auto db = open(c.path);
      query(*db, kNewestDate);
    });
    EXPECT_NE(e.description().find(c.expected), std::string::npos)
        << c.path << ": " << e.description();
    EXPECT_NE(e.description().find(c.path), std::string::npos) << e.description();
  }
}

// libmdb searches MDBPATH for a file it cannot find; the layer never lets it.
TEST_F(MdbDatabaseEngineTest, MissingFileIgnoresMdbPath) {
  setenv("MDBPATH", ":", 1);
  auto db = engine_.createConnection();
  EXPECT_EQ(errorOf([&] { db->Open(connectionString("calendar.mdb")); }).number(),
            ado::errc::kProviderFailure);
  unsetenv("MDBPATH");
}

}  // namespace
}  // namespace vigilo
