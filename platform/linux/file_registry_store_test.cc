#include "platform/linux/file_registry_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "testing/scoped_temp_dir.h"

namespace vigilo {
namespace {

using namespace std::string_literals;
using testing::readFile;
using testing::ScopedTempDir;
using testing::writeFile;

RegistryData sz(std::string_view text) {
  RegistryData data{kRegSz, std::vector<uint8_t>(text.begin(), text.end())};
  data.bytes.push_back(0);
  return data;
}

// Sets or clears an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}

class FileRegistryStoreTest : public ::testing::Test {
 protected:
  ScopedTempDir dir;
  std::string user = dir / "HKCU.reg";
  std::string machine = dir / "HKLM.reg";
  FileRegistryStore store{user, machine};
};

TEST_F(FileRegistryStoreTest, AMissingHiveReadsEmptyAndIsCreatedByTheFirstWrite) {
  EXPECT_FALSE(store.keyExists(kHkeyCurrentUser, "Software"));
  EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "Software\\Brivant", "Starter"), std::nullopt);
  EXPECT_FALSE(std::filesystem::exists(user));

  ASSERT_TRUE(store.setValue(kHkeyCurrentUser, "Software\\Brivant", "Starter", sz("/opt/v")));
  EXPECT_EQ(readFile(user),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Brivant]\n"
            "\"Starter\"=\"/opt/v\"\n\n");
  EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "software\\brivant", "STARTER"), sz("/opt/v"));
  EXPECT_TRUE(store.keyExists(kHkeyCurrentUser, "Software"));
  EXPECT_TRUE(store.keyExists(kHkeyCurrentUser, ""));
  // The roots are apart.
  EXPECT_EQ(store.queryValue(kHkeyLocalMachine, "Software\\Brivant", "Starter"), std::nullopt);
  EXPECT_FALSE(std::filesystem::exists(machine));

  ASSERT_TRUE(store.createKey(kHkeyLocalMachine, "Software\\A\\B"));
  EXPECT_EQ(readFile(machine),
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\A\\B]\n\n");
  EXPECT_TRUE(store.keyExists(kHkeyLocalMachine, "Software\\A"));
}

// An empty file and a damaged one: what can be read is read, and a write
// keeps every line it does not understand.
TEST_F(FileRegistryStoreTest, EmptyAndDamagedHives) {
  writeFile(user, "");
  EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "Software", "v"), std::nullopt);
  ASSERT_TRUE(store.setValue(kHkeyCurrentUser, "Software", "v", sz("x")));
  EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "Software", "v"), sz("x"));

  const std::string damaged =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Brivant]\r\n"
      "\"Good\"=dword:00000001\r\n"
      "\"Bad\"=dword:xyz\r\n"
      "\x00\x01\x02 binary \xFF\r\n"
      "[HKEY_CURRENT_USER\\Software\\Broken\r\n"
      "\"Orphan\"=\"kept\""s;
  writeFile(user, damaged);
  EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "Software\\Brivant", "Good"),
            (RegistryData{kRegDword, {1, 0, 0, 0}}));
  EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "Software\\Brivant", "Bad"), std::nullopt);
  ASSERT_TRUE(
      store.setValue(kHkeyCurrentUser, "Software\\Brivant", "Good", {kRegDword, {2, 0, 0, 0}}));
  ASSERT_TRUE(store.setValue(kHkeyCurrentUser, "Software\\Other", "New", sz("n")));
  std::string expected = damaged;
  expected.replace(expected.find("dword:00000001"), 14, "dword:00000002");
  expected += "\r\n\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n\"New\"=\"n\"\r\n\r\n";
  EXPECT_EQ(readFile(user), expected);
}

// A write that the file system refuses stores nothing, reports false and
// leaves what was there alone: a folder without write permission (refused
// even to the superuser), a read-only hive, a missing folder, a regular file
// where a folder must be, a folder where the hive must be.
TEST_F(FileRegistryStoreTest, RefusedWritesStoreNothing) {
  const std::string locked = dir / "locked";
  std::filesystem::create_directory(locked);
  writeFile(locked + "/hive.reg", "Windows Registry Editor Version 5.00\n");
  ::chmod(locked.c_str(), 0555);
  const std::string readOnly = dir / "read-only.reg";
  writeFile(readOnly, "Windows Registry Editor Version 5.00\n");
  ::chmod(readOnly.c_str(), 0444);
  writeFile(dir / "plain-file", "not a folder");
  std::filesystem::create_directory(dir / "a-folder.reg");

  struct Case {
    std::string path;
    bool createFolders;
  };
  const Case cases[] = {
      {locked + "/hive.reg", false},
      {locked + "/hive.reg", true},
      {locked + "/new.reg", false},
      {locked + "/new.reg", true},
      {readOnly, false},
      {dir / "missing/hive.reg", false},
      {dir / "plain-file/hive.reg", false},
      {dir / "plain-file/hive.reg", true},
      {dir / "a-folder.reg", false},
      {dir / "a-folder.reg", true},
  };
  for (const auto& [path, createFolders] : cases) {
    {
      SCOPED_TRACE(path + (createFolders ? " (creating folders)" : ""));
      const bool existed = std::filesystem::exists(path);
      const std::string before = std::filesystem::is_regular_file(path) ? readFile(path) : "";
      FileRegistryStore refusing(path, path, createFolders);
      EXPECT_FALSE(refusing.createKey(kHkeyCurrentUser, "Software\\Brivant"));
      EXPECT_FALSE(refusing.setValue(kHkeyCurrentUser, "Software\\Brivant", "v", sz("x")));
      EXPECT_EQ(refusing.queryValue(kHkeyCurrentUser, "Software\\Brivant", "v"), std::nullopt);
      EXPECT_EQ(std::filesystem::exists(path), existed);
      if (std::filesystem::is_regular_file(path)) {
        EXPECT_EQ(readFile(path), before);
      }
    }
  }
  EXPECT_EQ(std::filesystem::directory_iterator(locked)->path().filename(), "hive.reg");
  ::chmod(locked.c_str(), 0755);
}

