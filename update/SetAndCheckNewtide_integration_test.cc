// The update check on real parts: the registry settings component loaded
// from its library through its class registration, the registry in hive files
// in a temporary folder, the locale's date format, and a real start of a
// program that records its arguments, in folders with blanks in their names.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/component_registration.h"
#include "platform/linux/component_loader.h"
#include "platform/linux/file_registry_store.h"
#include "platform/linux/local_clock.h"
#include "platform/linux/posix_process_launcher.h"
#include "platform/linux/registered_components.h"
#include "startup/ProductProfile.h"
#include "testing/recorded_start.h"
#include "testing/test_platform.h"
#include "update/CNewtide.h"
#include "update/SetAndCheckNewtide.h"
#include "update/update_test_support.h"

namespace vigilo {
namespace {

using testing::day;

// The real launcher, counting its starts so that a test can tell "never
// started" without waiting for a program that might come.
class CountingLauncher : public ProcessLauncher {
 public:
  void start(const ProcessStart& process) override {
    ++starts;
    real_.start(process);
  }
  int starts = 0;

 private:
  PosixProcessLauncher real_;
};

class UpdateCheckOnRealPartsTest : public ::testing::Test {
 protected:
  UpdateCheckOnRealPartsTest() : installed_(services()) {
    const ComponentLibrary* library = loadComponentLibrary(VIGILO_REGISTRY_SETTINGS_LIBRARY, &why_);
    EXPECT_TRUE(library) << why_;
    if (library)
      registerComponentClasses(registry_, RegistrationScope::Machine, library->path,
                               library->classList());

    platform().executablePath = installFolder_ + "/vigilo";
    std::filesystem::create_directories(installFolder_);
    testing::writeFile(clientFile_, "client");
    testing::installRecordingProgram(tool_);
    testing::installRecordingProgram(prefixProgram_);
    EXPECT_TRUE(registry_.setValue(kHkeyLocalMachine, testing::kCommonFilesKey, "Path",
                                   testing::textData(sharedFolder_ + "/")));

    Profile().CountryVersion = 10021;
    Profile().DefaultUpdateInterval = 0;
    machine_.clock.current = day(2026, 3, 10, 9, 15);
  }
  ~UpdateCheckOnRealPartsTest() override { Profile() = savedProfile_; }

  Platform services() {
    Platform p = platform();
    p.registry = &registry_;
    p.components = &components_;
    p.processes = &launcher_;
    p.regional = &regional_;
    return p;
  }

  // The user's value as a fresh reader of the hive file sees it.
  std::optional<RegistryData> userValue(const char* name) {
    FileRegistryStore reader(userHive_, machineHive_);
    return reader.queryValue(kHkeyCurrentUser, testing::kMelodexKey, name);
  }

  testing::TestPlatform machine_;
  const std::string userHive_ = machine_.root() / "user hive.reg";
  const std::string machineHive_ = machine_.root() / "machine hive.reg";
  FileRegistryStore registry_{userHive_, machineHive_};
  RegisteredComponents components_;
  CountingLauncher launcher_;
  PosixRegionalSettings regional_;
  const std::string installFolder_ = machine_.root() / "My Apps/Melodex Index";
  const std::string clientFile_ = installFolder_ + "/Update.cli";
  const std::string sharedFolder_ = machine_.root() / "Program Files/Common Files/Brivant";
  const std::string tool_ = sharedFolder_ + "/Newtide/Update.exe";
  const std::string prefixProgram_ = machine_.root() / "Program";

 private:
  std::string why_;
  ProductProfile savedProfile_ = Profile();
  ScopedPlatform installed_;
};

TEST_F(UpdateCheckOnRealPartsTest, StartsTheToolByItsExactPathAndRecordsTheDateInTheHive) {
  mMain::SetAndCheckNewtide(nullptr);

  ASSERT_EQ(launcher_.starts, 1);
  const auto start = testing::waitForRecord(tool_);
  ASSERT_TRUE(start);
  EXPECT_EQ(start->argv, (std::vector<std::string>{tool_, "/C:" + clientFile_}));
  EXPECT_FALSE(testing::recordNow(prefixProgram_)) << "a program at a prefix of the path ran";

  EXPECT_EQ(userValue("Enabled"), testing::dwordData(1));
  EXPECT_EQ(userValue("LastRun"), testing::textData(regional_.shortDate(day(2026, 3, 10))));
  EXPECT_FALSE(userValue("Interval"));
}

TEST_F(UpdateCheckOnRealPartsTest, TheRecordedDateReadsBackInTheLocalesFormat) {
  FileRegistryStore(userHive_, machineHive_)
      .setValue(kHkeyCurrentUser, testing::kMelodexKey, "Interval", testing::dwordData(7));
  mMain::SetAndCheckNewtide(nullptr);
  machine_.clock.current = day(2026, 3, 16, 23, 59);
  mMain::SetAndCheckNewtide(nullptr);
  EXPECT_EQ(launcher_.starts, 1);

  CNewtide newtide;
  newtide.Program("Melodex Index");
  EXPECT_EQ(newtide.LastRun().value, day(2026, 3, 10));

  machine_.clock.current = day(2026, 3, 17, 0, 1);
  mMain::SetAndCheckNewtide(nullptr);
  EXPECT_EQ(launcher_.starts, 2);
}

TEST_F(UpdateCheckOnRealPartsTest, AToolThatIsNotExecutableEndsTheCheckQuietly) {
  std::filesystem::permissions(tool_,
                               std::filesystem::perms::owner_exec |
                                   std::filesystem::perms::group_exec |
                                   std::filesystem::perms::others_exec,
                               std::filesystem::perm_options::remove);
  mMain::SetAndCheckNewtide(nullptr);
  EXPECT_EQ(launcher_.starts, 1);  // tried, and refused by the system
  EXPECT_FALSE(userValue("LastRun"));
  EXPECT_TRUE(machine_.ui.messages.empty());
}

TEST_F(UpdateCheckOnRealPartsTest, AHiveThatCannotBeWrittenEndsTheCheckQuietly) {
  FileRegistryStore unwritable(machine_.root() / "missing folder/user.reg", machineHive_);
  Platform p = platform();
  p.registry = &unwritable;
  ScopedPlatform installed(p);
  mMain::SetAndCheckNewtide(nullptr);
  EXPECT_EQ(launcher_.starts, 0);
  EXPECT_TRUE(machine_.ui.messages.empty());
}

}  // namespace
}  // namespace vigilo
