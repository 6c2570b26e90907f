#pragma once

#include <cstdint>
#include <string>

namespace vigilo {

// Knows, and creates on every read of a path, the per-user folder tree of the
// maker's products under the user's application-data folder:
//   Fennick Data as/, its LogFiles/ and ConfigFiles/, and per product
//   Fennick Data as/<title>/ with UserData/ inside.
class cResolveFolders {
 public:
  std::string getLogPath();      // with a trailing separator
  std::string GetConfigPath();   // with a trailing separator
  void AppTitle(const std::string& title) { appTitle_ = title; }
  const std::string& AppTitle() const { return appTitle_; }
  std::string GetUserApplicationPath();  // without a trailing separator
  std::string GetUserAppUserDataPath();  // without a trailing separator

 private:
  bool ensureFolder(const std::string& path);
  bool createFennickDataFolders(const std::string& base);
  std::string GetShellSpecialFolder(int32_t ownerWindow, int32_t folderId);

  // A path property: `path` of the tree under the application-data folder A,
  // `fallback` when there is no such folder, `failed` when the tree cannot be made.
  template <typename PathOf, typename FallbackOf, typename FailedOf>
  std::string resolve(PathOf path, FallbackOf fallback, FailedOf failed);

  std::string appTitle_;
};

}  // namespace vigilo
