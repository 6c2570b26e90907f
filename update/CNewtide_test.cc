#include "update/CNewtide.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "update/update_test_support.h"

namespace vigilo {
namespace {

using testing::day;
using testing::dwordData;
using testing::textData;

class NewtideTest : public testing::UpdateTest {
 protected:
  // A new object for the product "Melodex Index".
  std::unique_ptr<CNewtide> newtide() {
    auto object = std::make_unique<CNewtide>();
    object->Program("Melodex Index");
    return object;
  }

  // The error that `action` raises; fails the test when it raises none.
  template <typename Action>
  Error failureOf(Action action) {
    try {
      action();
    } catch (const Error& e) {
      return e;
    }
    ADD_FAILURE() << "no failure";
    return Error(0, "", "");
  }
};

// --- LastRun -------------------------------------------------------------

TEST_F(NewtideTest, LastRunReadsTheShortDateAtMidnightAndIgnoresTextThatIsNoDate) {
  struct Case {
    std::optional<std::string> stored;
    double expected;
  };
  const Case cases[] = {
      {std::nullopt, 0},
      {"", 0},
      {"01.02.2026", day(2026, 2, 1)},
      {"01.02.2026 17:30:00", day(2026, 2, 1, 17, 30)},
      {"2026-02-01", 0},  // another locale's format
      {"02/01/2026", 0},
      {"soon", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.value_or("(absent)"));
    resetRegistry();
    if (c.stored) setUser("LastRun", textData(*c.stored));
    EXPECT_EQ(newtide()->LastRun().value, c.expected);
  }
}

TEST_F(NewtideTest, LastRunThatIsNoDateKeepsTheCachedValue) {
  auto object = newtide();
  object->LastRun(Date{day(2026, 3, 1)});
  setUser("LastRun", textData("not a date"));
  EXPECT_EQ(object->LastRun().value, day(2026, 3, 1));
}

TEST_F(NewtideTest, SettingLastRunStoresTheDateAloneAndOnlyWhenItChanges) {
  auto object = newtide();
  object->LastRun(Date{day(2026, 3, 9, 23, 59)});
  EXPECT_EQ(userText("LastRun"), "09.03.2026");
  EXPECT_EQ(object->LastRun().value, day(2026, 3, 9));

  const int writes = machine.registry.writes;
  object->LastRun(Date{day(2026, 3, 9)});  // the cache holds it now
  EXPECT_EQ(machine.registry.writes, writes);
  object->LastRun(Date{day(2026, 3, 10)});
  EXPECT_EQ(machine.registry.writes, writes + 1);
  EXPECT_EQ(userText("LastRun"), "10.03.2026");
}

// --- Interval ------------------------------------------------------------

TEST_F(NewtideTest, IntervalOfTheUserElseOfTheMachine) {
  struct Case {
    std::optional<int32_t> user, machine;
    int32_t expected;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, 0},
      {std::nullopt, 14, 14},
      {0, 14, 14},
      {3, 14, 3},
      {-2, 14, -2},
      {std::nullopt, -1, -1},
  };
  for (const Case& c : cases) {
    resetRegistry();
    if (c.user) setUser("Interval", dwordData(*c.user));
    if (c.machine) setMachine("Interval", dwordData(*c.machine));
    EXPECT_EQ(newtide()->Interval(), c.expected);
    EXPECT_EQ(user("Interval"), c.user ? std::optional(dwordData(*c.user)) : std::nullopt)
        << "the getter wrote";
  }
}

TEST_F(NewtideTest, SettingIntervalToZeroOrLessChangesNothing) {
  auto object = newtide();
  for (int32_t ignored : {0, -1, INT32_MIN}) object->Interval(ignored);
  EXPECT_EQ(machine.registry.writes, 0);

  object->Interval(7);
  EXPECT_EQ(user("Interval"), dwordData(7));
  object->Interval(7);  // equal to the cache
  object->Interval(-7);
  EXPECT_EQ(machine.registry.writes, 1);
  EXPECT_EQ(object->Interval(), 7);
}

// --- Enabled -------------------------------------------------------------

TEST_F(NewtideTest, EnabledReadsTheUsersTextElseTheMachinesTruthValue) {
  struct Case {
    std::optional<RegistryData> user, machine;
    bool expected;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, true},     {textData("False"), dwordData(1), false},
      {textData("tRUE"), dwordData(0), true}, {textData("0"), std::nullopt, false},
      {textData("5"), std::nullopt, true},    {textData("-1"), std::nullopt, true},
      {textData(""), dwordData(0), false},    {std::nullopt, textData("False"), false},
      {dwordData(0), std::nullopt, false},  // as WriteBool stores it
      {dwordData(1), dwordData(0), true},
  };
  for (const Case& c : cases) {
    resetRegistry();
    if (c.user) setUser("Enabled", *c.user);
    if (c.machine) setMachine("Enabled", *c.machine);
    auto object = newtide();
    EXPECT_EQ(object->Enabled(), c.expected);
  }
}

TEST_F(NewtideTest, EnabledTextThatIsNoTruthValueIsATypeMismatch) {
  for (const char* text : {"yes", "T", "1,5x"}) {
    setUser("Enabled", textData(text));
    auto object = newtide();
    const Error e = failureOf([&] { object->Enabled(); });
    EXPECT_EQ(e.number(), errc::kTypeMismatch) << text;
    EXPECT_EQ(e.description(), "Type mismatch (CNewtide.Enabled[PropertyGet])") << text;
  }
}

