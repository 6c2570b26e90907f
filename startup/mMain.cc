#include "startup/mMain.h"

#include "calendar/checkCalendarData.h"
#include "installation/FileHelpers.h"
#include "installation/UserCopies.h"
#include "installation/modIni.h"
#include "instance/mFindApp.h"
#include "platform/error.h"
#include "platform/object.h"
#include "platform/platform.h"
#include "platform/user_interface.h"
#include "startup/ProductProfile.h"
#include "startup/fDummy.h"
#include "startup/launchMainApplication.h"
#include "update/SetAndCheckNewtide.h"

namespace vigilo::mMain {
namespace {

// The start-up up to the launch; `splash` receives the splash component so
// that it outlives this function. True when the main application was shown.
bool startUp(ObjectRef& splash) {
  ProductProfile& profile = Profile();

  profile.IniFile = resolveINIFile();
  if (profile.IniFile.empty()) return false;
  profile.SetupDatabase = resolveSetupDatabaseFile();
  if (profile.SetupDatabase.empty()) return false;

  profile.StartupScreen = modIni::ReadIni(profile.IniFile, "System", "StartupScreen");
  if (profile.StartupScreen.empty() && profile.AppID == 101) {
    modIni::WriteIni(profile.IniFile, "System", "StartUpScreen", "Splash.gif");
    profile.StartupScreen = "Splash.gif";
  }

  checkCalendarData();

  profile.AppIconPath = exeFolder() + "/" + profile.IconFile;
  fDummy::Load();
  if (FileExists(profile.AppIconPath)) fDummy::SetIconFromFile(profile.AppIconPath);

  splash = platform().components->createObject("RXSplash.cRXSplash");
  splash->set("pGraphicFile", Variant(exeFolder() + "/" + profile.StartupScreen));
  splash->call("mShow", {});

  const bool launched = launchMainApplication(fDummy::hWnd());

  if (profile.UseUpdateTool) SetAndCheckNewtide(splash);
  return launched;
}

}  // namespace

void Main() {
  UserInterface& ui = *platform().ui;
  ObjectRef splash;
  bool launched = false;
  try {
    ui.setMousePointer(kPointerBusy);
    if (!initializeVersion()) {
      ui.messageBox("Sorry, we are not able to run...", kMbIconInformation, "");
      ui.endProgram();
    }
    if (!mFindApp::FindApplication(Profile().AppTitle, 2, false)) ui.endProgram();
    launched = startUp(splash);
  } catch (const Error& e) {
    ui.messageBox(e.description(), kMbIconError, "");
  }
  ui.setMousePointer(kPointerDefault);
  splash.reset();
  // The hidden launcher form would keep the program alive with nothing on
  // the screen when no main application came up: the user has been told
  // why, and the program ends.
  if (!launched) fDummy::Unload();
}

void resetMousePointer() { platform().ui->setMousePointer(kPointerDefault); }

}  // namespace vigilo::mMain
