#include "calendar/mADO.h"

#include <gtest/gtest.h>

#include "platform/linux/mdb_database_engine.h"
#include "platform/platform.h"
#include "platform/user_interface.h"
#include "testing/fake_clock.h"
#include "testing/fake_user_interface.h"

namespace vigilo {
namespace {

using testing::ShownMessage;

std::string fixture(const std::string& name) {
  return std::string(VIGILO_SOURCE_DIR) + "/testing/data/mdb/" + name;
}

constexpr const char* kNewestDate = "SELECT TOP 1 [Date] FROM tbCalenderData ORDER BY Date DESC";

class GetResDataTest : public ::testing::Test {
 protected:
  GetResDataTest() : installed_(services()) {}

  Platform services() {
    Platform p;
    p.ui = &ui_;
    p.regional = &regional_;
    p.databases = &engine_;
    return p;
  }

  ado::Connection& open(const std::string& name) {
    connection_ = engine_.createConnection();
    connection_->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + fixture(name) + ";");
    return *connection_;
  }

  testing::FakeUserInterface ui_;
  testing::FakeRegionalSettings regional_;  // dd.mm.yyyy
  MdbDatabaseEngine engine_;
  ScopedPlatform installed_;
  std::shared_ptr<ado::Connection> connection_;
};

// Mode 1: the first field of the first row as text.
TEST_F(GetResDataTest, SingleValueAsText) {
  ado::Connection& db = open("calendar.mdb");
  EXPECT_EQ(mADO::getResData(db, kNewestDate, 1, false), Variant("27.11.2027"));
  EXPECT_EQ(mADO::getResData(db, "SELECT ID FROM tbCalenderData WHERE Name = 'Epiphany'", 1, false),
            Variant("1"));
  // NULL and no rows give "", without a message.
  EXPECT_EQ(mADO::getResData(db, "SELECT Name FROM tbCalenderData WHERE ID = 9", 1, false),
            Variant(""));
  EXPECT_EQ(mADO::getResData(db, "SELECT ID FROM tbCalenderData WHERE ID > 99", 1, false),
            Variant(""));
  EXPECT_TRUE(ui_.messages.empty());
}

// The date's text reads back as the same date and time of day.
TEST_F(GetResDataTest, DateTextReadsBack) {
  ado::Connection& db = open("calendar-timeofday.mdb");
  const Variant text = mADO::getResData(db, kNewestDate, 1, false);
  EXPECT_EQ(text, Variant("27.11.2027 18:30:00"));
  EXPECT_EQ(text.toDate(), Date{46718.770833333333});
  const Variant edge =
      mADO::getResData(db, "SELECT [Date] FROM tbCalenderData WHERE ID = 65", 1, false);
  EXPECT_EQ(edge, Variant("26.11.2027 23:59:59"));  // never "24:00:00"
}

TEST_F(GetResDataTest, EmptyTable) {
  ado::Connection& db = open("calendar-empty.mdb");
  EXPECT_EQ(mADO::getResData(db, kNewestDate, 1, false), Variant(""));
  EXPECT_TRUE(mADO::getResData(db, kNewestDate, 3, false).isEmpty());
  EXPECT_TRUE(ui_.messages.empty());
}

// Mode 2 hands over the open record set.
TEST_F(GetResDataTest, RecordSet) {
  ado::Connection& db = open("calendar.mdb");
  const Variant result = mADO::getResData(db, "SELECT * FROM tbInfo ORDER BY ID", 2, false);
  auto recordset = std::dynamic_pointer_cast<ado::Recordset>(result.toObject());
  ASSERT_TRUE(recordset);
  EXPECT_TRUE(recordset->isOpen());
  EXPECT_EQ(recordset->RecordCount(), 3);
  EXPECT_EQ(recordset->Item("Title").Value, Variant("First info row"));
  EXPECT_EQ(result.toObject()->get("EOF"), Variant(false));
}

// Mode 3: all rows, fields by rows.
TEST_F(GetResDataTest, AllRows) {
  ado::Connection& db = open("calendar.mdb");
  const Variant result = mADO::getResData(
      db, "SELECT ID, Name FROM tbCalenderData WHERE ID <= 3 ORDER BY ID DESC", 3, false);
  const Array2D& rows = result.array();
  EXPECT_EQ(rows.fields, 2u);
  EXPECT_EQ(rows.rows, 3u);
  EXPECT_EQ(rows.at(0, 0), Variant(int32_t{3}));
  EXPECT_EQ(rows.at(1, 2), Variant("Epiphany"));
}

// Mode 4 runs a command; other modes open the statement and return Empty.
TEST_F(GetResDataTest, CommandAndOtherModes) {
  ado::Connection& db = open("calendar.mdb");
  EXPECT_EQ(mADO::getResData(db, "SELECT ID FROM tbInfo", 4, false), Variant(true));
  for (int16_t mode : {0, 5, -1})
    EXPECT_TRUE(mADO::getResData(db, "SELECT ID FROM tbInfo", mode, false).isEmpty());
  EXPECT_TRUE(ui_.messages.empty());
  // Other modes still run the statement: its errors are reported.
  EXPECT_TRUE(mADO::getResData(db, "SELECT ID FROM tbNone", 7, false).isEmpty());
  EXPECT_EQ(ui_.messages.size(), 1u);
}

// Every failure gives the box (unless silent) and an empty result.
TEST_F(GetResDataTest, Errors) {
  ado::Connection& db = open("no-calendar.mdb");
  for (int16_t mode : {1, 2, 3, 4}) {
    ui_.messages.clear();
    EXPECT_TRUE(mADO::getResData(db, kNewestDate, mode, false).isEmpty()) << mode;
    ASSERT_EQ(ui_.messages.size(), 1u) << mode;
    EXPECT_EQ(ui_.messages[0].text,
              "Error in getResData: The Microsoft Jet database engine cannot find the input table "
              "or query 'tbCalenderData' in '" +
                  fixture("no-calendar.mdb") +
                  "'. Make sure it exists and that its name is spelled correctly., -2147217865");
    EXPECT_EQ(ui_.messages[0].style, kMbIconError);
    EXPECT_EQ(ui_.messages[0].caption, "");  // the program's title

    ui_.messages.clear();
    EXPECT_TRUE(mADO::getResData(db, kNewestDate, mode, true).isEmpty()) << mode;
    EXPECT_TRUE(ui_.messages.empty()) << mode;
  }
  // A statement that would change data, and a syntax error.
  ui_.messages.clear();
  EXPECT_TRUE(mADO::getResData(db, "DELETE FROM tbInfo", 4, false).isEmpty());
  EXPECT_TRUE(mADO::getResData(db, "SELECT FROM tbInfo", 1, false).isEmpty());
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_NE(ui_.messages[0].text.find("read-only"), std::string::npos);
  EXPECT_NE(ui_.messages[1].text.find("'SELECT FROM tbInfo'"), std::string::npos);
  EXPECT_NE(ui_.messages[1].text.find(", -2147217900"), std::string::npos);

  // A closed connection.
  ui_.messages.clear();
  db.Close();
  EXPECT_TRUE(mADO::getResData(db, "SELECT ID FROM tbInfo", 1, false).isEmpty());
  EXPECT_TRUE(mADO::getResData(db, "SELECT ID FROM tbInfo", 4, false).isEmpty());
  EXPECT_EQ(ui_.messages.size(), 2u);
}

}  // namespace
}  // namespace vigilo
