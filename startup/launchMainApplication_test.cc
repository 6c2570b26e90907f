#include "startup/launchMainApplication.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "installation/modIni.h"
#include "platform/error.h"
#include "platform/linux/ini_profile_functions.h"
#include "platform/window_system.h"
#include "startup/ProductProfile.h"
#include "testing/fake_components.h"
#include "testing/recording_profile_functions.h"
#include "testing/test_platform.h"

namespace vigilo {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::ProfileWrite;
using testing::RecordingObject;
using testing::ShownMessage;

constexpr int32_t kLauncherWindow = 0x2000001;
constexpr int32_t kMainWindow = 0x3400007;

// Records the foreground requests; the launch uses nothing else of it.
class RecordingWindowSystem : public WindowSystem {
 public:
  void enumWindows(EnumWindowsProc, int32_t) override {}
  std::string getWindowText(WindowHandle, int32_t) override { return ""; }
  std::string getClassName(WindowHandle, int32_t) override { return ""; }
  bool isIconic(WindowHandle) override { return false; }
  void showWindow(WindowHandle, int32_t) override {}
  void setWindowPos(WindowHandle, WindowHandle, int32_t, int32_t, int32_t, int32_t,
                    uint32_t) override {}
  void setFocus(WindowHandle) override {}
  void setForegroundWindow(WindowHandle hWnd) override { foreground.push_back(hWnd); }
  int32_t sendMessage(WindowHandle, uint32_t, int32_t, int32_t) override { return 0; }
  void closeWindow(WindowHandle) override {}

  std::vector<WindowHandle> foreground;
};

// A machine with this product installed and the user's copies made: the INI
// file (its "System" section as the test writes it), the setup database, the
// toolbar database and the icon in the installation.
class LaunchTest : public ::testing::Test {
 protected:
  LaunchTest() : profile_(iniEngine_) {
    machine_.services.profile = &profile_;
    machine_.services.components = &components_;
    machine_.services.windows = &windows_;
    installed_.emplace(machine_.services);

    const std::string install = machine_.installFolder();
    std::filesystem::create_directories(install + "/Resource");
    ProductProfile& p = Profile();
    p = ProductProfile{};
    p.AppTitle = "Vigilo - by Brivant";
    p.CountryVersion = 1015;
    p.AppID = 2;
    p.IniFile = machine_.appDataFolder() + "/Brivant RB.ini";
    p.SetupDatabase = machine_.appDataFolder() + "/Brivant ResourcesRB 1015.MDB";
    p.ToolbarDatabase = install + "/Resource/ToolBarsRB 1015.mdb";
    p.MusicPath = install + "/Music/";
    p.AppIconPath = install + "/BrivantRB.ico";
    for (const std::string* file :
         {&p.IniFile, &p.SetupDatabase, &p.ToolbarDatabase, &p.AppIconPath})
      testing::writeFile(*file, file == &p.IniFile ? "[System]\n" : "data");

    installApplication();
    machine_.ui.onDoEvents = [this] { log().push_back("doEvents"); };
  }

  // A main application that the next creation returns; it records into log().
  void installApplication() {
    app_ = std::make_shared<RecordingObject>("", log_);
    app_->addChild("cBrivantSystem");
    app_->addChild("cApplication");
    app_->addChild("cUser");
    app_->addMethod("Show");
    app_->addMethod("Kill");
    app_->setProperty("phWnd", Variant(kMainWindow));
    app_->logRelease();
    created_ = app_;
    components_.add(mMain::kMainApplicationProgId, [this] { return std::exchange(app_, nullptr); });
  }
  ~LaunchTest() override { mMain::MainApplication = nullptr; }

  std::vector<std::string>& log() { return log_->lines; }
  const ProductProfile& profile() const { return Profile(); }
  std::string ini(const std::string& key) {
    return modIni::ReadIni(profile().IniFile, "System", key);
  }
  // The writes to the "System" section, as "key=value".
  std::vector<std::string> systemWrites() {
    std::vector<std::string> writes;
    for (const ProfileWrite& w : profile_.writes())
      if (w.section == "System") writes.push_back(w.key + "=" + w.value.value_or("(deleted)"));
    return writes;
  }
  bool created() const {
    return std::count(components_.requested.begin(), components_.requested.end(),
                      mMain::kMainApplicationProgId) > 0;
  }

