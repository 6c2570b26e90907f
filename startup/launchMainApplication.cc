#include "startup/launchMainApplication.h"

#include <optional>
#include <string>

#include "installation/FileHelpers.h"
#include "installation/ensureFilesSection.h"
#include "installation/modIni.h"
#include "platform/error.h"
#include "platform/object.h"
#include "platform/platform.h"
#include "platform/user_interface.h"
#include "platform/window_system.h"
#include "startup/ProductProfile.h"

namespace vigilo::mMain {

ObjectRef MainApplication;

namespace {

constexpr const char* kSystem = "System";
constexpr int32_t kObjectVariableNotSet = 91;
constexpr const char* kSystemFileMissing =
    "Important system-file cannot be found. The program cannot start.";

// The held main application. It can be gone in the middle of a launch: an
// unload of the launcher form handled while the launch lets window messages
// run releases it.
Object& mainApplication() {
  if (!MainApplication)
    throw Error(kObjectVariableNotSet, "mMain.launchMainApplication",
                "Object variable or With block variable not set");
  return *MainApplication;
}

ObjectRef subObject(const char* name) { return mainApplication().get(name).toObject(); }

// Runs one statement whose failure is harmless, ignoring the failure.
template <typename Statement>
void ignoringFailure(Statement&& statement) {
  try {
    statement();
  } catch (const Error&) {
  }
}

// The path in "System"/`key`, or `fallback` (written back) when the key is
// empty; nothing after the message when the chosen file does not exist.
std::optional<std::string> requiredFile(const std::string& iniPath, const char* key,
                                        const std::string& fallback) {
  std::string path = modIni::ReadIni(iniPath, kSystem, key);
  const bool useFallback = path.empty();
  if (useFallback) path = fallback;
  if (!FileExists(path)) {
    platform().ui->messageBox(kSystemFileMissing, kMbIconError, "");
    return std::nullopt;
  }
  if (useFallback) modIni::WriteIni(iniPath, kSystem, key, path);
  return path;
}

// The launch up to the foreground request; returns early after a message.
// True once the main application has been shown.
bool launch(int32_t parentWindow) {
  const ProductProfile& profile = Profile();

  // A launch still under way (its window messages run a second launch): show
  // the same application again.
  if (MainApplication) {
    if (subObject("cApplication")->get("pAppID").toLong() == profile.AppID) {
      mainApplication().call("Show", {});
      return true;
    }
  }

  const std::string iniPath = profile.IniFile;
  if (!FileExists(iniPath)) {
    platform().ui->messageBox(
        "The file '" + iniPath + "' cannot be found. The program cannot start.", kMbIconError, "");
    return false;
  }
  const auto setupDatabase = requiredFile(iniPath, "SetupDatabase", profile.SetupDatabase);
  if (!setupDatabase) return false;
  const auto toolbarDatabase = requiredFile(iniPath, "ToolbarDatabase", profile.ToolbarDatabase);
  if (!toolbarDatabase) return false;
  // The music folder is only completed in the INI file; the main application
  // reads it from there.
  if (modIni::ReadIni(iniPath, kSystem, "MusicPath").empty())
    modIni::WriteIni(iniPath, kSystem, "MusicPath", profile.MusicPath);
  ensureFilesSection(iniPath);

  MainApplication = platform().components->createObject(kMainApplicationProgId);

  const ObjectRef system = subObject("cBrivantSystem");
  system->set("CountryVersion", Variant(profile.CountryVersion));
  system->set("INIFile", Variant(iniPath));

  const ObjectRef application = subObject("cApplication");
  application->set("pSetupDatabase", Variant(*setupDatabase));
  application->set("pToolbarDatabase", Variant(*toolbarDatabase));
  application->set("pAppRootPath", Variant(exeFolder() + kPathSeparator));
  if (FileExists(profile.AppIconPath)) application->set("pAppIcon", Variant(profile.AppIconPath));
  application->set("pAppTitle", Variant(profile.AppTitle));
  application->set("pAppID", Variant(profile.AppID));
  application->set("pWindowID", profile.WindowID > 0 ? Variant(profile.WindowID)
                                                     : Variant(static_cast<int16_t>(1)));

  const ObjectRef user = subObject("cUser");
  user->set("Id", Variant(static_cast<int16_t>(1)));
  user->set("UserName", Variant("User name"));

  ignoringFailure([&] {
    mainApplication().set("pEnableUserSongCollections", Variant(profile.EnableUserSongCollections));
  });
  ignoringFailure([&] {
    mainApplication().set("pEnableUserClipArtCollection",
                          Variant(profile.EnableUserClipArtCollection));
  });
  ignoringFailure([&] { mainApplication().set("pMaximizeOnStartUp", Variant(true)); });

  mainApplication().set("pParentToClose", Variant(parentWindow));
  mainApplication().call("Show", {});

  // Lets the new window paint and queued events (the launcher form's too) run.
  platform().ui->doEvents();

  ignoringFailure([&] {
    if (mainApplication().get("phWnd").toLong() > 0) {
      const int32_t window = mainApplication().get("phWnd").toLong();
      if (WindowSystem* windows = platform().windows) windows->setForegroundWindow(window);
    }
  });
  return true;
}

}  // namespace

bool launchMainApplication(int32_t parentWindow) {
  bool shown = false;
  try {
    shown = launch(parentWindow);
  } catch (const Error& e) {
    platform().ui->messageBox(e.description() + " - " + std::to_string(e.number()), kMbOk, "");
  }
  // The application runs on by itself; the program keeps no hold on it.
  MainApplication = nullptr;
  return shown;
}

}  // namespace vigilo::mMain
