#include "startup/mMain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "installation/modIni.h"
#include "platform/linux/ini_profile_functions.h"
#include "platform/linux/mdb_database_engine.h"
#include "platform/ole_date.h"
#include "startup/ProductProfile.h"
#include "startup/fDummy.h"
#include "startup/launchMainApplication.h"
#include "testing/fake_components.h"
#include "testing/fake_info_message_windows.h"
#include "testing/fake_window_system.h"
#include "testing/recording_profile_functions.h"
#include "testing/test_platform.h"

namespace vigilo::mMain {
namespace {

using testing::FakeFormRecord;
using testing::ProgramEnded;
using testing::RecordingObject;
using testing::ShownMessage;
using testing::writeFile;
namespace fs = std::filesystem;

const std::string kTitle = "Vigilo - by Brivant";
constexpr const char* kSplash = "RXSplash.cRXSplash";

// A whole installation on a temporary machine: the installed INI file and
// databases (the liturgy database holds calendar data up to 2027-11-27), the
// icon, registered stand-ins of the splash and the main application that
// record into one log, an empty desktop and a clock set to 2026-12-11.
class MainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string e = t.installFolder();
    fs::create_directories(e + "/UserData");
    fs::create_directories(e + "/Resource");
    const std::string data = std::string(VIGILO_SOURCE_DIR) + "/testing/data/mdb/";
    fs::copy_file(data + "calendar.mdb", e + "/Resource/VIZuzIvu.mdb");
    fs::copy_file(data + "no-calendar.mdb", e + "/UserData/Brivant ResourcesRB 1015.MDB");
    fs::copy_file(data + "no-calendar.mdb", e + "/Resource/ToolBarsRB 1015.mdb");
    fs::copy_file(std::string(VIGILO_SOURCE_DIR) + "/demo/BrivantRB.ico", e + "/BrivantRB.ico");
    writeFile(e + "/WarningMsgExpiredCalendar.htm", "<p>expired</p>");
    writeFile(e + "/WarningMsgCalendar.htm", "<p>soon</p>");
    writeInstalledIni("StartupScreen=Splash.gif\r\n");

    platform().profile = &profile;
    platform().components = &components;
    platform().windows = &windows;
    platform().databases = &databases;
    platform().infoWindows = &notices;
    t.clock.current = oleDateFromCivil({2026, 12, 11, 9, 0, 0});

    splash->addMethod("mShow");
    splash->logRelease();
    // The program holds the only reference, so its release shows.
    components.add(kSplash, [this] { return ObjectRef(std::exchange(splash, nullptr)); });
    app->addChild("cBrivantSystem");
    app->addChild("cApplication");
    app->addChild("cUser");
    app->addMethod("Show");
    app->addMethod("Kill");
    app->setProperty("phWnd", Variant(int32_t{42}));
    components.add(kMainApplicationProgId, ObjectRef(app));
    windows.windows.push_back({42, "Resources", "MainWindowClass", false, false});
  }

  void TearDown() override {
    fDummy::Unload();
    MainApplication = nullptr;
  }

  void writeInstalledIni(const std::string& system) {
    writeFile(t.installFolder() + "/Brivant RB.ini",
              "[System]\r\n" + system + "[FILES]\r\nLiturgyFile=" + t.installFolder() +
                  "/Resource/VIZuzIvu.mdb\r\n");
  }
  std::string userIni() const {
    return t.appDataFolder() + "/Fennick Data as/Vigilo - by Brivant/Brivant RB.ini";
  }
  // Where `line` stands in the log; the test fails when it is not there.
  size_t at(const std::string& line) {
    const auto found = std::find(log->lines.begin(), log->lines.end(), line);
    EXPECT_NE(found, log->lines.end()) << line;
    return static_cast<size_t>(found - log->lines.begin());
  }
  bool logged(const std::string& line) const {
    return std::count(log->lines.begin(), log->lines.end(), line) > 0;
  }
  const FakeFormRecord* launcherForm() const {
    return t.ui.forms.empty() ? nullptr : t.ui.forms.front().get();
  }

  testing::TestPlatform t;
  IniProfileFunctions iniEngine;
  testing::RecordingProfileFunctions profile{iniEngine};
  testing::FakeComponents components;
  testing::FakeWindowSystem windows;
  MdbDatabaseEngine databases;
  testing::FakeInfoMessageWindows notices;
  std::shared_ptr<testing::CallLog> log = std::make_shared<testing::CallLog>();
  std::shared_ptr<RecordingObject> splash = std::make_shared<RecordingObject>("splash", log);
  std::shared_ptr<RecordingObject> app = std::make_shared<RecordingObject>("", log);
};

