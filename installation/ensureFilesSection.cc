#include "installation/ensureFilesSection.h"

#include <utility>

#include "installation/modIni.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "platform/user_interface.h"
#include "startup/ProductProfile.h"

namespace vigilo::mMain {

bool ensureFilesSection(const std::string& iniFile) {
  const ProductProfile& profile = Profile();
  const std::pair<const char*, const std::string*> keys[] = {
      {"MusicPath", &profile.MusicPath},       {"SymbolsPath", &profile.SymbolsPath},
      {"ClipsPath", &profile.ClipsPath},       {"TemplatePath", &profile.TemplatePath},
      {"LiturgyFile", &profile.LiturgyFile},   {"HymnFile", &profile.HymnFile},
      {"PlanFile", &profile.PlanFile},         {"DataFile", &profile.DataFile},
      {"TemplateFile", &profile.TemplateFile}, {"ServiceFile", &profile.ServiceFile},
  };
  try {
    for (const auto& [key, defaultValue] : keys)
      if (modIni::ReadIni(iniFile, "FILES", key).empty())
        modIni::WriteIni(iniFile, "FILES", key, *defaultValue);
    return true;
  } catch (const Error& e) {
    platform().ui->messageBox(e.description() + " - " + std::to_string(e.number()), kMbOk, "");
    return false;
  }
}

}  // namespace vigilo::mMain
