#include "update/SetAndCheckNewtide.h"

#include <optional>
#include <string>

#include "installation/FileHelpers.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "platform/user_interface.h"
#include "startup/ProductProfile.h"
#include "update/CNewtide.h"

namespace vigilo::mMain {
namespace {

// The name under which a product keeps its update settings, by product number.
std::optional<std::string> productName(int32_t countryVersion) {
  switch (countryVersion) {
    case 1019:
      return "Cantilo - by Brivant";
    case 10021:
      return "Melodex Index";
    default:
      return std::nullopt;
  }
}

}  // namespace

void SetAndCheckNewtide(const ObjectRef& splash) {
  const std::string clientFile = exeFolder() + kPathSeparator + "Update.cli";
  if (!FileExists(clientFile)) return;
  // The update check is a courtesy: any failure of the settings or of the
  // tool's start ends it without a word, and the start-up goes on.
  try {
    CNewtide newtide;
    const std::optional<std::string> program = productName(Profile().CountryVersion);
    if (!program) {
      platform().ui->messageBox("Uups - missing source in SetAndCheckNewtide....", kMbIconError,
                                "");
      return;
    }
    newtide.Program(*program);
    newtide.ClientFile(clientFile);
    newtide.Enabled(true);
    if (newtide.Interval() == 0) newtide.Interval(Profile().DefaultUpdateInterval);
    if (newtide.ShouldRun()) newtide.Run();
  } catch (const Error&) {
  }
}

}  // namespace vigilo::mMain
