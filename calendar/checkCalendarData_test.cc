#include "calendar/checkCalendarData.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/linux/mdb_database_engine.h"
#include "platform/ole_date.h"
#include "platform/profile_functions.h"
#include "platform/user_interface.h"
#include "startup/ProductProfile.h"
#include "testing/fake_info_message_windows.h"
#include "testing/test_platform.h"

namespace vigilo {
namespace {

using testing::ShownMessage;

std::string fixture(const std::string& name) {
  return std::string(VIGILO_SOURCE_DIR) + "/testing/data/mdb/" + name;
}

// An INI file in memory: "section/key" to value, names as the test writes them.
class FakeProfile : public ProfileFunctions {
 public:
  std::string getPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue, size_t,
                                      const std::string& file) override {
    const auto found = values.find(file + "|" + section + "/" + key);
    return found == values.end() ? defaultValue : found->second;
  }
  bool writePrivateProfileString(const std::string&, const std::string&,
                                 const std::optional<std::string>&, const std::string&) override {
    return false;
  }
  std::map<std::string, std::string> values;
};

constexpr const char* kIniFile = "/users/ini/Brivant RB.ini";
constexpr const char* kTitle = "Vigilo - by Brivant";
constexpr const char* kSecondLine =
    "Please contact your vendor to download calendar data for the next litugical year for free.";

double at(int year, int month, int day, int hour = 0, int minute = 0) {
  return oleDateFromCivil({year, month, day, hour, minute});
}

class CheckCalendarDataTest : public ::testing::Test {
 protected:
  CheckCalendarDataTest() {
    platform().profile = &profile_;
    platform().databases = &engine_;
    platform().infoWindows = &windows_;
    Profile().IniFile = kIniFile;
    Profile().AppTitle = kTitle;
    useDatabase(fixture("calendar.mdb"));
  }

  void useDatabase(const std::string& path) {
    profile_.values[std::string(kIniFile) + "|FILES/LiturgyFile"] = path;
  }

  std::string page(const char* name) const { return test_.installFolder() + "/" + name; }

  void installPages() {
    testing::writeFile(page("WarningMsgExpiredCalendar.htm"), "<p>Expired</p>");
    testing::writeFile(page("WarningMsgCalendar.htm"), "<p>Soon</p>");
  }

  // Runs the check at `now`; it always answers false.
  void checkAt(double now) {
    test_.clock.current = now;
    EXPECT_FALSE(mMain::checkCalendarData());
  }