TEST_F(MainTest, AFirstStartCopiesTheFilesAndLaunchesBehindTheSplash) {
  Main();
  EXPECT_TRUE(t.ui.messages.empty());
  EXPECT_EQ(t.ui.pointers, (std::vector<int>{11, 0}));
  EXPECT_EQ(Profile().IniFile, userIni());
  EXPECT_TRUE(fs::exists(userIni()));
  EXPECT_EQ(components.requested,
            (std::vector<std::string>{kSplash, kMainApplicationProgId}));

  const std::string e = t.installFolder();
  const size_t graphic = at("set splash.pGraphicFile = String \"" + e + "/Splash.gif\"");
  const size_t shown = at("call splash.mShow()");
  const size_t parent = at("set pParentToClose = Long " + std::to_string(fDummy::hWnd()));
  const size_t appShown = at("call Show()");
  const size_t released = at("release splash");
  EXPECT_LT(graphic, shown);
  EXPECT_LT(shown, parent);
  EXPECT_LT(parent, appShown);
  EXPECT_LT(appShown, released);
  EXPECT_TRUE(logged("set cApplication.pAppIcon = String \"" + e + "/BrivantRB.ico\""));

  const FakeFormRecord* form = launcherForm();
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->loaded);
  EXPECT_EQ(form->icon, e + "/BrivantRB.ico");
  EXPECT_EQ(windows.foreground, 42u);
  EXPECT_TRUE(notices.windows.empty());
}

TEST_F(MainTest, ARunningCopyIsBroughtForwardAndNothingElseHappens) {
  windows.windows.push_back({7, "Vigilo - by Brivant - service of 24 December", "ThunderRT6FormDC"});
  EXPECT_THROW(Main(), ProgramEnded);
  EXPECT_EQ(windows.foreground, 7u);
  EXPECT_TRUE(t.ui.messages.empty());
  EXPECT_TRUE(profile.writes().empty());
  EXPECT_FALSE(fs::exists(userIni()));
  EXPECT_TRUE(components.requested.empty());
  EXPECT_EQ(launcherForm(), nullptr);
}

TEST_F(MainTest, NoInstalledIniFileStopsTheStartUpWithOneMessage) {
  fs::remove(t.installFolder() + "/Brivant RB.ini");
  Main();
  EXPECT_EQ(t.ui.messages,
            (std::vector<ShownMessage>{{"Installed INI-file could not be found...", 16, ""}}));
  EXPECT_EQ(t.ui.pointers, (std::vector<int>{11, 0}));
  EXPECT_TRUE(components.requested.empty());
  EXPECT_EQ(launcherForm(), nullptr);
}

TEST_F(MainTest, ExpiredCalendarDataIsShownBeforeTheSplash) {
  t.clock.current = oleDateFromCivil({2027, 11, 28, 8, 0, 0});
  notices.onShow = [this](const testing::FakeNoticeRecord&) {
    EXPECT_TRUE(components.requested.empty());
    EXPECT_EQ(launcherForm(), nullptr);
  };
  Main();
  ASSERT_EQ(notices.windows.size(), 1u);
  EXPECT_EQ(notices.windows[0]->caption, kTitle);
  EXPECT_EQ(notices.windows[0]->pages,
            std::vector<std::string>{t.installFolder() + "/WarningMsgExpiredCalendar.htm"});
  EXPECT_EQ(components.requested,
            (std::vector<std::string>{kSplash, kMainApplicationProgId}));
}

TEST_F(MainTest, WithoutSplashPictureOrIconTheSplashGetsTheFolderAndTheFormKeepsItsIcon) {
  writeInstalledIni("");
  fs::remove(t.installFolder() + "/BrivantRB.ico");
  Main();
  EXPECT_TRUE(logged("set splash.pGraphicFile = String \"" + t.installFolder() + "/\""));
  for (const testing::ProfileWrite& w : profile.writes()) EXPECT_NE(w.key, "StartUpScreen");
  EXPECT_EQ(modIni::ReadIni(userIni(), "System", "StartupScreen"), "");
  ASSERT_NE(launcherForm(), nullptr);
  EXPECT_TRUE(launcherForm()->iconFiles.empty());
  for (const std::string& line : log->lines) EXPECT_EQ(line.find("pAppIcon"), std::string::npos);
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(MainTest, AnUnexpectedFailureIsShownAndTheProgramDoesNotLingerHidden) {
  components.fail(kSplash, Error(429, "Components", "The splash cannot be created"));
  Main();
  EXPECT_EQ(t.ui.messages,
            (std::vector<ShownMessage>{{"The splash cannot be created", 16, ""}}));
  EXPECT_EQ(t.ui.pointers, (std::vector<int>{11, 0}));
  EXPECT_EQ(components.requested, std::vector<std::string>{kSplash});
  ASSERT_NE(launcherForm(), nullptr);
  EXPECT_FALSE(launcherForm()->loaded);
}

TEST_F(MainTest, AFailedLaunchEndsTheProgramAfterItsMessage) {
  writeInstalledIni("SetupDatabase=" + t.installFolder() + "/missing.mdb\r\n");
  Main();
  EXPECT_EQ(t.ui.messages,
            (std::vector<ShownMessage>{
                {"Important system-file cannot be found. The program cannot start.", 16, ""}}));
  EXPECT_TRUE(logged("release splash"));
  EXPECT_EQ(components.requested, std::vector<std::string>{kSplash});
  ASSERT_NE(launcherForm(), nullptr);
  EXPECT_FALSE(launcherForm()->loaded);
}

}  // namespace
}  // namespace vigilo::mMain
