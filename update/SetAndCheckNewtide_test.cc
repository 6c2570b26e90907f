#include "update/SetAndCheckNewtide.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/error.h"
#include "startup/ProductProfile.h"
#include "update/update_test_support.h"

namespace vigilo {
namespace {

using testing::day;
using testing::dwordData;
using testing::textData;

class SetAndCheckNewtideTest : public testing::UpdateTest {
 protected:
  SetAndCheckNewtideTest() : savedProfile_(Profile()) {
    Profile().CountryVersion = 10021;
    Profile().DefaultUpdateInterval = 0;
    Profile().UseUpdateTool = true;
    tool_ = machine.root() / "Common Files/Brivant/Newtide/Update.exe";
    setSharedFolder(machine.root() / "Common Files/Brivant");
    createFile(tool_);
    createFile(clientFile_);
  }
  ~SetAndCheckNewtideTest() override { Profile() = savedProfile_; }

  void createFile(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    testing::writeFile(path, "");
  }

  void check() { mMain::SetAndCheckNewtide(nullptr); }

  const std::string clientFile_ = machine.installFolder() + "/Update.cli";
  std::string tool_;

 private:
  ProductProfile savedProfile_;
};

TEST_F(SetAndCheckNewtideTest, NoClientFileMeansNothingAtAll) {
  std::filesystem::remove(clientFile_);
  const int writes = machine.registry.writes;
  check();
  EXPECT_TRUE(components.requested.empty());
  EXPECT_EQ(machine.registry.writes, writes);
  EXPECT_TRUE(registry.reads.empty());
  EXPECT_TRUE(launcher.starts.empty());
}

TEST_F(SetAndCheckNewtideTest, FirstCheckEnablesStartsTheToolAndRecordsToday) {
  check();
  EXPECT_EQ(user("Enabled"), dwordData(1));
  EXPECT_FALSE(user("Interval"));  // the default 0 changes nothing
  ASSERT_EQ(launcher.starts.size(), 1u);
  EXPECT_EQ(launcher.starts[0].program, tool_);
  EXPECT_EQ(launcher.starts[0].arguments, std::vector<std::string>{"/C:" + clientFile_});
  EXPECT_EQ(userText("LastRun"), "10.03.2026");
  EXPECT_TRUE(machine.ui.messages.empty());
}

TEST_F(SetAndCheckNewtideTest, StartsAgainOnTheSameDayOnlyWhenTheIntervalIsZeroOrLess) {
  struct Case {
    const char* what;
    std::optional<int32_t> storedInterval;
    int32_t defaultInterval;
    size_t startsOnTheSameDay;
    std::optional<int32_t> intervalAfterwards;
  };
  const Case cases[] = {
      {"interval 7 stored", 7, 0, 1, 7},
      {"interval 0 stored, default 0", 0, 0, 2, 0},
      {"none stored, default 0", std::nullopt, 0, 2, std::nullopt},
      {"none stored, default 7: taken over", std::nullopt, 7, 1, 7},
      {"none stored, default negative", std::nullopt, -1, 2, std::nullopt},
      {"a negative interval stored", -3, 7, 2, -3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetRegistry();
    setSharedFolder(machine.root() / "Common Files/Brivant");
    launcher.starts.clear();
    if (c.storedInterval) setUser("Interval", dwordData(*c.storedInterval));
    Profile().DefaultUpdateInterval = c.defaultInterval;
    check();
    check();
    EXPECT_EQ(launcher.starts.size(), c.startsOnTheSameDay);
    EXPECT_EQ(user("Interval"), c.intervalAfterwards
                                    ? std::optional(dwordData(*c.intervalAfterwards))
                                    : std::nullopt);
  }
}

TEST_F(SetAndCheckNewtideTest, DueAgainOnceTheIntervalHasPassed) {
  setUser("Interval", dwordData(7));
  check();
  machine.clock.current = day(2026, 3, 16, 23, 59);
  check();
  EXPECT_EQ(launcher.starts.size(), 1u);
  machine.clock.current = day(2026, 3, 17, 0, 1);
  check();
  EXPECT_EQ(launcher.starts.size(), 2u);
  EXPECT_EQ(userText("LastRun"), "17.03.2026");
}

TEST_F(SetAndCheckNewtideTest, UserDisabledIsOverwrittenBeforeTheDecision) {
  setUser("Enabled", textData("False"));
  check();
  EXPECT_EQ(launcher.starts.size(), 1u);
  EXPECT_EQ(user("Enabled"), dwordData(1));
}

TEST_F(SetAndCheckNewtideTest, ProductNumberChoosesTheSettingsName) {
  Profile().CountryVersion = 1019;
  check();
  EXPECT_EQ(
      machine.registry.queryValue(
          kHkeyCurrentUser, "SOFTWARE\\Fennick Data AS\\Cantilo - by Brivant\\Newtide", "Enabled"),
      dwordData(1));
  EXPECT_FALSE(user("Enabled"));
}

TEST_F(SetAndCheckNewtideTest, UnknownProductShowsTheMessageAndStartsNothing) {
  Profile().CountryVersion = 1015;
  check();
  ASSERT_EQ(machine.ui.messages.size(), 1u);
  EXPECT_EQ(machine.ui.messages[0],
            (testing::ShownMessage{"Uups - missing source in SetAndCheckNewtide....", 16, ""}));
  EXPECT_TRUE(launcher.starts.empty());
  EXPECT_FALSE(user("LastRun"));
}

TEST_F(SetAndCheckNewtideTest, EveryFailureEndsTheCheckQuietly) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
  };
  const Case cases[] = {
      {"the tool missing", [&] { std::filesystem::remove(tool_); }},
      {"the tool a folder",
       [&] {
         std::filesystem::remove(tool_);
         std::filesystem::create_directory(tool_);
       }},
      {"the registry refuses writes", [&] { machine.registry.refuseWrites = true; }},
      {"no settings component",
       [&] { components.fail(testing::kRegistrySettingsClassId, Error(429, "Components", "no")); }},
      {"Interval unreadable", [&] { setUser("Interval", textData("weekly")); }},
      {"the start refused",
       [&] { launcher.failure = Error(70, "ProcessLauncher", "Cannot start"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetRegistry();
    setSharedFolder(machine.root() / "Common Files/Brivant");
    std::filesystem::remove_all(tool_);
    createFile(tool_);
    c.arrange();
    EXPECT_NO_THROW(check());
    EXPECT_TRUE(machine.ui.messages.empty());
    EXPECT_FALSE(user("LastRun"));  // so the next start tries again
    launcher.failure.reset();
    components.add(testing::kRegistrySettingsClassId,
                   []() -> ObjectRef { return std::make_shared<cRegistrySettings>(); });
  }
  EXPECT_TRUE(launcher.starts.empty());
}

}  // namespace
}  // namespace vigilo