  testing::TestPlatform test_;
  FakeProfile profile_;
  MdbDatabaseEngine engine_;
  testing::FakeInfoMessageWindows windows_;
};

enum class Notice { None, SoonExpiring, Expired };

struct ThresholdCase {
  const char* name;
  const char* database;
  double now;
  Notice expected;
};

// The last day of calendar.mdb is 2027-11-27; in calendar-timeofday.mdb it is
// 2027-11-27 too, at 18:30. Days count as calendar days: the data is still
// good on its last day, also in the afternoon.
const ThresholdCase kThresholds[] = {
    {"30 days before", "calendar.mdb", at(2027, 10, 28, 9), Notice::None},
    {"30 days before, evening", "calendar.mdb", at(2027, 10, 28, 23, 30), Notice::None},
    {"29 days before", "calendar.mdb", at(2027, 10, 29, 0, 1), Notice::SoonExpiring},
    {"29 days before, afternoon", "calendar.mdb", at(2027, 10, 29, 15), Notice::SoonExpiring},
    {"last day, morning", "calendar.mdb", at(2027, 11, 27, 11, 59), Notice::SoonExpiring},
    {"last day, afternoon", "calendar.mdb", at(2027, 11, 27, 12, 1), Notice::SoonExpiring},
    {"last day, midnight", "calendar.mdb", at(2027, 11, 27), Notice::SoonExpiring},
    {"day after, just past midnight", "calendar.mdb", at(2027, 11, 28, 0, 1), Notice::Expired},
    {"a year later", "calendar.mdb", at(2028, 11, 27, 12), Notice::Expired},
    {"long before", "calendar.mdb", at(2026, 12, 24, 18), Notice::None},
    {"timed, 30 days before, evening", "calendar-timeofday.mdb", at(2027, 10, 28, 20),
     Notice::None},
    {"timed, 29 days before, morning", "calendar-timeofday.mdb", at(2027, 10, 29, 6),
     Notice::SoonExpiring},
    {"timed, last day after the last time", "calendar-timeofday.mdb", at(2027, 11, 27, 23),
     Notice::SoonExpiring},
    {"timed, day after", "calendar-timeofday.mdb", at(2027, 11, 28, 0, 1), Notice::Expired},
};

TEST_F(CheckCalendarDataTest, NoticeWindowAroundTheThresholds) {
  installPages();
  // The start-up's busy pointer must be gone while the notice is up.
  std::vector<int> pointersAtShow;
  windows_.onShow = [&](const testing::FakeNoticeRecord&) { pointersAtShow = test_.ui.pointers; };
  for (const ThresholdCase& c : kThresholds) {
    SCOPED_TRACE(c.name);
    windows_.windows.clear();
    test_.ui.messages.clear();
    test_.ui.pointers = {kPointerBusy};
    pointersAtShow.clear();
    useDatabase(fixture(c.database));
    checkAt(c.now);
    EXPECT_TRUE(test_.ui.messages.empty());
    if (c.expected == Notice::None) {
      EXPECT_TRUE(windows_.windows.empty());
      continue;
    }
    ASSERT_EQ(windows_.windows.size(), 1u);
    const testing::FakeNoticeRecord& shown = *windows_.windows[0];
    EXPECT_EQ(shown.caption, kTitle);
    EXPECT_EQ(shown.pages, std::vector<std::string>{page(c.expected == Notice::Expired
                                                             ? "WarningMsgExpiredCalendar.htm"
                                                             : "WarningMsgCalendar.htm")});
    EXPECT_EQ(shown.label, "");
    EXPECT_EQ(shown.modalShows, 1);
    EXPECT_TRUE(shown.unloaded);
    ASSERT_FALSE(pointersAtShow.empty());
    EXPECT_EQ(pointersAtShow.back(), kPointerDefault);
  }
}

// Without its page, the notice is a message box with the same words.
TEST_F(CheckCalendarDataTest, MessageBoxWithoutThePages) {
  for (const ThresholdCase& c : kThresholds) {
    SCOPED_TRACE(c.name);
    test_.ui.messages.clear();
    useDatabase(fixture(c.database));
    checkAt(c.now);
    EXPECT_TRUE(windows_.windows.empty());
    if (c.expected == Notice::None) {
      EXPECT_TRUE(test_.ui.messages.empty());
      continue;
    }
    const std::string firstLine = c.expected == Notice::Expired
                                      ? "Your calendar data is expired."
                                      : "Your calendar data is soon expiring.";
    const ShownMessage box{firstLine + "\r\n" + kSecondLine, kMbIconInformation, kTitle};
    EXPECT_EQ(test_.ui.messages, std::vector<ShownMessage>{box});
  }
}

// Only the page that is needed must be there.
TEST_F(CheckCalendarDataTest, EachNoticeHasItsOwnPage) {
  testing::writeFile(page("WarningMsgCalendar.htm"), "<p>Soon</p>");
  checkAt(at(2027, 11, 28, 10));
  EXPECT_TRUE(windows_.windows.empty());
  ASSERT_EQ(test_.ui.messages.size(), 1u);
  EXPECT_EQ(test_.ui.messages[0].text,
            std::string("Your calendar data is expired.\r\n") + kSecondLine);
  checkAt(at(2027, 11, 20, 10));
  EXPECT_EQ(windows_.windows.size(), 1u);
  EXPECT_EQ(test_.ui.messages.size(), 1u);
}

TEST_F(CheckCalendarDataTest, NoDateNoNotice) {
  installPages();
  useDatabase(fixture("calendar-empty.mdb"));
  checkAt(at(2030, 1, 1));
  EXPECT_TRUE(windows_.windows.empty());
  EXPECT_TRUE(test_.ui.messages.empty());
}

// A query error is reported by the query alone; the check then ends silently.
TEST_F(CheckCalendarDataTest, MissingTable) {
  installPages();
  useDatabase(fixture("no-calendar.mdb"));
  checkAt(at(2030, 1, 1));
  EXPECT_TRUE(windows_.windows.empty());
  ASSERT_EQ(test_.ui.messages.size(), 1u);
  EXPECT_EQ(test_.ui.messages[0].text.rfind("Error in getResData: ", 0), 0u);
  EXPECT_NE(test_.ui.messages[0].text.find("'tbCalenderData'"), std::string::npos);
  EXPECT_EQ(test_.ui.messages[0].style, kMbIconError);
}

// Failures of the check itself: one "Error in checkCalendarData: " box with
// the program's title, and the start-up goes on.
TEST_F(CheckCalendarDataTest, Errors) {
  installPages();
  testing::ScopedTempDir dir;
  testing::writeFile(dir / "cut.mdb", std::string(4096 * 3 + 10, '\0'));
  const struct {
    const char* name;
    std::optional<std::string> liturgyFile;  // nothing: the key is missing
    const char* description;
  } cases[] = {
      {"key missing", std::nullopt,
       "No database file is named: the connection string's Data Source is missing or empty."},
      {"key empty", "",
       "No database file is named: the connection string's Data Source is missing or empty."},
      {"file missing", dir / "gone.mdb", "Could not find file '"},
      {"a folder", dir.path(), "is a folder, not a database file."},
      {"not a database", dir / "cut.mdb", "the file is not an Access database."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_.ui.messages.clear();
    profile_.values.clear();
    if (c.liturgyFile) useDatabase(*c.liturgyFile);
    checkAt(at(2030, 1, 1));
    EXPECT_TRUE(windows_.windows.empty());
    ASSERT_EQ(test_.ui.messages.size(), 1u);
    EXPECT_EQ(test_.ui.messages[0].text.rfind("Error in checkCalendarData: ", 0), 0u)
        << test_.ui.messages[0].text;
    EXPECT_NE(test_.ui.messages[0].text.find(c.description), std::string::npos)
        << test_.ui.messages[0].text;
    EXPECT_EQ(test_.ui.messages[0].style, kMbIconError);
    EXPECT_EQ(test_.ui.messages[0].caption, "");
  }
}

TEST_F(CheckCalendarDataTest, WindowThatCannotBeMade) {
  installPages();
  windows_.failure = [] {
    throw Error(errc::kCannotCreateObject, "frmInfoMsg",
                "The notice window cannot be shown: no display");
  };
  checkAt(at(2030, 1, 1));
  EXPECT_EQ(
      test_.ui.messages,
      (std::vector<ShownMessage>{
          {"Error in checkCalendarData: The notice window cannot be shown: no display", 16, ""}}));
}

}  // namespace
}  // namespace vigilo
