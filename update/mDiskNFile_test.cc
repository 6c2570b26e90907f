#include "update/mDiskNFile.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "testing/test_platform.h"

namespace vigilo {
namespace {

using mDiskNFile::GetCommonFilesFolder;
using mDiskNFile::GetShellSpecialFolder;

TEST(GetCommonFilesFolderTest, CommonProgramFilesElseFellesfilerInProgramFiles) {
  struct Case {
    std::optional<std::string> common, programs;
    std::string expected;
  };
  const Case cases[] = {
      {"/opt", "/usr", "/opt"},
      {"/opt/", std::nullopt, "/opt"},
      {"  /opt/common  ", std::nullopt, "/opt/common"},
      {"/", std::nullopt, ""},  // the root loses its separator too
      {std::nullopt, "/programs", "/programs/Fellesfiler"},
      {std::nullopt, "/programs/", "/programs/Fellesfiler"},
      {"   ", "/programs", "/programs/Fellesfiler"},  // blanks only: none
      {std::nullopt, std::nullopt, "C:\\Programfiler/Fellesfiler"},
  };
  for (const Case& c : cases) {
    testing::TestPlatform machine;
    if (c.common) machine.shell.folders[kCsidlProgramFilesCommon] = *c.common;
    if (c.programs) machine.shell.folders[kCsidlProgramFiles] = *c.programs;
    EXPECT_EQ(GetCommonFilesFolder(0), c.expected);
    EXPECT_TRUE(machine.ui.messages.empty());
  }
}

TEST(GetShellSpecialFolderTest, TrimsBlanksAndCutsAtTheFirstNul) {
  testing::TestPlatform machine;
  machine.shell.folders[kCsidlProgramFiles] = std::string(" /opt/x\0junk", 12);
  EXPECT_EQ(GetShellSpecialFolder(kCsidlProgramFiles, 0), "/opt/x");
  EXPECT_EQ(GetShellSpecialFolder(12345, 0), "");
}

TEST(GetShellSpecialFolderTest, AFailureIsShownAndGivesEmptyText) {
  testing::TestPlatform machine;
  machine.shell.failure = Error(errc::kPathNotFound, "Shell", "The shell has no such folder");
  EXPECT_EQ(GetShellSpecialFolder(kCsidlProgramFilesCommon, 0), "");
  ASSERT_EQ(machine.ui.messages.size(), 1u);
  EXPECT_EQ(machine.ui.messages[0],
            (testing::ShownMessage{"The shell has no such folder", 16, ""}));

  // Both folders fail: each shows its message, and the last resort is used.
  machine.ui.messages.clear();
  EXPECT_EQ(GetCommonFilesFolder(0), "C:\\Programfiler/Fellesfiler");
  EXPECT_EQ(machine.ui.messages.size(), 2u);
}

}  // namespace
}  // namespace vigilo
