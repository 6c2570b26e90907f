// The decision whether the update tool is due, and its start.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/error.h"
#include "update/CNewtide.h"
#include "update/update_test_support.h"

namespace vigilo {
namespace {

using testing::day;
using testing::dwordData;
using testing::textData;

class NewtideRunTest : public testing::UpdateTest {
 protected:
  NewtideRunTest() {
    object_ = std::make_unique<CNewtide>();
    object_->Program("Melodex Index");
  }

  CNewtide& newtide() { return *object_; }

  // Puts a file at `path`, creating its folders.
  void createFile(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    testing::writeFile(path, "");
  }

  // A shared folder with the tool in it, and a client file; returns the tool.
  std::string installTool() {
    const std::string shared = machine.root() / "Common Files/Brivant";
    setSharedFolder(shared);
    createFile(shared + "/Newtide/Update.exe");
    createFile(clientFile);
    newtide().ClientFile(clientFile);
    return shared + "/Newtide/Update.exe";
  }

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

  const std::string clientFile = machine.root() / "My Apps/Update.cli";

 private:
  std::unique_ptr<CNewtide> object_;
};

// --- ShouldRun -------------------------------------------------------------

TEST_F(NewtideRunTest, DueWhenAtLeastIntervalMidnightsHavePassed) {
  struct Case {
    const char* what;
    double lastRun;  // 0: never
    int32_t interval;
    double now;
    bool due;
  };
  const Case cases[] = {
      {"never run", 0, 7, day(2026, 3, 10, 12), true},
      {"7 days back, interval 7", day(2026, 3, 3), 7, day(2026, 3, 10, 12), true},
      {"8 days back, interval 7", day(2026, 3, 2), 7, day(2026, 3, 10, 12), true},
      {"6 days back, interval 7", day(2026, 3, 4), 7, day(2026, 3, 10, 23, 59), false},
      {"yesterday, just after midnight", day(2026, 3, 9), 1, day(2026, 3, 10, 0, 1), true},
      {"today, interval 1", day(2026, 3, 10), 1, day(2026, 3, 10, 23, 59), false},
      {"today, interval 0", day(2026, 3, 10), 0, day(2026, 3, 10, 12), true},
      {"in the future, interval 0", day(2026, 3, 13), 0, day(2026, 3, 10, 12), false},
      {"in the future, interval 7", day(2026, 3, 13), 7, day(2026, 3, 19, 12), false},
      {"in the future, now interval days after", day(2026, 3, 13), 7, day(2026, 3, 20), true},
      {"across a year's end", day(2025, 12, 31), 1, day(2026, 1, 1, 0, 1), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetRegistry();
    if (c.lastRun) setUser("LastRun", textData(machine.regional.shortDate(c.lastRun)));
    if (c.interval) setUser("Interval", dwordData(c.interval));
    machine.clock.current = c.now;
    CNewtide object;
    object.Program("Melodex Index");
    EXPECT_EQ(object.ShouldRun(), c.due);
  }
}

TEST_F(NewtideRunTest, ReadsOnlyWhatTheDecisionNeeds) {
  // Disabled: neither LastRun nor Interval is read.
  setUser("Enabled", textData("False"));
  setUser("LastRun", textData("01.01.2020"));
  EXPECT_FALSE(newtide().ShouldRun());
  EXPECT_EQ(registry.reads, std::vector<std::string>{"HKCU Enabled"});

  // Enabled and never run: Interval is not read.
  resetRegistry();
  registry.reads.clear();
  EXPECT_TRUE(newtide().ShouldRun());
  EXPECT_EQ(registry.reads,
            (std::vector<std::string>{"HKCU Enabled", "HKLM Enabled", "HKCU LastRun"}));
}

TEST_F(NewtideRunTest, ShouldRunAppendsItsTagAfterTheInnerOne) {
  setUser("Enabled", textData("yes"));
  const Error e = failureOf([&] { newtide().ShouldRun(); });
  EXPECT_EQ(e.number(), errc::kTypeMismatch);
  EXPECT_EQ(e.description(), "Type mismatch (CNewtide.Enabled[PropertyGet]) (CNewtide.ShouldRun)");
}

// --- Run ---------------------------------------------------------------------

TEST_F(NewtideRunTest, RunStartsTheToolWithTheClientFileAsOneArgumentAndRecordsToday) {
  const std::string tool = installTool();
  machine.clock.current = day(2026, 3, 10, 14, 30);
  newtide().Run();

  ASSERT_EQ(launcher.starts.size(), 1u);
  EXPECT_EQ(launcher.starts[0].program, tool);
  EXPECT_EQ(launcher.starts[0].arguments, std::vector<std::string>{"/C:" + clientFile});
  EXPECT_EQ(launcher.starts[0].showCommand, 1);  // shown normally
  EXPECT_EQ(userText("LastRun"), "10.03.2026");
}

TEST_F(NewtideRunTest, ToolPathFromTheSharedFolderWithOrWithoutTrailingSeparator) {
  const std::string shared = machine.root() / "Shared";
  createFile(shared + "/Newtide/Update.exe");
  createFile(clientFile);
  for (const std::string& path : {shared, shared + "/"}) {
    setSharedFolder(path);
    CNewtide object;
    object.Program("Melodex Index");
    object.ClientFile(clientFile);
    object.Run();
    EXPECT_EQ(launcher.starts.back().program, shared + "/Newtide/Update.exe") << path;
  }
}

TEST_F(NewtideRunTest, NoSharedFolderMeansTheMakersFolderInCommonProgramFiles) {
  const std::string common = machine.root() / "common";
  machine.shell.folders[kCsidlProgramFilesCommon] = common + "/";
  createFile(common + "/Brivant/Newtide/Update.exe");
  createFile(clientFile);
  newtide().ClientFile(clientFile);
  newtide().Run();
  ASSERT_EQ(launcher.starts.size(), 1u);
  EXPECT_EQ(launcher.starts[0].program, common + "/Brivant/Newtide/Update.exe");
}

TEST_F(NewtideRunTest, MissingFilesAreReportedUntaggedToolFirstAndNothingHappens) {
  const std::string shared = machine.root() / "Shared";
  setSharedFolder(shared);
  const std::string tool = shared + "/Newtide/Update.exe";
  newtide().ClientFile(clientFile);

  Error e = failureOf([&] { newtide().Run(); });  // both missing: the tool is named
  EXPECT_EQ(e.number(), -2147221346);
  EXPECT_EQ(e.source(), "CNewtide.Run");
  EXPECT_EQ(e.description(),
            "Can't find the file \"" + tool + "\"\r\nwhich is necessary to run Newtide");

  createFile(tool);
  e = failureOf([&] { newtide().Run(); });
  EXPECT_EQ(e.number(), -2147221347);
  EXPECT_EQ(e.source(), "CNewtide.Run");
  EXPECT_EQ(e.description(),
            "Can't find the file \"" + clientFile + "\"\r\nwhich is necessary to run Newtide");

  EXPECT_TRUE(launcher.starts.empty());
  EXPECT_FALSE(user("LastRun"));
}

TEST_F(NewtideRunTest, AFolderIsNoTool) {
  const std::string shared = machine.root() / "Shared";
  setSharedFolder(shared);
  std::filesystem::create_directories(shared + "/Newtide/Update.exe");
  EXPECT_EQ(failureOf([&] { newtide().Run(); }).number(), kNewtideToolMissing);
}

TEST_F(NewtideRunTest, ARefusedStartIsTaggedAndRecordsNothing) {
  installTool();
  launcher.failure = Error(errc::kPermissionDenied, "ProcessLauncher", "Cannot start");
  const Error e = failureOf([&] { newtide().Run(); });
  EXPECT_EQ(e.number(), errc::kPermissionDenied);
  EXPECT_EQ(e.source(), "ProcessLauncher");
  EXPECT_EQ(e.description(), "Cannot start (CNewtide.Run)");
  EXPECT_FALSE(user("LastRun"));
}

TEST_F(NewtideRunTest, TagsAddUpInnermostFirstThroughRun) {
  installTool();
  // The tool starts, then the date cannot be written.
  machine.registry.refuseWrites = true;
  Error e = failureOf([&] { newtide().Run(); });
  EXPECT_EQ(launcher.starts.size(), 1u);
  EXPECT_EQ(e.number(), errc::kPermissionDenied);
  EXPECT_TRUE(e.description().ends_with(" (CNewtide.LastRun[PropertyLet]) (CNewtide.Run)"))
      << e.description();

  // The shared folder cannot be read.
  machine.registry.refuseWrites = false;
  ASSERT_TRUE(machine.registry.setValue(kHkeyLocalMachine, testing::kCommonFilesKey, "Path",
                                        RegistryData{kRegBinary, {1}}));
  e = failureOf([&] { newtide().Run(); });
  EXPECT_TRUE(
      e.description().ends_with(" is no text (CNewtide.CommonPath[PropertyGet]) (CNewtide.Run)"))
      << e.description();

  // The client file cannot be read.
  ASSERT_TRUE(machine.registry.setValue(kHkeyLocalMachine, testing::kCommonFilesKey, "Path",
                                        textData(machine.root() / "Common Files/Brivant")));
  setMachine("ClientData", RegistryData{kRegBinary, {1}});
  CNewtide object;
  object.Program("Melodex Index");
  e = failureOf([&] { object.Run(); });
  EXPECT_TRUE(
      e.description().ends_with(" is no text (CNewtide.ClientFile[PropertyGet]) (CNewtide.Run)"))
      << e.description();
}

}  // namespace
}  // namespace vigilo
