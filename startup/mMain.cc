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
// that it outlives this function.
void startUp(ObjectRef& splash) {
  ProductProfile& profile = Profile();

  profile.IniFile = resolveINIFile();
  if (profile.IniFile.empty()) return;
  profile.SetupDatabase = resolveSetupDatabaseFile();
  if (profile.SetupDatabase.empty()) return;

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

  launchMainApplication(fDummy::hWnd());

  if (profile.UseUpdateTool) SetAndCheckNewtide(splash);
}

}  // namespace

void Main() {
  UserInterface& ui = *platform().ui;
  ObjectRef splash;
  try {
    ui.setMousePointer(kPointerBusy);
    if (!initializeVersion()) {
      ui.messageBox("Sorry, we are not able to run...", kMbIconInformation, "");
      ui.endProgram();
    }
    if (!mFindApp::FindApplication(Profile().AppTitle, 2, false)) ui.endProgram();
    startUp(splash);
  } catch (const Error& e) {
    ui.messageBox(e.description(), kMbIconError, "");
  }
  ui.setMousePointer(kPointerDefault);
  splash.reset();
}

void resetMousePointer() { platform().ui->setMousePointer(kPointerDefault); }

}  // namespace vigilo::mMain