TEST_F(NewtideTest, SettingEnabledWritesEveryTimeAndReadsBackTheSame) {
  auto object = newtide();
  for (bool value : {true, true, false}) {
    const int writes = machine.registry.writes;
    object->Enabled(value);
    EXPECT_EQ(machine.registry.writes, writes + 1);
    EXPECT_EQ(object->Enabled(), value);
  }
}

// --- ClientFile and Program -----------------------------------------------

TEST_F(NewtideTest, ClientFileAsSetElseTheMachinesElseBesideTheProgram) {
  setMachine("ClientData", textData("/srv/update/Update.cli"));
  auto object = newtide();
  object->ClientFile("/home/me/My Update.cli");
  EXPECT_EQ(object->ClientFile(), "/home/me/My Update.cli");
  EXPECT_TRUE(registry.reads.empty());

  EXPECT_EQ(newtide()->ClientFile(), "/srv/update/Update.cli");

  resetRegistry();
  auto beside = newtide();
  EXPECT_EQ(beside->ClientFile(), machine.installFolder() + "/Update.cli");
  // Later reads do not look again.
  setMachine("ClientData", textData("/srv/update/Update.cli"));
  EXPECT_EQ(beside->ClientFile(), machine.installFolder() + "/Update.cli");

  // A program in the root folder: the folder is empty, the path still whole.
  platform().executablePath = "/vigilo";
  resetRegistry();
  EXPECT_EQ(newtide()->ClientFile(), "/Update.cli");
}

TEST_F(NewtideTest, ProgramNamesTheApplicationPartOfEveryLocation) {
  CNewtide object;
  object.Program("Cantilo - by Brivant");
  EXPECT_EQ(object.Program(), "Cantilo - by Brivant");
  object.Interval(3);
  EXPECT_EQ(
      machine.registry.queryValue(
          kHkeyCurrentUser, "SOFTWARE\\Fennick Data AS\\Cantilo - by Brivant\\Newtide", "Interval"),
      dwordData(3));
}

// --- Construction and destruction ----------------------------------------

TEST_F(NewtideTest, DestructionWritesTheEnabledCacheForTheUser) {
  newtide()->Enabled(true);
  setUser("Enabled", textData("False"));  // changed behind the object's back...
  {
    auto object = newtide();
    object->Enabled(true);
    setUser("Enabled", textData("False"));
  }
  EXPECT_EQ(user("Enabled"), dwordData(1));  // ...and written again as it holds it

  // An object that never touched Enabled writes its initial false.
  resetRegistry();
  newtide().reset();
  EXPECT_EQ(user("Enabled"), dwordData(0));
}

TEST_F(NewtideTest, DestructionSwallowsAFailedWrite) {
  auto object = newtide();
  machine.registry.refuseWrites = true;
  EXPECT_NO_THROW(object.reset());
}

TEST_F(NewtideTest, ConstructionFailureIsTaggedInitialize) {
  components.fail(
      testing::kRegistrySettingsClassId,
      Error(errc::kCannotCreateObject, "Components", "ActiveX component can't create object"));
  const Error e = failureOf([] { CNewtide object; });
  EXPECT_EQ(e.number(), errc::kCannotCreateObject);
  EXPECT_EQ(e.source(), "Components");
  EXPECT_EQ(e.description(), "ActiveX component can't create object (CNewtide.Initialize)");
}

// --- Failure tags ----------------------------------------------------------

TEST_F(NewtideTest, EachMemberTagsAFailureOfTheStoreWithItsOwnName) {
  auto object = newtide();
  machine.registry.refuseWrites = true;
  struct Case {
    std::function<void()> action;
    const char* tag;
  };
  const Case cases[] = {
      {[&] { object->LastRun(Date{day(2026, 1, 1)}); }, " (CNewtide.LastRun[PropertyLet])"},
      {[&] { object->Interval(5); }, " (CNewtide.Interval[PropertyLet])"},
      {[&] { object->Enabled(true); }, " (CNewtide.Enabled[PropertyLet])"},
  };
  for (const Case& c : cases) {
    const Error e = failureOf(c.action);
    EXPECT_EQ(e.number(), errc::kPermissionDenied);
    EXPECT_EQ(e.source(), "cRegistrySettings");
    ASSERT_GE(e.description().size(), std::string(c.tag).size());
    EXPECT_TRUE(e.description().ends_with(c.tag)) << e.description();
    EXPECT_EQ(e.description().find(" (CNewtide."), e.description().size() - strlen(c.tag))
        << "one tag only: " << e.description();
  }
  // The caches took the new values before the writes failed.
  machine.registry.refuseWrites = false;
  EXPECT_EQ(object->LastRun().value, day(2026, 1, 1));
}

TEST_F(NewtideTest, GettersTagTheirFailures) {
  setUser("LastRun", RegistryData{kRegBinary, {1}});
  setUser("Interval", textData("many"));
  setMachine("ClientData", RegistryData{kRegBinary, {1}});
  auto object = newtide();
  EXPECT_TRUE(failureOf([&] { object->LastRun(); })
                  .description()
                  .ends_with("text (CNewtide.LastRun[PropertyGet])"));
  EXPECT_TRUE(failureOf([&] { object->Interval(); })
                  .description()
                  .ends_with("number (CNewtide.Interval[PropertyGet])"));
  EXPECT_TRUE(failureOf([&] { object->ClientFile(); })
                  .description()
                  .ends_with("text (CNewtide.ClientFile[PropertyGet])"));
}

}  // namespace
}  // namespace vigilo
