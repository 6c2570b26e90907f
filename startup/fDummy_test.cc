#include "startup/fDummy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/error.h"
#include "platform/linux/ini_profile_functions.h"
#include "startup/ProductProfile.h"
#include "startup/launchMainApplication.h"
#include "testing/fake_components.h"
#include "testing/test_platform.h"

namespace vigilo {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using testing::FakeFormRecord;
using ::testing::IsEmpty;
using testing::ProgramEnded;
using testing::RecordingObject;

// The launcher form on a fake user interface, with a main application that
// records what is done to it.
class LauncherFormTest : public ::testing::Test {
 protected:
  LauncherFormTest() {
    machine_.services.profile = &ini_;
    machine_.services.components = &components_;
    installed_.emplace(machine_.services);
    ProductProfile& p = Profile();
    p = ProductProfile{};
    p.AppID = 2;
    p.IniFile = machine_.appDataFolder() + "/Brivant RB.ini";
    p.SetupDatabase = machine_.appDataFolder() + "/setup.mdb";
    p.ToolbarDatabase = machine_.installFolder() + "/toolbars.mdb";
    for (const std::string* file : {&p.IniFile, &p.SetupDatabase, &p.ToolbarDatabase})
      testing::writeFile(*file, "");

    app_ = std::make_shared<RecordingObject>();
    app_->addChild("cBrivantSystem");
    app_->addChild("cApplication");
    app_->addChild("cUser");
    app_->addMethod("Show");
    app_->addMethod("Kill");
    app_->logRelease();
    components_.add(mMain::kMainApplicationProgId, ObjectRef(app_));
  }
  ~LauncherFormTest() override {
    machine_.ui.onDoEvents = nullptr;
    fDummy::Unload();
    mMain::MainApplication = nullptr;
  }

  FakeFormRecord& loadForm() {
    fDummy::Load();
    EXPECT_EQ(machine_.ui.forms.size(), 1u);
    return *machine_.ui.forms.back();
  }
  std::vector<std::string>& log() { return app_->log()->lines; }

  testing::TestPlatform machine_;
  IniProfileFunctions ini_;
  testing::FakeComponents components_;
  std::optional<ScopedPlatform> installed_;
  std::shared_ptr<RecordingObject> app_;
};

TEST_F(LauncherFormTest, LoadsHiddenNearTheBottomLeftCorner) {
  EXPECT_FALSE(fDummy::IsLoaded());
  EXPECT_EQ(fDummy::hWnd(), 0);
  machine_.ui.screenHeightTwips = 1024 * 15;
  FakeFormRecord& form = loadForm();

  EXPECT_EQ(form.design.caption, "Form1");
  EXPECT_EQ(form.design.clientWidth, 3060);
  EXPECT_EQ(form.design.clientHeight, 1650);
  ASSERT_EQ(form.buttons.size(), 2u);
  EXPECT_EQ(form.buttons[0].caption, "Start Browser...");
  EXPECT_EQ(form.buttons[1].caption, "End...");
  EXPECT_LT(form.buttons[0].where.top, form.buttons[1].where.top);
  // Screen height less the outer height (client area and frame) less 500.
  EXPECT_THAT(form.moves, ElementsAre(std::pair(0, 1024 * 15 - (1650 + 450) - 500)));
  EXPECT_TRUE(fDummy::IsLoaded());
  EXPECT_EQ(fDummy::hWnd(), form.hWnd);

  fDummy::Load();  // loaded already: nothing new
  EXPECT_EQ(machine_.ui.forms.size(), 1u);
}

TEST_F(LauncherFormTest, KeepsItsOwnIconUnlessTheFileIsAnIcon) {
  FakeFormRecord& form = loadForm();
  const std::string notAnIcon = machine_.installFolder() + "/BrivantRB.ico";
  testing::writeFile(notAnIcon, "GIF89a");
  fDummy::SetIconFromFile(machine_.installFolder() + "/missing.ico");
  fDummy::SetIconFromFile(notAnIcon);
  EXPECT_EQ(form.icon, "");
  testing::writeFile(notAnIcon, std::string("\0\0\1\0", 4) + "rest");
  fDummy::SetIconFromFile(notAnIcon);
  EXPECT_EQ(form.icon, notAnIcon);
}

TEST_F(LauncherFormTest, StartBrowserLaunchesWithTheFormsOwnWindow) {
  FakeFormRecord& form = loadForm();
  form.click("Start Browser...");
  EXPECT_THAT(log(), Contains("set pParentToClose = Long " + std::to_string(form.hWnd)));
  EXPECT_THAT(log(), Contains("call Show()"));
  EXPECT_THAT(machine_.ui.messages, IsEmpty());

  // Again while the application runs on its own: a full launch, from the checks on.
  log().clear();
  form.click("Start Browser...");
  EXPECT_EQ(log().front(), "get cBrivantSystem");
  EXPECT_EQ(components_.requested.size(), 2u);
}

TEST_F(LauncherFormTest, EndUnloadsFirstThenEndsTheProgram) {
  FakeFormRecord& form = loadForm();
  EXPECT_THROW(form.click("End..."), ProgramEnded);
  EXPECT_EQ(form.unloads, 1);
  EXPECT_FALSE(fDummy::IsLoaded());
  EXPECT_EQ(fDummy::hWnd(), 0);
  EXPECT_THAT(log(), IsEmpty());  // no launch held an application
}

TEST_F(LauncherFormTest, ClosedAfterTheLaunchItLeavesTheApplicationAlone) {
  FakeFormRecord& form = loadForm();
  form.click("Start Browser...");
  log().clear();
  form.closeFromOutside();
  EXPECT_FALSE(fDummy::IsLoaded());
  EXPECT_THAT(log(), IsEmpty());
}

// The main application closes the launcher form while the launch that made
// it still runs (its window messages are handled inside the launch).
TEST_F(LauncherFormTest, ClosedDuringTheLaunchItEndsTheHeldApplication) {
  FakeFormRecord& form = loadForm();
  machine_.ui.onDoEvents = [&form] { form.closeFromOutside(); };
  form.click("Start Browser...");

  const auto show = std::find(log().begin(), log().end(), "call Show()");
  ASSERT_NE(show, log().end());
  // Kill, then the launch goes on quietly without its reference.
  EXPECT_THAT(std::vector<std::string>(show, log().end()),
              ElementsAre("call Show()", "call Kill()"));
  EXPECT_EQ(mMain::MainApplication, nullptr);
  EXPECT_FALSE(fDummy::IsLoaded());
  EXPECT_THAT(machine_.ui.messages, IsEmpty());
}

TEST_F(LauncherFormTest, AKillThatFailsDoesNotStopTheUnload) {
  FakeFormRecord& form = loadForm();
  app_->failMember("Kill", Error(errc::kAutomationError, "cRXResourceBrowser", "Gone"));
  machine_.ui.onDoEvents = [&form] { form.closeFromOutside(); };
  form.click("Start Browser...");
  EXPECT_THAT(log(), Contains("call Kill()"));
  EXPECT_EQ(mMain::MainApplication, nullptr);
  EXPECT_FALSE(fDummy::IsLoaded());
  EXPECT_THAT(machine_.ui.messages, IsEmpty());
}

}  // namespace
}  // namespace vigilo