  testing::TestPlatform machine_;
  IniProfileFunctions iniEngine_;
  testing::RecordingProfileFunctions profile_;
  testing::FakeComponents components_;
  RecordingWindowSystem windows_;
  std::optional<ScopedPlatform> installed_;
  std::shared_ptr<testing::CallLog> log_ = std::make_shared<testing::CallLog>();
  std::shared_ptr<RecordingObject> app_;  // until the launch creates it
  std::weak_ptr<RecordingObject> created_;
};

TEST_F(LaunchTest, ConfiguresTheApplicationInOrderWithTheRightTypes) {
  mMain::launchMainApplication(kLauncherWindow);

  const ProductProfile& p = profile();
  EXPECT_THAT(
      log(),
      ElementsAre("get cBrivantSystem",                                         //
                  "set cBrivantSystem.CountryVersion = Long 1015",              //
                  "set cBrivantSystem.INIFile = String \"" + p.IniFile + "\"",  //
                  "get cApplication",                                           //
                  "set cApplication.pSetupDatabase = String \"" + p.SetupDatabase + "\"",
                  "set cApplication.pToolbarDatabase = String \"" + p.ToolbarDatabase + "\"",
                  "set cApplication.pAppRootPath = String \"" + machine_.installFolder() + "/\"",
                  "set cApplication.pAppIcon = String \"" + p.AppIconPath + "\"",
                  "set cApplication.pAppTitle = String \"Vigilo - by Brivant\"",
                  "set cApplication.pAppID = Long 2",           //
                  "set cApplication.pWindowID = Integer 1",     //
                  "get cUser",                                  //
                  "set cUser.Id = Integer 1",                   //
                  "set cUser.UserName = String \"User name\"",  //
                  "set pEnableUserSongCollections = Boolean False",
                  "set pEnableUserClipArtCollection = Boolean False",
                  "set pMaximizeOnStartUp = Boolean True",
                  "set pParentToClose = Long " + std::to_string(kLauncherWindow),
                  "call Show()",  //
                  "doEvents",     //
                  "get phWnd",    //
                  "get phWnd",    //
                  "release object"));
  EXPECT_THAT(windows_.foreground, ElementsAre(kMainWindow));
  EXPECT_THAT(machine_.ui.messages, IsEmpty());
  EXPECT_EQ(mMain::MainApplication, nullptr);
  // The defaults that were used are written back, in this order.
  EXPECT_THAT(systemWrites(),
              ElementsAre("SetupDatabase=" + p.SetupDatabase,
                          "ToolbarDatabase=" + p.ToolbarDatabase, "MusicPath=" + p.MusicPath));
  EXPECT_EQ(ini("MusicPath"), p.MusicPath);
}

TEST_F(LaunchTest, ValuesThatDependOnTheProfileAndTheIniFile) {
  ProductProfile& p = Profile();
  p.WindowID = 7;
  p.EnableUserSongCollections = true;
  std::filesystem::remove(p.AppIconPath);
  const std::string otherSetup = machine_.installFolder() + "/other setup.mdb";
  const std::string otherToolbar = machine_.installFolder() + "/other toolbar.mdb";
  testing::writeFile(otherSetup, "data");
  testing::writeFile(otherToolbar, "data");
  testing::writeFile(p.IniFile, "[System]\nSetupDatabase=" + otherSetup + "\nToolbarDatabase=" +
                                    otherToolbar + "\nMusicPath=/nowhere/Music/\n");

  mMain::launchMainApplication(kLauncherWindow);

  EXPECT_THAT(log(), ::testing::Contains("set cApplication.pWindowID = Long 7"));
  EXPECT_THAT(log(), ::testing::Contains("set pEnableUserSongCollections = Boolean True"));
  EXPECT_THAT(log(), ::testing::Contains("set cApplication.pSetupDatabase = String \"" +
                                         otherSetup + "\""));
  EXPECT_THAT(log(), ::testing::Contains("set cApplication.pToolbarDatabase = String \"" +
                                         otherToolbar + "\""));
  for (const std::string& line : log()) EXPECT_THAT(line, ::testing::Not(HasSubstr("pAppIcon")));
  EXPECT_THAT(systemWrites(), IsEmpty());  // every value was there and is kept
  EXPECT_THAT(machine_.ui.messages, IsEmpty());
}

// Each check that stops the launch: its message, what it leaves in the INI
// file, and that nothing was created.
TEST_F(LaunchTest, MissingFilesStopTheLaunchWithTheirMessage) {
  const ProductProfile original = profile();
  const std::string systemFile = "Important system-file cannot be found. The program cannot start.";
  const auto names = [&original](const std::string& key, const std::string& value) {
    return [&original, key, value] {
      testing::writeFile(original.IniFile, "[System]\n" + key + "=" + value + "\n");
    };
  };
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string message;
    std::vector<std::string> writes;
  };
  const std::vector<Case> cases{
      {"the INI file",
       [&] { std::filesystem::remove(original.IniFile); },
       "The file '" + original.IniFile + "' cannot be found. The program cannot start.",
       {}},
      {"the setup database, no key",
       [&] { std::filesystem::remove(original.SetupDatabase); },
       systemFile,
       {}},
      {"the setup database the key names",
       names("SetupDatabase", "/nowhere/setup.mdb"),
       systemFile,
       {}},
      {"the toolbar database, no key",
       [&] { std::filesystem::remove(original.ToolbarDatabase); },
       systemFile,
       {"SetupDatabase=" + original.SetupDatabase}},
      {"the toolbar database the key names",
       names("ToolbarDatabase", "/nowhere/tb.mdb"),
       systemFile,
       {"SetupDatabase=" + original.SetupDatabase}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::writeFile(original.IniFile, "[System]\n");
    testing::writeFile(original.SetupDatabase, "data");
    testing::writeFile(original.ToolbarDatabase, "data");
    c.arrange();
    profile_.clearWrites();
    machine_.ui.messages.clear();
    components_.requested.clear();

    mMain::launchMainApplication(kLauncherWindow);

    EXPECT_THAT(machine_.ui.messages, ElementsAre(ShownMessage{c.message, kMbIconError, ""}));
    EXPECT_EQ(systemWrites(), c.writes);
    EXPECT_FALSE(created());
    EXPECT_EQ(mMain::MainApplication, nullptr);
  }
  // The INI file that was missing was not made by the launch.
  std::filesystem::remove(original.IniFile);
  mMain::launchMainApplication(kLauncherWindow);
  EXPECT_FALSE(std::filesystem::exists(original.IniFile));
}

TEST_F(LaunchTest, AnUnexpectedFailureShowsItsDescriptionAndNumber) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string message;
  };
  const std::vector<Case> cases{
      {"not registered", [this] { components_ = testing::FakeComponents(); }, ""},
      {"a library that fails to load",
       [this] {
         components_.fail(mMain::kMainApplicationProgId,
                          Error(errc::kCannotCreateObject, "Components",
                                "ActiveX component can't create object: libmain.so is missing"));
       },
       "ActiveX component can't create object: libmain.so is missing - 429"},
      {"Show raises",
       [this] { app_->failMember("Show", Error(1001, "cRXResourceBrowser", "No main window")); },
       "No main window - 1001"},
      {"a sub-object is missing", [this] { app_->failMember("cUser"); },
       "Object doesn't support this property or method: cUser - 438"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::writeFile(profile().IniFile, "[System]\n");
    machine_.ui.messages.clear();
    installApplication();
    c.arrange();

    mMain::launchMainApplication(kLauncherWindow);

    ASSERT_EQ(machine_.ui.messages.size(), 1u);
    const ShownMessage& shown = machine_.ui.messages.front();
    if (c.message.empty()) {
      EXPECT_THAT(shown.text, ::testing::EndsWith(" - 429"));
    } else {
      EXPECT_EQ(shown.text, c.message);
    }
    EXPECT_EQ(shown.style, kMbOk);
    EXPECT_EQ(shown.caption, "");
    // What was written before the failure stays written.
    EXPECT_EQ(ini("SetupDatabase"), profile().SetupDatabase);
    EXPECT_EQ(ini("ToolbarDatabase"), profile().ToolbarDatabase);
    EXPECT_EQ(ini("MusicPath"), profile().MusicPath);
    EXPECT_EQ(mMain::MainApplication, nullptr);
    EXPECT_THAT(windows_.foreground, IsEmpty());
  }
}

