#include "startup/ProductProfile.h"

#include <gtest/gtest.h>

#include "platform/registry_store.h"
#include "startup/mMain.h"
#include "testing/test_platform.h"

namespace vigilo {
namespace {

using testing::TestPlatform;

const std::string kVersionKey =
    "Software\\Fennick Data AS\\Brivant Resource Browser\\Versions\\1015-2\\";

RegistryData text(const std::string& s) {
  RegistryData data{kRegSz, std::vector<uint8_t>(s.begin(), s.end())};
  data.bytes.push_back(0);
  return data;
}

TEST(initializeVersionTest, FillsTheProfileWithThisProductsConstantsAndPaths) {
  TestPlatform t;
  Profile() = ProductProfile{};
  ASSERT_TRUE(mMain::initializeVersion());
  const ProductProfile& p = Profile();
  const std::string e = t.installFolder();
  EXPECT_EQ(p.AppTitle, "Vigilo - by Brivant");
  EXPECT_EQ(p.CountryVersion, 1015);
  EXPECT_EQ(p.AppID, 2);
  EXPECT_EQ(p.IconFile, "BrivantRB.ico");
  EXPECT_EQ(p.IniFile, "Brivant RB.ini");
  EXPECT_EQ(p.SetupDatabase, "Brivant ResourcesRB 1015.MDB");
  EXPECT_EQ(p.ToolbarDatabase, e + "/Resource/ToolBarsRB 1015.mdb");
  EXPECT_EQ(p.MusicPath, e + "/Music/");
  EXPECT_EQ(p.SymbolsPath, e + "/SYMBOLS/");
  EXPECT_EQ(p.ClipsPath, e + "/Clips/");
  EXPECT_EQ(p.TemplatePath, e + "/Template/");
  EXPECT_EQ(p.TemplateFile, e + "/Resource/Template.mdb");
  EXPECT_EQ(p.LiturgyFile, e + "/Resource/VIZuzIvu.mdb");
  EXPECT_EQ(p.HymnFile, e + "/Resource/DEViza.mdb");
  EXPECT_EQ(p.PlanFile, e + "/UserData/MAINPLAN.MDB");
  EXPECT_EQ(p.DataFile, e + "/UserData/UserData.MDB");
  EXPECT_EQ(p.ServiceFile, "");
  EXPECT_FALSE(p.UseUpdateTool);
  EXPECT_FALSE(p.EnableUserSongCollections);
  EXPECT_FALSE(p.EnableUserClipArtCollection);
  EXPECT_EQ(p.DefaultUpdateInterval, 0);
  EXPECT_EQ(p.WindowID, 0);
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST(initializeVersionTest, RecordsTheExecutablesRealPathOnEveryStart) {
  TestPlatform t;
  for (const std::string name : {"vigilo", "VIGILO.bin"}) {
    platform().executablePath = t.installFolder() + "/" + name;
    ASSERT_TRUE(mMain::initializeVersion());
    EXPECT_TRUE(t.registry.keyExists(kHkeyCurrentUser, kVersionKey));
    EXPECT_EQ(t.registry.queryValue(kHkeyCurrentUser, kVersionKey, "Starter"),
              text(t.installFolder() + "/" + name));
  }
}

TEST(initializeVersionTest, ARefusedRegistryWriteStillFillsTheProfile) {
  TestPlatform t;
  t.registry.refuseWrites = true;
  EXPECT_TRUE(mMain::initializeVersion());
  EXPECT_EQ(Profile().AppTitle, "Vigilo - by Brivant");
  EXPECT_FALSE(t.registry.queryValue(kHkeyCurrentUser, kVersionKey, "Starter"));
  EXPECT_TRUE(t.ui.messages.empty());
}

}  // namespace
}  // namespace vigilo
