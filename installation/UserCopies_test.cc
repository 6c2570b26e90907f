#include "installation/UserCopies.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "startup/ProductProfile.h"
#include "testing/test_platform.h"

namespace vigilo::mMain {
namespace {

using testing::readFile;
using testing::ShownMessage;
using testing::TestPlatform;
using testing::writeFile;

// An installation with its INI file and setup database, and a profile that
// names them as the start-up does before it resolves the user's copies.
class UserCopiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(t.installFolder() + "/UserData");
    writeFile(installedIni(), "[System]\r\n");
    writeFile(installedDatabase(), "database");
    ProductProfile& p = Profile();
    p = ProductProfile{};
    p.AppTitle = "Vigilo - by Brivant";
    p.AppID = 2;
    p.IniFile = "Brivant RB.ini";
    p.SetupDatabase = "Brivant ResourcesRB 1015.MDB";
  }

  std::string installedIni() const { return t.installFolder() + "/Brivant RB.ini"; }
  std::string installedDatabase() const {
    return t.installFolder() + "/UserData/Brivant ResourcesRB 1015.MDB";
  }
  std::string userFolder() const { return t.appDataFolder() + "/Fennick Data as/Vigilo - by Brivant"; }
  std::string userIni() const { return userFolder() + "/Brivant RB.ini"; }
  std::string userDatabase() const { return userFolder() + "/UserData/Brivant ResourcesRB 1015.MDB"; }

  TestPlatform t;
};

TEST_F(UserCopiesTest, FirstStartCopiesBothAndLaterStartsKeepTheCopies) {
  EXPECT_EQ(resolveINIFile(), userIni());
  EXPECT_EQ(resolveSetupDatabaseFile(), userDatabase());
  EXPECT_EQ(readFile(userIni()), "[System]\r\n");
  EXPECT_EQ(readFile(userDatabase()), "database");
  EXPECT_EQ(t.files.replacementsCreated, 2);

  writeFile(userIni(), "[System]\r\nchanged=by the user\r\n");
  writeFile(installedIni(), "[System]\r\nnewer=installation\r\n");
  EXPECT_EQ(resolveINIFile(), userIni());
  EXPECT_EQ(resolveSetupDatabaseFile(), userDatabase());
  EXPECT_EQ(readFile(userIni()), "[System]\r\nchanged=by the user\r\n");
  EXPECT_EQ(t.files.replacementsCreated, 2);
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(UserCopiesTest, OnlyTheMissingCopyIsMadeAgain) {
  resolveINIFile();
  resolveSetupDatabaseFile();
  std::filesystem::remove(userIni());
  writeFile(userDatabase(), "the user's data");
  EXPECT_EQ(resolveINIFile(), userIni());
  EXPECT_EQ(resolveSetupDatabaseFile(), userDatabase());
  EXPECT_EQ(readFile(userDatabase()), "the user's data");
  EXPECT_EQ(t.files.replacementsCreated, 3);
}

TEST_F(UserCopiesTest, AUserCopyServesWhenTheInstallationLostItsFile) {
  resolveINIFile();
  std::filesystem::remove(installedIni());
  EXPECT_EQ(resolveINIFile(), userIni());
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(UserCopiesTest, NothingInstalledAndNoCopyIsReported) {
  std::filesystem::remove(installedIni());
  std::filesystem::remove(installedDatabase());
  EXPECT_EQ(resolveINIFile(), "");
  EXPECT_EQ(resolveSetupDatabaseFile(), "");
  EXPECT_EQ(t.ui.messages, (std::vector<ShownMessage>{
                               {"Installed INI-file could not be found...", 16, ""},
                               {"Installed Setup Database not found...", 16, ""}}));
}

TEST_F(UserCopiesTest, Application101TakesItsDatabaseFromResources) {
  Profile().AppID = 101;
  EXPECT_EQ(resolveSetupDatabaseFile(), "");
  std::filesystem::create_directories(t.installFolder() + "/Resources");
  writeFile(t.installFolder() + "/Resources/Brivant ResourcesRB 1015.MDB", "from Resources");
  EXPECT_EQ(resolveSetupDatabaseFile(), userDatabase());
  EXPECT_EQ(readFile(userDatabase()), "from Resources");
}

TEST_F(UserCopiesTest, AFailedCopyGivesNoPath) {
  t.files.diskFullAfter = 0;
  EXPECT_EQ(resolveINIFile(), "");
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0].text, "mMain.CopyFile Disk full (61)");
  EXPECT_FALSE(std::filesystem::exists(userIni()));
}

TEST_F(UserCopiesTest, NoFolderTreeGivesNoPathInsteadOfTheRootFolder) {
  writeFile(t.appDataFolder() + "/Fennick Data as", "a file where the folder belongs");
  EXPECT_EQ(resolveINIFile(), "");
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0].text.rfind("createFennickDataFolders: ", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists("/Brivant RB.ini"));
}

TEST_F(UserCopiesTest, WithoutAnApplicationDataFolderTheInstalledFilesAreUsed) {
  t.shell.folders.clear();
  EXPECT_EQ(resolveINIFile(), t.installFolder() + "//Brivant RB.ini");
  EXPECT_EQ(resolveSetupDatabaseFile(), t.installFolder() + "/UserData/Brivant ResourcesRB 1015.MDB");
  EXPECT_EQ(t.files.replacementsCreated, 0);
}

}  // namespace
}  // namespace vigilo::mMain