TEST_F(FileRegistryStoreTest, NamesAndRootsItCannotHoldAreRefused) {
  EXPECT_FALSE(store.setValue(0x80000003u, "Software", "v", sz("x")));  // HKEY_USERS
  EXPECT_FALSE(store.createKey(0x12345678u, "Software"));
  EXPECT_FALSE(store.keyExists(0x80000003u, ""));
  EXPECT_FALSE(store.setValue(kHkeyCurrentUser, "Software\\\\Twice", "v", sz("x")));
  EXPECT_FALSE(store.setValue(kHkeyCurrentUser, "\\Software", "v", sz("x")));
  EXPECT_FALSE(store.setValue(kHkeyCurrentUser, "Software", "line\nbreak", sz("x")));
  EXPECT_FALSE(store.createKey(kHkeyCurrentUser, "Software\nBrivant"));
  EXPECT_FALSE(std::filesystem::exists(user));
  // The root itself is always there.
  EXPECT_TRUE(store.createKey(kHkeyCurrentUser, ""));
  EXPECT_FALSE(std::filesystem::exists(user));
}

TEST_F(FileRegistryStoreTest, AWriteThatChangesNothingLeavesTheFileAlone) {
  ASSERT_TRUE(store.setValue(kHkeyCurrentUser, "Software\\Brivant", "Starter", sz("/opt/v")));
  const struct stat before = statOf(user);
  EXPECT_TRUE(store.setValue(kHkeyCurrentUser, "SOFTWARE\\brivant", "starter", sz("/opt/v")));
  EXPECT_TRUE(store.createKey(kHkeyCurrentUser, "Software\\Brivant"));
  EXPECT_TRUE(store.createKey(kHkeyCurrentUser, "Software"));
  const struct stat after = statOf(user);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

// The parsed hive is kept between reads, yet a change made by anyone else
// shows at the next read: a replaced file, and a file edited in place to the
// same size at once.
TEST_F(FileRegistryStoreTest, ReadsSeeChangesMadeByOthers) {
  FileRegistryStore other(user, machine);
  ASSERT_TRUE(store.setValue(kHkeyCurrentUser, "K", "v", sz("one")));
  EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "K", "v"), sz("one"));
  ASSERT_TRUE(other.setValue(kHkeyCurrentUser, "K", "v", sz("two")));
  EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "K", "v"), sz("two"));

  std::string text = readFile(user);
  text.replace(text.find("two"), 3, "six");
  writeFile(user, text);
  EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "K", "v"), sz("six"));
  std::filesystem::remove(user);
  EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "K", "v"), std::nullopt);
}

TEST_F(FileRegistryStoreTest, ClassesRootIsTheUsersClassesOverTheMachines) {
  ASSERT_TRUE(
      store.setValue(kHkeyLocalMachine, "Software\\Classes\\Both.Class", "", sz("machine")));
  ASSERT_TRUE(store.setValue(kHkeyLocalMachine, "Software\\Classes\\Both.Class", "Extra", sz("m")));
  ASSERT_TRUE(
      store.setValue(kHkeyLocalMachine, "Software\\Classes\\Machine.Class\\CLSID", "", sz("{m}")));
  ASSERT_TRUE(store.setValue(kHkeyCurrentUser, "Software\\Classes\\Both.Class", "", sz("user")));

  EXPECT_EQ(store.queryValue(kHkeyClassesRoot, "both.class", ""), sz("user"));
  // The user's key hides the machine's key with all its values.
  EXPECT_EQ(store.queryValue(kHkeyClassesRoot, "Both.Class", "Extra"), std::nullopt);
  EXPECT_EQ(store.queryValue(kHkeyClassesRoot, "Machine.Class\\CLSID", ""), sz("{m}"));
  EXPECT_TRUE(store.keyExists(kHkeyClassesRoot, "Machine.Class"));
  EXPECT_FALSE(store.keyExists(kHkeyClassesRoot, "Nobody.Class"));

  const std::string machineBefore = readFile(machine);
  ASSERT_TRUE(store.setValue(kHkeyClassesRoot, "Machine.Class\\CLSID", "", sz("{u}")));
  EXPECT_EQ(readFile(machine), machineBefore);
  EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "Software\\Classes\\Machine.Class\\CLSID", ""),
            sz("{u}"));
  EXPECT_EQ(store.queryValue(kHkeyClassesRoot, "Machine.Class\\CLSID", ""), sz("{u}"));
}

