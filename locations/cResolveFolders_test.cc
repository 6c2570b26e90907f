#include "locations/cResolveFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/test_platform.h"

namespace vigilo {
namespace {

using testing::ShownMessage;
using testing::TestPlatform;
using testing::writeFile;

constexpr const char* kTitle = "Vigilo - by Brivant";

cResolveFolders resolverFor(const std::string& title) {
  cResolveFolders resolver;
  resolver.AppTitle(title);
  return resolver;
}

TEST(cResolveFoldersTest, FirstReadCreatesTheWholeTreeInOrder) {
  TestPlatform t;
  const std::string a = t.appDataFolder();
  cResolveFolders resolver = resolverFor(kTitle);
  EXPECT_EQ(resolver.GetUserApplicationPath(), a + "/Fennick Data as/" + kTitle);
  const std::string company = a + "/Fennick Data as";
  EXPECT_EQ(t.files.createdFolders,
            (std::vector<std::string>{company, company + "/LogFiles", company + "/ConfigFiles",
                                      company + "/" + kTitle, company + "/" + kTitle + "/UserData"}));

  t.files.createdFolders.clear();
  EXPECT_EQ(resolver.GetUserAppUserDataPath(), company + "/" + kTitle + "/UserData");
  EXPECT_EQ(resolver.getLogPath(), company + "/LogFiles/");
  EXPECT_EQ(resolver.GetConfigPath(), company + "/ConfigFiles/");
  EXPECT_TRUE(t.files.createdFolders.empty());
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST(cResolveFoldersTest, ADeletedFolderIsMadeAgain) {
  TestPlatform t;
  cResolveFolders resolver = resolverFor(kTitle);
  const std::string userData = resolver.GetUserAppUserDataPath();
  std::filesystem::remove(userData);
  t.files.createdFolders.clear();
  EXPECT_EQ(resolver.getLogPath(), t.appDataFolder() + "/Fennick Data as/LogFiles/");
  EXPECT_EQ(t.files.createdFolders, std::vector<std::string>{userData});
}

TEST(cResolveFoldersTest, AFileInPlaceOfTheCompanyFolderStopsTheTree) {
  TestPlatform t;
  const std::string a = t.appDataFolder();
  writeFile(a + "/Fennick Data as", "not a folder");
  cResolveFolders resolver = resolverFor(kTitle);
  EXPECT_EQ(resolver.GetUserApplicationPath(), "");
  EXPECT_EQ(resolver.GetUserAppUserDataPath(), "");
  EXPECT_EQ(resolver.getLogPath(), a);
  EXPECT_EQ(resolver.GetConfigPath(), a);
  ASSERT_EQ(t.ui.messages.size(), 4u);
  EXPECT_EQ(t.ui.messages[0],
            (ShownMessage{"createFennickDataFolders: Cannot create the folder '" + a +
                              "/Fennick Data as': File exists",
                          16, ""}));
}

TEST(cResolveFoldersTest, WithoutAnApplicationDataFolderTheInstallationServes) {
  TestPlatform t;
  t.shell.folders.clear();
  cResolveFolders resolver = resolverFor(kTitle);
  EXPECT_EQ(resolver.GetUserApplicationPath(), t.installFolder() + "/");
  EXPECT_EQ(resolver.GetUserAppUserDataPath(), t.installFolder() + "/UserData");
  EXPECT_EQ(resolver.getLogPath(), t.installFolder() + "/");
  EXPECT_TRUE(t.files.createdFolders.empty());
}

TEST(cResolveFoldersTest, MissingParentsOfTheApplicationDataFolderAreMade) {
  TestPlatform t;
  const std::string a = t.root() / "home/.local/share";
  t.shell.folders[kCsidlAppData] = a;
  EXPECT_EQ(resolverFor(kTitle).GetUserApplicationPath(), a + "/Fennick Data as/" + kTitle);
  EXPECT_TRUE(std::filesystem::is_directory(a + "/Fennick Data as/" + kTitle + "/UserData"));
}

TEST(cResolveFoldersTest, FailuresAreReportedWithTheirOwnTexts) {
  TestPlatform t;
  const std::string a = t.root() / "denied";
  t.shell.folders[kCsidlAppData] = a;
  t.files.foldersThatFail.insert(a);
  EXPECT_EQ(resolverFor(kTitle).GetUserApplicationPath(), "");
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0], (ShownMessage{"Permission denied: '" + a + "'70", 0, ""}));

  t.ui.messages.clear();
  t.shell.failure = Error(5, "Shell", "The shell failed");
  EXPECT_EQ(resolverFor(kTitle).GetUserAppUserDataPath(), t.installFolder() + "/UserData");
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0],
            (ShownMessage{"Error: 5. The shell failed", 0, "GetShellSpecialFolder"}));
}

}  // namespace
}  // namespace vigilo
