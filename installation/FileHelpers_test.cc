#include "installation/FileHelpers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/test_platform.h"

namespace vigilo::mMain {
namespace {

using testing::readFile;
using testing::ShownMessage;
using testing::TestPlatform;
using testing::writeFile;

std::string bytes(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 4096);
  return s;
}

size_t filesIn(const std::string& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

TEST(FileExistsTest, OnlyExistingFilesCount) {
  TestPlatform t;
  writeFile(t.root() / "file", "x");
  EXPECT_TRUE(FileExists(t.root() / "file"));
  EXPECT_FALSE(FileExists(t.root().path()));
  EXPECT_FALSE(FileExists(t.root() / "missing"));
  EXPECT_FALSE(FileExists(""));
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST(CopyFileTest, CopiesEveryByteAcrossBlockBoundaries) {
  for (size_t size : {0u, 1u, 4095u, 4096u, 4097u, 3u * 4096u + 5u}) {
    SCOPED_TRACE(size);
    TestPlatform t;
    const std::string content = bytes(size);
    writeFile(t.root() / "source", content);
    EXPECT_TRUE(CopyFile(t.root() / "source", t.root() / "copy"));
    EXPECT_EQ(readFile(t.root() / "copy"), content);
    EXPECT_TRUE(t.ui.messages.empty());
  }
}

TEST(CopyFileTest, ReplacesALongerDestinationExactly) {
  TestPlatform t;
  writeFile(t.root() / "source", "short");
  writeFile(t.root() / "copy", bytes(10000));
  EXPECT_TRUE(CopyFile(t.root() / "source", t.root() / "copy"));
  EXPECT_EQ(readFile(t.root() / "copy"), "short");
}

TEST(CopyFileTest, MissingSourceIsReportedAndCreatesNothing) {
  TestPlatform t;
  const std::string source = t.root() / "missing";
  EXPECT_FALSE(CopyFile(source, t.root() / "copy"));
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0],
            (ShownMessage{"mMain.CopyFile Cannot open '" + source + "': No such file or directory (53)",
                          16, ""}));
  EXPECT_FALSE(std::filesystem::exists(t.root() / "copy"));
}

TEST(CopyFileTest, AFullDiskLeavesNoPartialCopy) {
  TestPlatform t;
  std::filesystem::create_directory(t.root() / "to");
  writeFile(t.root() / "source", bytes(3 * 4096));
  writeFile(t.root() / "to/copy", "the old copy");
  t.files.diskFullAfter = 4096;
  EXPECT_FALSE(CopyFile(t.root() / "source", t.root() / "to/copy"));
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0].text, "mMain.CopyFile Disk full (61)");
  EXPECT_EQ(t.ui.messages[0].style, 16);
  EXPECT_EQ(readFile(t.root() / "to/copy"), "the old copy");
  EXPECT_EQ(filesIn(t.root() / "to"), 1u);
}

TEST(CopyFileTest, MissingDestinationFolderIsReported) {
  TestPlatform t;
  writeFile(t.root() / "source", "x");
  EXPECT_FALSE(CopyFile(t.root() / "source", t.root() / "nowhere/copy"));
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_NE(t.ui.messages[0].text.find("nowhere/copy"), std::string::npos);
}

}  // namespace
}  // namespace vigilo::mMain