TEST_F(LaunchTest, FailuresOfTheOptionalMembersAreIgnored) {
  for (const char* member : {"pEnableUserSongCollections", "pEnableUserClipArtCollection",
                             "pMaximizeOnStartUp", "phWnd"})
    app_->failMember(member);
  mMain::launchMainApplication(kLauncherWindow);
  EXPECT_THAT(machine_.ui.messages, IsEmpty());
  EXPECT_THAT(log(), ::testing::Contains("set pMaximizeOnStartUp = Boolean True"));
  EXPECT_THAT(log(), ::testing::Contains("call Show()"));
  EXPECT_THAT(windows_.foreground, IsEmpty());
  EXPECT_EQ(mMain::MainApplication, nullptr);
  EXPECT_TRUE(created_.expired());  // released
}

TEST_F(LaunchTest, NoWindowHandleMeansNoForegroundRequest) {
  for (const Variant& handle : {Variant(int32_t{0}), Variant(int32_t{-5}), Variant()}) {
    SCOPED_TRACE(testing::describe(handle));
    installApplication();
    app_->setProperty("phWnd", handle);
    log().clear();
    mMain::launchMainApplication(kLauncherWindow);
    EXPECT_THAT(log(), ::testing::Contains("get phWnd").Times(1));
  }
  EXPECT_THAT(windows_.foreground, IsEmpty());
  EXPECT_THAT(machine_.ui.messages, IsEmpty());
}

