#include "startup/ProductProfile.h"

#include "locations/mRegistry.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "platform/registry_store.h"
#include "platform/user_interface.h"
#include "startup/mMain.h"

namespace vigilo {

ProductProfile& Profile() {
  static ProductProfile profile;
  return profile;
}

namespace mMain {

bool initializeVersion() {
  try {
    ProductProfile& p = Profile();
    p.CountryVersion = 1015;
    p.AppID = 2;
    p.AppTitle = "Vigilo - by Brivant";

    p.IconFile = "BrivantRB.ico";
    p.IniFile = "Brivant RB.ini";
    p.SetupDatabase = "Brivant ResourcesRB 1015.MDB";

    const std::string exe = exeFolder();
    p.ToolbarDatabase = exe + "/Resource/ToolBarsRB 1015.mdb";
    p.MusicPath = exe + "/Music/";
    p.SymbolsPath = exe + "/SYMBOLS/";
    p.ClipsPath = exe + "/Clips/";
    p.TemplatePath = exe + "/Template/";
    p.TemplateFile = exe + "/Resource/Template.mdb";
    p.LiturgyFile = exe + "/Resource/VIZuzIvu.mdb";
    p.HymnFile = exe + "/Resource/DEViza.mdb";
    p.PlanFile = exe + "/UserData/MAINPLAN.MDB";
    p.DataFile = exe + "/UserData/UserData.MDB";

    p.EnableUserSongCollections = false;
    p.EnableUserClipArtCollection = false;
    p.UseUpdateTool = false;
    p.DefaultUpdateInterval = 0;
    p.WindowID = 0;

    const std::string keyPath = "Software\\Fennick Data AS\\Brivant Resource Browser\\Versions\\" +
                                std::to_string(p.CountryVersion) + "-" + std::to_string(p.AppID) +
                                "\\";
    // Whoever looks up "Starter" wants to run the starter: on Linux that is the
    // executable's own real path, which has no ".EXE" to add.
    mRegistry::RegistrySetKeyValue(kHkeyCurrentUser, keyPath, "Starter",
                                   Variant(platform().executablePath), kRegSz);
    return true;
  } catch (const Error& e) {
    platform().ui->messageBox(e.description() + " - mMain.initializeVersion", kMbIconError, "");
    return false;
  }
}

}  // namespace mMain
}  // namespace vigilo
