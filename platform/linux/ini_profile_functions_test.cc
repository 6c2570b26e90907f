#include "platform/linux/ini_profile_functions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "testing/scoped_temp_dir.h"

namespace vigilo {
namespace {

using namespace std::string_literals;
using testing::readFile;
using testing::ScopedTempDir;
using testing::writeFile;

class IniFileTest : public ::testing::Test {
 protected:
  std::string read(const std::string& section, const std::string& key,
                   const std::string& defaultValue = "") {
    return profile.getPrivateProfileString(section, key, defaultValue, 255, file);
  }
  bool write(const std::string& section, const std::string& key,
             const std::optional<std::string>& value) {
    return profile.writePrivateProfileString(section, key, value, file);
  }
  // Everything in the folder but the INI file (temporary files left behind).
  std::vector<std::string> strayFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      if (entry.path() != file) names.push_back(entry.path().filename());
    return names;
  }

  ScopedTempDir dir;
  std::string file = dir / "Brivant RB.ini";
  IniProfileFunctions profile;
};

TEST_F(IniFileTest, MissingFileReadsDefaultsAndFirstWriteCreatesIt) {
  EXPECT_EQ(read("System", "StartupScreen", "d"), "d");
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(write("System", "StartupScreen", "Splash.jpg"));
  EXPECT_EQ(readFile(file), "[System]\r\nStartupScreen=Splash.jpg\r\n");
  EXPECT_EQ(read("system", "startupscreen"), "Splash.jpg");
}

TEST_F(IniFileTest, EmptyFileGetsExactlyTheNewSection) {
  writeFile(file, "");
  EXPECT_EQ(read("S", "k", "d"), "d");
  EXPECT_TRUE(write("S", "k", "v"));
  EXPECT_EQ(readFile(file), "[S]\r\nk=v\r\n");
}

TEST_F(IniFileTest, DeletingFromAMissingFileCreatesNothing) {
  EXPECT_TRUE(write("S", "k", std::nullopt));
  EXPECT_FALSE(std::filesystem::exists(file));
}

// Bytes that are no INI text (NULs, control bytes, lone line ends, high
// bytes), with no "[" so they hold no section.
std::string garbage(size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = 12345;
  for (auto& byte : bytes) {
    state = state * 1103515245 + 12345;
    byte = static_cast<char>(state >> 16);
    if (byte == '[') byte = '\0';
  }
  return bytes;
}

TEST_F(IniFileTest, BinaryGarbageIsKeptAndTheNewSectionAppended) {
  const std::string before = garbage(64 * 1024) + "x";  // no line end at the end
  writeFile(file, before);
  EXPECT_EQ(read("S", "k", "d"), "d");
  EXPECT_TRUE(write("S", "k", "v"));
  EXPECT_EQ(readFile(file), before + "\r\n[S]\r\nk=v\r\n");
  EXPECT_EQ(read("S", "k"), "v");
}

TEST_F(IniFileTest, TenMegabyteLineIsReadCutAndKeptWhole) {
  const std::string huge(10 << 20, 'h');
  const std::string before = "[S]\r\nbig=" + huge + "\r\nk=old\r\n[T]\r\nj=" + huge;
  writeFile(file, before);
  EXPECT_EQ(read("S", "big"), std::string(254, 'h'));
  EXPECT_EQ(read("S", "k"), "old");
  EXPECT_EQ(read("T", "j"), std::string(254, 'h'));
  EXPECT_TRUE(write("S", "k", "new"));
  EXPECT_TRUE(write("T", "added", "1"));
  EXPECT_EQ(readFile(file),
            "[S]\r\nbig=" + huge + "\r\nk=new\r\n[T]\r\nj=" + huge + "\r\nadded=1\r\n");
}

TEST_F(IniFileTest, InvalidUtf8PassesThroughAndIsNeverCutInHalf) {
  const std::string bad = "\xC3\x28\xFF\xFE\xE2\x82";  // no character is complete
  const std::string before = "[S]\r\nbad=" + bad + "\r\nk=" + std::string(253, 'a') + "\xC3\xA9";
  writeFile(file, before);
  EXPECT_EQ(read("S", "bad"), bad);
  EXPECT_EQ(read("S", "k"), std::string(253, 'a') + "\xC3\xA9");
  EXPECT_TRUE(write("S", "new", "\xC3\xA9t\xC3\xA9"));
  EXPECT_EQ(readFile(file), before + "\r\nnew=\xC3\xA9t\xC3\xA9\r\n");
}

TEST_F(IniFileTest, Utf8MarkHidesTheFirstHeaderButLosesNothing) {
  const std::string before = "\xEF\xBB\xBF[S]\r\nk=hidden\r\n[T]\r\nj=seen\r\n";
  writeFile(file, before);
  EXPECT_EQ(read("S", "k", "d"), "d");
  EXPECT_EQ(read("T", "j"), "seen");
  EXPECT_TRUE(write("S", "k", "v"));
  EXPECT_EQ(readFile(file), before + "[S]\r\nk=v\r\n");
  EXPECT_EQ(read("S", "k"), "v");
}

TEST_F(IniFileTest, Utf16LeFileIsReadAndWrittenAsUtf16Le) {
  const std::string before = "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xE9\0"s;  // [S] k=é
  writeFile(file, before);
  EXPECT_EQ(read("S", "k"), "\xC3\xA9");
  EXPECT_TRUE(write("S", "j", "\xE2\x82\xAC"));  // €
  EXPECT_EQ(readFile(file), before + "\r\0\n\0j\0=\0\xAC\x20\r\0\n\0"s);
}

TEST_F(IniFileTest, LastLineWithoutLineEndGetsOne) {
  writeFile(file, "[S]\r\nk=v");
  EXPECT_EQ(read("S", "k"), "v");
  EXPECT_TRUE(write("S", "j", "w"));
  EXPECT_EQ(readFile(file), "[S]\r\nk=v\r\nj=w\r\n");
}

TEST_F(IniFileTest, ReadOnlyFileRefusesTheWriteAndStaysAsItWas) {
  writeFile(file, "[S]\nk=v");
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  EXPECT_FALSE(write("S", "k", "changed"));
  EXPECT_FALSE(write("S", "k", std::nullopt));
  EXPECT_EQ(readFile(file), "[S]\nk=v");
  EXPECT_EQ(read("S", "k"), "v");
  EXPECT_TRUE(strayFiles().empty());
}

TEST_F(IniFileTest, ReadOnlyFolderRefusesTheWrite) {
  writeFile(file, "[S]\r\nk=v\r\n");
  ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
  EXPECT_FALSE(write("S", "k", "changed"));
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  EXPECT_EQ(readFile(file), "[S]\r\nk=v\r\n");
  EXPECT_TRUE(strayFiles().empty());
}

TEST_F(IniFileTest, MissingFolderRefusesTheWriteAndCreatesNothing) {
  file = dir / "missing/Brivant RB.ini";
  EXPECT_EQ(read("S", "k", "d"), "d");
  EXPECT_FALSE(write("S", "k", "v"));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST_F(IniFileTest, FolderInPlaceOfTheFileReadsDefaultAndRefusesWrites) {
  std::filesystem::create_directory(file);
  EXPECT_EQ(read("S", "k", "d"), "d");
  EXPECT_FALSE(write("S", "k", "v"));
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(IniFileTest, LineBreakInANameOrValueWritesNothing) {
  writeFile(file, "[a]\r\nk=1\r\n");
  EXPECT_FALSE(write("a]\r\nk=v", "x", "y"));
  EXPECT_FALSE(write("a", "k\nj", "v"));
  EXPECT_FALSE(write("a", "k", "v\r\n[b]\r\nx=y"));
  EXPECT_FALSE(write("a", "k\r", std::nullopt));
  EXPECT_EQ(readFile(file), "[a]\r\nk=1\r\n");
  EXPECT_EQ(read("a", "k"), "1");
  EXPECT_EQ(read("b", "x", "d"), "d");

  file = dir / "new.ini";
  EXPECT_FALSE(write("S", "k", "v\n"));
  EXPECT_FALSE(std::filesystem::exists(file));
}

struct FileStamp {
  ino_t inode;
  timespec modified;
};

FileStamp stampOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return {st.st_ino, st.st_mtim};
}

TEST_F(IniFileTest, WriteThatChangesNothingRewritesNothing) {
  writeFile(file, "[S]\nk=v\n[T]\r\nj = \"w\" ");
  const FileStamp before = stampOf(file);
  usleep(20000);  // so a rewrite would show in the modification time
  EXPECT_TRUE(write("S", "k", "v"));
  EXPECT_TRUE(write("s", "K", "v"));
  EXPECT_TRUE(write("T", "j", "\"w\" "));
  EXPECT_TRUE(write("S", "missing", std::nullopt));
  EXPECT_TRUE(write("missing", "k", std::nullopt));
  const FileStamp after = stampOf(file);
  EXPECT_EQ(after.inode, before.inode);
  EXPECT_EQ(after.modified.tv_sec, before.modified.tv_sec);
  EXPECT_EQ(after.modified.tv_nsec, before.modified.tv_nsec);
  EXPECT_EQ(readFile(file), "[S]\nk=v\n[T]\r\nj = \"w\" ");
}

TEST_F(IniFileTest, RewriteKeepsThePermissions) {
  writeFile(file, "[S]\r\nk=v\r\n");
  ASSERT_EQ(chmod(file.c_str(), 0640), 0);
  EXPECT_TRUE(write("S", "k", "w"));
  struct stat st {};
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_TRUE(strayFiles().empty());
}

// Two processes write their own keys of one file at the same time, each key
// many times; every last value must be in the file.
TEST_F(IniFileTest, TwoProcessesWritingAtOnceLoseNoUpdate) {
  writeFile(file, ";shared\r\n[Shared]\r\nkeep=1\r\n");
  constexpr int kKeys = 20;
  constexpr int kRounds = 6;
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = fork();
    ASSERT_GE(children[child], 0);
    if (children[child] == 0) {
      close(start[1]);
      char go;
      if (::read(start[0], &go, 1) != 0) _exit(3);  // wait until the parent closes the pipe
      IniProfileFunctions own;
      const std::string prefix = child == 0 ? "a" : "b";
      int failures = 0;
      for (int round = 0; round < kRounds; ++round)
        for (int key = 0; key < kKeys; ++key) {
          // Alternate between a shared section and one of the process's own.
          const std::string section = key % 2 ? "Shared" : prefix + "Own";
          if (!own.writePrivateProfileString(section, prefix + std::to_string(key),
                                             std::to_string(round), file))
            ++failures;
        }
      _exit(failures == 0 ? 0 : 1);
    }
  }
  close(start[0]);
  close(start[1]);
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (const std::string prefix : {"a", "b"})
    for (int key = 0; key < kKeys; ++key) {
      const std::string section = key % 2 ? "Shared" : prefix + "Own";
      EXPECT_EQ(read(section, prefix + std::to_string(key)), std::to_string(kRounds - 1))
          << prefix << key;
    }
  EXPECT_EQ(read("Shared", "keep"), "1");
  EXPECT_TRUE(readFile(file).starts_with(";shared\r\n[Shared]\r\nkeep=1\r\n"));
  EXPECT_TRUE(strayFiles().empty());
}

}  // namespace
}  // namespace vigilo
