#include "installation/ensureFilesSection.h"

#include <gtest/gtest.h>

#include "installation/modIni.h"
#include "platform/linux/ini_profile_functions.h"
#include "startup/ProductProfile.h"
#include "startup/mMain.h"
#include "testing/recording_profile_functions.h"
#include "testing/test_platform.h"

namespace vigilo::mMain {
namespace {

using testing::ProfileWrite;
using testing::readFile;
using testing::TestPlatform;
using testing::writeFile;

const char* const kKeys[] = {"MusicPath",   "SymbolsPath", "ClipsPath",    "TemplatePath",
                             "LiturgyFile", "HymnFile",    "PlanFile",     "DataFile",
                             "TemplateFile", "ServiceFile"};

class EnsureFilesSectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform().profile = &recorder;
    initializeVersion();
    ini = t.root() / "user.ini";
  }

  std::string defaultOf(const std::string& key) const {
    const ProductProfile& p = Profile();
    const std::map<std::string, std::string> defaults = {
        {"MusicPath", p.MusicPath},       {"SymbolsPath", p.SymbolsPath},
        {"ClipsPath", p.ClipsPath},       {"TemplatePath", p.TemplatePath},
        {"LiturgyFile", p.LiturgyFile},   {"HymnFile", p.HymnFile},
        {"PlanFile", p.PlanFile},         {"DataFile", p.DataFile},
        {"TemplateFile", p.TemplateFile}, {"ServiceFile", ""}};
    return defaults.at(key);
  }

  TestPlatform t;
  IniProfileFunctions real;
  testing::RecordingProfileFunctions recorder{real};
  std::string ini;
};

TEST_F(EnsureFilesSectionTest, AMissingSectionGetsEveryDefaultInOrder) {
  writeFile(ini, "[System]\r\nStartupScreen=Splash.gif\r\n");
  EXPECT_TRUE(ensureFilesSection(ini));
  std::vector<ProfileWrite> expected;
  for (const char* key : kKeys) expected.push_back({ini, "FILES", key, defaultOf(key)});
  EXPECT_EQ(recorder.writes(), expected);
  for (const char* key : kKeys) EXPECT_EQ(modIni::ReadIni(ini, "FILES", key), defaultOf(key)) << key;
  EXPECT_EQ(modIni::ReadIni(ini, "System", "StartupScreen"), "Splash.gif");
}

TEST_F(EnsureFilesSectionTest, KeysWithAValueKeepItAndEmptyOnesGetTheDefault) {
  writeFile(ini,
            "[FILES]\r\nLiturgyFile=/nowhere/liturgy.mdb\r\nMusicPath=\r\nOther=kept\r\n");
  EXPECT_TRUE(ensureFilesSection(ini));
  EXPECT_EQ(modIni::ReadIni(ini, "FILES", "LiturgyFile"), "/nowhere/liturgy.mdb");
  EXPECT_EQ(modIni::ReadIni(ini, "FILES", "MusicPath"), defaultOf("MusicPath"));
  EXPECT_EQ(modIni::ReadIni(ini, "FILES", "Other"), "kept");
  for (const ProfileWrite& w : recorder.writes()) EXPECT_NE(w.key, "LiturgyFile");
}

TEST_F(EnsureFilesSectionTest, ASecondCallOnlyWritesTheEmptyServiceFileAgain) {
  ensureFilesSection(ini);
  const std::string after = readFile(ini);
  recorder.clearWrites();
  EXPECT_TRUE(ensureFilesSection(ini));
  EXPECT_EQ(recorder.writes(), (std::vector<ProfileWrite>{{ini, "FILES", "ServiceFile", ""}}));
  EXPECT_EQ(readFile(ini), after);
}

TEST_F(EnsureFilesSectionTest, AnUnwritableFileIsWalkedWithoutAMessage) {
  EXPECT_TRUE(ensureFilesSection(t.root() / "missing-folder/user.ini"));
  EXPECT_EQ(recorder.writes().size(), 10u);
  EXPECT_TRUE(t.ui.messages.empty());
}

}  // namespace
}  // namespace vigilo::mMain
