#include "installation/UserCopies.h"

#include "installation/FileHelpers.h"
#include "locations/cResolveFolders.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "platform/user_interface.h"
#include "startup/ProductProfile.h"

namespace vigilo::mMain {
namespace {

// The user's copy in `userFolder`, made from `installed` when missing.
// "" when the folder could not be made (the resolver has said why), when
// nothing is installed, or when the copy failed: a start-up on a copy that is
// not there would only fail later and less clearly.
std::string resolveUserCopy(const std::string& userFolder, const std::string& fileName,
                            const std::string& installed, const char* missingMessage) {
  if (userFolder.empty()) return "";
  const std::string userCopy = userFolder + "/" + fileName;
  if (FileExists(userCopy)) return userCopy;
  if (FileExists(installed)) return CopyFile(installed, userCopy) ? userCopy : "";
  platform().ui->messageBox(missingMessage, kMbIconError, "");
  return "";
}

void reportFailure(const char* operation, const Error& e) {
  platform().ui->messageBox(
      std::string(operation) + " " + e.description() + " " + std::to_string(e.number()), kMbOk, "");
}

}  // namespace

std::string resolveINIFile() {
  try {
    const ProductProfile& profile = Profile();
    std::string userFolder;
    {
      cResolveFolders resolver;
      resolver.AppTitle(profile.AppTitle);
      userFolder = resolver.GetUserApplicationPath();
    }
    return resolveUserCopy(userFolder, profile.IniFile, exeFolder() + "/" + profile.IniFile,
                           "Installed INI-file could not be found...");
  } catch (const Error& e) {
    reportFailure("mMain.resolveINIFile", e);
    return "";
  }
}

std::string resolveSetupDatabaseFile() {
  try {
    const ProductProfile& profile = Profile();
    std::string userFolder;
    {
      cResolveFolders resolver;
      resolver.AppTitle(profile.AppTitle);
      userFolder = resolver.GetUserAppUserDataPath();
    }
    const char* installedFolder = profile.AppID == 101 ? "/Resources/" : "/UserData/";
    return resolveUserCopy(userFolder, profile.SetupDatabase,
                           exeFolder() + installedFolder + profile.SetupDatabase,
                           "Installed Setup Database not found...");
  } catch (const Error& e) {
    reportFailure("mMain.resolveSetupDatabaseFile", e);
    return "";
  }
}

}  // namespace vigilo::mMain
