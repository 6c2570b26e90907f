#include "locations/cResolveFolders.h"

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/shell_folders.h"
#include "platform/user_interface.h"

namespace vigilo {
namespace {

const std::string kCompanyFolder = "/Fennick Data as";

}  // namespace

template <typename PathOf, typename FallbackOf, typename FailedOf>
std::string cResolveFolders::resolve(PathOf path, FallbackOf fallback, FailedOf failed) {
  try {
    const std::string appData = GetShellSpecialFolder(0, kCsidlAppData);
    if (appData.empty()) return fallback(exeFolder());
    if (ensureFolder(appData) && createFennickDataFolders(appData)) return path(appData);
    return failed(appData);
  } catch (...) {
    return "";
  }
}

std::string cResolveFolders::getLogPath() {
  return resolve([](const std::string& a) { return a + kCompanyFolder + "/LogFiles/"; },
                 [](const std::string& e) { return e + "/"; },
                 [](const std::string& a) { return a; });
}

std::string cResolveFolders::GetConfigPath() {
  return resolve([](const std::string& a) { return a + kCompanyFolder + "/ConfigFiles/"; },
                 [](const std::string& e) { return e + "/"; },
                 [](const std::string& a) { return a; });
}

std::string cResolveFolders::GetUserApplicationPath() {
  return resolve([this](const std::string& a) { return a + kCompanyFolder + "/" + appTitle_; },
                 [](const std::string& e) { return e + "/"; },
                 [](const std::string&) { return std::string(); });
}

std::string cResolveFolders::GetUserAppUserDataPath() {
  return resolve(
      [this](const std::string& a) { return a + kCompanyFolder + "/" + appTitle_ + "/UserData"; },
      [](const std::string& e) { return e + "/UserData"; },
      [](const std::string&) { return std::string(); });
}

// The application-data folder of a new account may not exist yet, nor its
// parents (~/.local/share on a fresh system): the missing ones are made, as
// the base directory rules ask of a program that writes there.
bool cResolveFolders::ensureFolder(const std::string& path) {
  try {
    FileSystem& files = *platform().files;
    if (files.folderExists(path)) return true;
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
      const std::string folder = path.substr(0, slash);
      if (!folder.empty() && !files.folderExists(folder)) files.createFolder(folder);
      if (slash == std::string::npos) break;
    }
    return true;
  } catch (const Error& e) {
    platform().ui->messageBox(e.description() + std::to_string(e.number()), kMbOk, "");
    return false;
  }
}

bool cResolveFolders::createFennickDataFolders(const std::string& base) {
  const std::string company = base + kCompanyFolder;
  const std::string tree[] = {company, company + "/LogFiles", company + "/ConfigFiles",
                              company + "/" + appTitle_, company + "/" + appTitle_ + "/UserData"};
  try {
    FileSystem& files = *platform().files;
    for (const std::string& folder : tree)
      if (!files.folderExists(folder)) files.createFolder(folder);
    return true;
  } catch (const Error& e) {
    platform().ui->messageBox("createFennickDataFolders: " + e.description(), kMbIconError, "");
    return false;
  }
}

std::string cResolveFolders::GetShellSpecialFolder(int32_t /*ownerWindow*/, int32_t folderId) {
  try {
    return platform().shell->specialFolder(folderId).value_or("");
  } catch (const Error& e) {
    platform().ui->messageBox("Error: " + std::to_string(e.number()) + ". " + e.description(), kMbOk,
                              "GetShellSpecialFolder");
    return "";
  }
}

}  // namespace vigilo
