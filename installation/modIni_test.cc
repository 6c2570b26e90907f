#include "installation/modIni.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/linux/ini_profile_functions.h"
#include "platform/platform.h"
#include "testing/fake_user_interface.h"
#include "testing/recording_profile_functions.h"
#include "testing/scoped_temp_dir.h"

namespace vigilo::modIni {
namespace {

using testing::FakeUserInterface;
using testing::ProfileWrite;
using testing::readFile;
using testing::RecordingProfileFunctions;
using testing::ScopedTempDir;
using testing::writeFile;

// The INI functions on real files in a temporary folder, with every write
// recorded.
class ModIniTest : public ::testing::Test {
 protected:
  ModIniTest() : installed_(services()) {}

  Platform services() {
    Platform p;
    p.ui = &ui;
    p.profile = &recording;
    return p;
  }

  ScopedTempDir dir;
  std::string ini = dir / "Brivant RB.ini";
  FakeUserInterface ui;
  IniProfileFunctions files;
  RecordingProfileFunctions recording{files};

 private:
  ScopedPlatform installed_;
};

TEST_F(ModIniTest, EmptyAndMissingKeysBothReadEmpty) {
  writeFile(ini, "[System]\r\nStartupScreen=\r\n");
  EXPECT_EQ(ReadIni(ini, "System", "StartupScreen"), "");
  EXPECT_EQ(ReadIni(ini, "System", "Missing"), "");
  EXPECT_EQ(ReadIni(ini, "Missing", "StartupScreen"), "");
}

TEST_F(ModIniTest, MissingFileReadsEmptyUntilTheFirstWriteCreatesIt) {
  for (const char* key : {"SetupDatabase", "ToolbarDatabase", "MusicPath"})
    EXPECT_EQ(ReadIni(ini, "System", key), "");
  EXPECT_FALSE(std::filesystem::exists(ini));
  WriteIni(ini, "FILES", "MusicPath", "/data/Music/");
  EXPECT_EQ(readFile(ini), "[FILES]\r\nMusicPath=/data/Music/\r\n");
  EXPECT_EQ(ReadIni(ini, "FILES", "MusicPath"), "/data/Music/");
}

TEST_F(ModIniTest, ReadsAtMost254Characters) {
  const std::string v254(254, 'v');
  WriteIni(ini, "S", "k254", v254);
  WriteIni(ini, "S", "k255", v254 + "w");
  EXPECT_EQ(ReadIni(ini, "S", "k254"), v254);
  EXPECT_EQ(ReadIni(ini, "S", "k255"), v254);
  // The file holds the whole value.
  EXPECT_NE(readFile(ini).find(v254 + "w\r\n"), std::string::npos);
}

TEST_F(ModIniTest, KeyNamesMatchWithoutRegardToCase) {
  // Read "StartupScreen"; when empty, write it back as "StartUpScreen".
  writeFile(ini, "[System]\r\nStartupScreen=\r\n");
  WriteIni(ini, "System", "StartUpScreen", "Splash.jpg");
  EXPECT_EQ(ReadIni(ini, "System", "StartupScreen"), "Splash.jpg");
  EXPECT_EQ(readFile(ini), "[System]\r\nStartupScreen=Splash.jpg\r\n");

  WriteIni(ini, "SYSTEM", "Other", "1");
  EXPECT_EQ(ReadIni(ini, "system", "OTHER"), "1");
}

TEST_F(ModIniTest, WriteReplacesOnlyItsOwnValue) {
  writeFile(ini,
            "; settings\r\n[System]\r\nSetupDatabase=a.mdb\r\nMusicPath=m\r\n\r\n[FILES]\r\n"
            "MusicPath=f\r\n");
  WriteIni(ini, "System", "MusicPath", "new");
  EXPECT_EQ(readFile(ini),
            "; settings\r\n[System]\r\nSetupDatabase=a.mdb\r\nMusicPath=new\r\n\r\n"
            "[FILES]\r\nMusicPath=f\r\n");
}

TEST_F(ModIniTest, FailedWritesChangeNothingAndShowNothing) {
  writeFile(ini, "[System]\r\nk=v\r\n");
  ASSERT_EQ(chmod(ini.c_str(), 0444), 0);
  WriteIni(ini, "System", "k", "changed");
  EXPECT_EQ(ReadIni(ini, "System", "k"), "v");

  const std::string lost = dir / "missing/Brivant RB.ini";
  WriteIni(lost, "System", "k", "v");
  EXPECT_EQ(ReadIni(lost, "System", "k"), "");
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ModIniTest, PassesFileSectionKeyAndValueInThatOrder) {
  WriteIni(ini, "System", "StartUpScreen", "Splash.jpg");
  WriteIni(ini, "FILES", "ClipsPath", "");
  EXPECT_EQ(recording.writes(),
            (std::vector<ProfileWrite>{{ini, "System", "StartUpScreen", "Splash.jpg"},
                                       {ini, "FILES", "ClipsPath", ""}}));
  // An empty value is a value, not a deletion.
  EXPECT_EQ(readFile(ini), "[System]\r\nStartUpScreen=Splash.jpg\r\n[FILES]\r\nClipsPath=\r\n");
}

}  // namespace
}  // namespace vigilo::modIni