TEST(FileRegistryStorePlacesTest, TheEnvironmentNamesTheHives) {
  ScopedTempDir dir;
  {
    ScopedEnv hkcu("VIGILO_HKCU_FILE", (dir / "user.reg").c_str());
    ScopedEnv hklm("VIGILO_HKLM_FILE", (dir / "machine.reg").c_str());
    FileRegistryStore store;
    EXPECT_EQ(store.currentUserFile(), dir / "user.reg");
    EXPECT_EQ(store.localMachineFile(), dir / "machine.reg");
    ASSERT_TRUE(store.setValue(kHkeyLocalMachine, "Software", "v", sz("x")));
    EXPECT_NE(readFile(dir / "machine.reg").find("[HKEY_LOCAL_MACHINE\\Software]"),
              std::string::npos);
  }
  ScopedEnv noHkcu("VIGILO_HKCU_FILE", nullptr);
  ScopedEnv noHklm("VIGILO_HKLM_FILE", nullptr);
  {
    // Only root may write the machine's hive in the system folder.
    const std::string machine = FileRegistryStore::defaultLocalMachineFile();
    EXPECT_EQ(machine.front(), '/');
    EXPECT_TRUE(machine.ends_with("/registry/HKEY_LOCAL_MACHINE.reg")) << machine;
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "config").c_str());
    EXPECT_EQ(FileRegistryStore::defaultCurrentUserFile(),
              dir / "config/vigilo/registry/HKEY_CURRENT_USER.reg");
    // The default place is made, for the user alone, by the first write.
    FileRegistryStore store;
    EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "Software", "v"), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(dir / "config"));
    ASSERT_TRUE(store.setValue(kHkeyCurrentUser, "Software", "v", sz("x")));
    EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "Software", "v"), sz("x"));
    EXPECT_EQ(statOf(dir / "config/vigilo/registry").st_mode & 0777, 0700u);
  }
  {
    ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
    ScopedEnv home("HOME", dir.path().c_str());
    EXPECT_EQ(FileRegistryStore::defaultCurrentUserFile(),
              dir / ".config/vigilo/registry/HKEY_CURRENT_USER.reg");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", nullptr);
    EXPECT_EQ(FileRegistryStore::defaultCurrentUserFile(), "");
    FileRegistryStore store;
    EXPECT_FALSE(store.setValue(kHkeyCurrentUser, "Software", "v", sz("x")));
    EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "Software", "v"), std::nullopt);
  }
}

// Several processes write into one hive at the same time, each its own
// values (some under shared keys): every value arrives.
TEST(FileRegistryStoreProcessesTest, ConcurrentWritersLoseNoUpdate) {
  ScopedTempDir dir;
  const std::string hive = dir / "HKCU.reg";
  constexpr int kProcesses = 4;
  constexpr int kValues = 12;
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(start[1]);
      char go;
      // Every writer starts when the pipe closes.
      if (::read(start[0], &go, 1) != 0) ::_exit(2);
      FileRegistryStore store(hive, dir / "HKLM.reg");
      bool ok = true;
      for (int i = 0; i < kValues; ++i) {
        const std::string key = "Software\\Shared\\" + std::to_string(i % 3);
        const std::string name = "p" + std::to_string(p) + "v" + std::to_string(i);
        ok = store.setValue(kHkeyCurrentUser, key, name, sz(name)) && ok;
        ok = store.setValue(kHkeyCurrentUser, "Software\\Own" + std::to_string(p), name,
                            {kRegDword, {static_cast<uint8_t>(i), 0, 0, 0}}) &&
             ok;
      }
      ::_exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  ::close(start[0]);
  ::close(start[1]);
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }

  FileRegistryStore store(hive, dir / "HKLM.reg");
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kValues; ++i) {
      const std::string name = "p" + std::to_string(p) + "v" + std::to_string(i);
      EXPECT_EQ(
          store.queryValue(kHkeyCurrentUser, "Software\\Shared\\" + std::to_string(i % 3), name),
          sz(name));
      EXPECT_EQ(store.queryValue(kHkeyCurrentUser, "Software\\Own" + std::to_string(p), name),
                (RegistryData{kRegDword, {static_cast<uint8_t>(i), 0, 0, 0}}));
    }
  }
  // Nothing was left behind by the writers.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace vigilo