// A second launch while the first lets window messages run (the launcher
// form's "Start Browser..." pressed again) shows the held application again.
TEST_F(LaunchTest, ASecondLaunchDuringTheFirstShowsTheSameApplication) {
  machine_.ui.onDoEvents = [this] {
    log().push_back("doEvents");
    machine_.ui.onDoEvents = nullptr;
    mMain::launchMainApplication(kLauncherWindow);
  };
  mMain::launchMainApplication(kLauncherWindow);

  const auto show = std::find(log().begin(), log().end(), "call Show()");
  ASSERT_NE(show, log().end());
  EXPECT_THAT(std::vector<std::string>(show, log().end()),
              ElementsAre("call Show()", "doEvents", "get cApplication", "get cApplication.pAppID",
                          "call Show()", "release object"));
  EXPECT_EQ(components_.requested.size(), 1u);
  EXPECT_THAT(windows_.foreground, IsEmpty());  // the outer launch lost its hold quietly
  EXPECT_THAT(machine_.ui.messages, IsEmpty());
}

TEST_F(LaunchTest, ASecondLaunchForAnotherApplicationIdLaunchesAnew) {
  machine_.ui.onDoEvents = [this] {
    machine_.ui.onDoEvents = nullptr;
    std::static_pointer_cast<RecordingObject>(
        mMain::MainApplication->get("cApplication").toObject())
        ->setProperty("pAppID", Variant(int32_t{101}));
    installApplication();
    mMain::launchMainApplication(kLauncherWindow);
  };
  mMain::launchMainApplication(kLauncherWindow);
  EXPECT_EQ(components_.requested.size(), 2u);
  EXPECT_EQ(std::count(log().begin(), log().end(), "call Show()"), 2);
  EXPECT_EQ(std::count(log().begin(), log().end(), "release object"), 2);
  EXPECT_THAT(windows_.foreground, ElementsAre(kMainWindow));
}

}  // namespace
}  // namespace vigilo
