#include "locations/mRegistry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <filesystem>

#include "platform/error.h"
#include "platform/linux/file_registry_store.h"
#include "platform/platform.h"
#include "testing/fake_user_interface.h"
#include "testing/memory_registry_store.h"
#include "testing/scoped_temp_dir.h"

namespace vigilo {
namespace {

using mRegistry::RegistryGetKeyValue;
using mRegistry::RegistrySetKeyValue;
using testing::readFile;
using testing::ShownMessage;
using testing::writeFile;

constexpr const char* kKey = "Software\\Brivant\\Vigilo";

// The real registry store on hive files in a temporary folder, and a user
// interface that records its messages.
class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() {
    Platform services;
    services.ui = &ui;
    services.registry = &store;
    installed_.emplace(services);
  }

  // The stored type and bytes, as the store has them.
  std::optional<RegistryData> stored(const std::string& valueName,
                                     uint32_t root = kHkeyCurrentUser) {
    return store.queryValue(root, kKey, valueName);
  }

  testing::ScopedTempDir dir;
  std::string userHive = dir / "HKEY_CURRENT_USER.reg";
  FileRegistryStore store{userHive, dir / "HKEY_LOCAL_MACHINE.reg"};
  testing::FakeUserInterface ui;

 private:
  std::optional<ScopedPlatform> installed_;
};

TEST_F(RegistryTest, ReadsTextBytesAndNumbersAndNothingElse) {
  struct Case {
    const char* line;  // the value "v" in the hive file
    Variant expected;
  };
  const Case cases[] = {
      {R"("v"="C:\\Program Files\\Vigilo")", "C:\\Program Files\\Vigilo"},
      {R"("v"="")", ""},
      {R"("v"=hex(1):)", ""},              // size 0: the empty text, not nothing
      {R"("v"=hex(1):41,00,42,00)", "A"},  // cut at the first NUL
      {R"("v"=hex(1):00,41,00)", ""},
      {R"("v"=hex(1):41,42)", "AB"},  // no NUL at all
      {R"("v"=hex:00,01,fe,ff)", Bytes{0, 1, 0xFE, 0xFF}},
      {R"("v"=hex:)", Bytes{}},  // size 0: no bytes, not nothing
      {R"("v"=dword:0000002a)", int32_t{42}},
      {R"("v"=dword:fffffffe)", int32_t{-2}},
      {R"("v"=dword:80000000)", int32_t{INT32_MIN}},
      {R"("v"=hex(4):01,02)", int32_t{0x0201}},     // fewer bytes fill the low ones
      {R"("v"=hex(4):01,02,03,04,05)", Variant()},  // more do not fit
      {R"("v"=hex(2):25,00,00)", Variant()},        // REG_EXPAND_SZ
      {R"("v"=hex(7):61,00,00,00)", Variant()},     // REG_MULTI_SZ
      {R"("v"=hex(0):01)", Variant()},
      {R"("v"=hex(b):01,00,00,00,00,00,00,00)", Variant()},
      {R"("v"=hex(5):00,00,00,01)", Variant()},  // big-endian DWORD
      {R"("w"="another value")", Variant()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    writeFile(userHive,
              std::string("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\") + kKey +
                  "]\n" + c.line + "\n");
    const Variant read = RegistryGetKeyValue(kHkeyCurrentUser, kKey, "v");
    EXPECT_EQ(read, c.expected);
    EXPECT_EQ(read.type(), c.expected.type());
    // Names are matched without regard to case.
    EXPECT_EQ(RegistryGetKeyValue(kHkeyCurrentUser, "SOFTWARE\\brivant\\vigilo", "V"), c.expected);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RegistryTest, MissingKeysValuesAndRootsReadAsNothing) {
  EXPECT_TRUE(RegistryGetKeyValue(kHkeyCurrentUser, kKey, "v").isEmpty());  // no hive file
  RegistrySetKeyValue(kHkeyCurrentUser, kKey, "v", "x", kRegSz);
  EXPECT_TRUE(RegistryGetKeyValue(kHkeyCurrentUser, "Software\\Nobody", "v").isEmpty());
  EXPECT_TRUE(RegistryGetKeyValue(kHkeyCurrentUser, kKey, "w").isEmpty());
  EXPECT_TRUE(RegistryGetKeyValue(kHkeyLocalMachine, kKey, "v").isEmpty());
  EXPECT_TRUE(RegistryGetKeyValue(0x80000003u, kKey, "v").isEmpty());
  EXPECT_TRUE(RegistryGetKeyValue(kHkeyCurrentUser, "Software\\\\Brivant", "v").isEmpty());
  EXPECT_TRUE(ui.messages.empty());
}

// What each write stores, by the type its caller names.
TEST_F(RegistryTest, WritesConvertTheValueToTheNamedType) {
  struct Case {
    Variant value;
    int32_t valueType;
    std::optional<RegistryData> expected;
  };
  const Case cases[] = {
      {"text", 1, RegistryData{kRegSz, {'t', 'e', 'x', 't', 0}}},
      {"", 1, RegistryData{kRegSz, {0}}},  // one NUL byte
      {std::string("a\0b", 3), 1, RegistryData{kRegSz, {'a', 0, 'b', 0}}},
      {"gr\xC3\xBC\xC3\x9F", 1, RegistryData{kRegSz, {'g', 'r', 0xC3, 0xBC, 0xC3, 0x9F, 0}}},
      {int32_t{42}, 1, RegistryData{kRegSz, {'4', '2', 0}}},
      {Variant(), 1, RegistryData{kRegSz, {0}}},
      {Bytes{1, 2, 0, 3}, 3, RegistryData{kRegBinary, {1, 2, 0, 3}}},
      {Bytes{}, 3, RegistryData{kRegBinary, {}}},
      {"AB", 3, RegistryData{kRegBinary, {'A', 'B'}}},
      {int32_t{-2}, 4, RegistryData{kRegDword, {0xFE, 0xFF, 0xFF, 0xFF}}},
      {int32_t{0x01020304}, 4, RegistryData{kRegDword, {4, 3, 2, 1}}},
      {int16_t{7}, 4, RegistryData{kRegDword, {7, 0, 0, 0}}},
      {"12", 4, RegistryData{kRegDword, {12, 0, 0, 0}}},
      {2.5, 4, RegistryData{kRegDword, {2, 0, 0, 0}}},  // rounded half to even
      {true, 4, RegistryData{kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}}},
      // Other type numbers store nothing.
      {"x", 2, std::nullopt},
      {"x", 7, std::nullopt},
      {"x", 0, std::nullopt},
      {"x", 11, std::nullopt},
      {"x", -1, std::nullopt},
  };
  int i = 0;
  for (const Case& c : cases) {
    const std::string key = std::string(kKey) + "\\" + std::to_string(i++);
    SCOPED_TRACE(key);
    RegistrySetKeyValue(kHkeyCurrentUser, key, "v", c.value, c.valueType);
    EXPECT_EQ(store.queryValue(kHkeyCurrentUser, key, "v"), c.expected);
    // The key path is there in any case.
    EXPECT_TRUE(store.keyExists(kHkeyCurrentUser, key));
  }
  EXPECT_TRUE(ui.messages.empty());
}

// A value that has no form of the named type: the message names the
// operation, the key path is created, nothing is stored, and the value
// that was there stays.
TEST_F(RegistryTest, AValueThatCannotBeConvertedIsReported) {
  struct Case {
    Variant value;
    int32_t valueType;
    std::string message;
  };
  const Case cases[] = {
      {Variant::null(), 1, "Error: 94. Invalid use of Null"},
      {int32_t{1}, 3, "Error: 13. Type mismatch"},
      {Variant(), 3, "Error: 13. Type mismatch"},
      {"abc", 4, "Error: 13. Type mismatch"},
      {3e10, 4, "Error: 6. Overflow"},
      {Bytes{1, 2, 3, 4}, 4, "Error: 13. Type mismatch"},
  };
  RegistrySetKeyValue(kHkeyCurrentUser, kKey, "kept", "before", kRegSz);
  int i = 0;
  for (const Case& c : cases) {
    const std::string key = std::string(kKey) + "\\New" + std::to_string(i++);
    SCOPED_TRACE(c.message);
    ui.messages.clear();
    RegistrySetKeyValue(kHkeyCurrentUser, key, "v", c.value, c.valueType);
    EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{{c.message, 0, "RegistrySetKeyValue"}}));
    EXPECT_TRUE(store.keyExists(kHkeyCurrentUser, key));
    EXPECT_EQ(store.queryValue(kHkeyCurrentUser, key, "v"), std::nullopt);

    ui.messages.clear();
    RegistrySetKeyValue(kHkeyCurrentUser, kKey, "kept", c.value, c.valueType);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(RegistryGetKeyValue(kHkeyCurrentUser, kKey, "kept"), Variant("before"));
  }
}

TEST_F(RegistryTest, WritingCreatesEveryMissingKeyOfThePath) {
  RegistrySetKeyValue(kHkeyCurrentUser, "Software\\A\\B\\C", "v", int32_t{1}, kRegDword);
  for (const char* key : {"Software", "Software\\A", "Software\\A\\B", "Software\\A\\B\\C"})
    EXPECT_TRUE(store.keyExists(kHkeyCurrentUser, key)) << key;
  RegistrySetKeyValue(kHkeyCurrentUser, "Software\\D\\E", "v", "x", 99);
  EXPECT_TRUE(store.keyExists(kHkeyCurrentUser, "Software\\D\\E"));
  EXPECT_EQ(RegistryGetKeyValue(kHkeyCurrentUser, "Software\\D\\E", "v"), Variant());
}

// Bytes read from the registry and written back are the same bytes, and a
// write of what is already stored leaves the hive file alone.
TEST_F(RegistryTest, BytesReadAndWrittenBackAreTheSame) {
  Bytes bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  RegistrySetKeyValue(kHkeyCurrentUser, kKey, "Data", bytes, kRegBinary);
  const Variant read = RegistryGetKeyValue(kHkeyCurrentUser, kKey, "Data");
  ASSERT_EQ(read.type(), Variant::Type::Bytes);
  EXPECT_EQ(read.bytes(), bytes);

  const std::string before = readFile(userHive);
  struct stat st;
  ASSERT_EQ(::stat(userHive.c_str(), &st), 0);
  const ino_t inode = st.st_ino;
  RegistrySetKeyValue(kHkeyCurrentUser, kKey, "Data", read, kRegBinary);
  RegistrySetKeyValue(kHkeyCurrentUser, kKey, "DATA", read, kRegBinary);
  EXPECT_EQ(readFile(userHive), before);
  ASSERT_EQ(::stat(userHive.c_str(), &st), 0);
  EXPECT_EQ(st.st_ino, inode);  // not replaced
  EXPECT_EQ(stored("Data"), (RegistryData{kRegBinary, bytes}));
}

// A write the registry refuses (the machine's hive in a folder the user may
// not write) stores nothing and says nothing.
TEST_F(RegistryTest, ARefusedWriteIsSilent) {
  const std::string locked = dir / "system";
  std::filesystem::create_directory(locked);
  const std::string machineHive = locked + "/HKEY_LOCAL_MACHINE.reg";
  writeFile(machineHive, "Windows Registry Editor Version 5.00\n");
  std::filesystem::permissions(
      locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  FileRegistryStore refusing(userHive, machineHive);
  Platform services = platform();
  services.registry = &refusing;
  ScopedPlatform installed(services);

  RegistrySetKeyValue(kHkeyLocalMachine, kKey, "v", "x", kRegSz);
  RegistrySetKeyValue(kHkeyLocalMachine, kKey, "v", 5, 99);
  RegistrySetKeyValue(kHkeyLocalMachine, kKey, "v", int32_t{1}, kRegBinary);  // still reported
  EXPECT_EQ(ui.messages,
            (std::vector<ShownMessage>{{"Error: 13. Type mismatch", 0, "RegistrySetKeyValue"}}));
  EXPECT_TRUE(RegistryGetKeyValue(kHkeyLocalMachine, kKey, "v").isEmpty());
  EXPECT_EQ(readFile(machineHive), "Windows Registry Editor Version 5.00\n");
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

// A registry whose reads fail at run time.
class FailingRegistry : public testing::MemoryRegistryStore {
 public:
  std::optional<RegistryData> queryValue(uint32_t, const std::string&,
                                         const std::string&) override {
    throw Error(errc::kPathFileAccessError, "Registry", "Path/File access error");
  }
};

TEST_F(RegistryTest, AFailedReadIsReportedAndReadsNothing) {
  FailingRegistry failing;
  Platform services = platform();
  services.registry = &failing;
  ScopedPlatform installed(services);
  EXPECT_TRUE(RegistryGetKeyValue(kHkeyCurrentUser, kKey, "v").isEmpty());
  EXPECT_EQ(
      ui.messages,
      (std::vector<ShownMessage>{{"Error: 75. Path/File access error", 0, "RegistryGetKeyValue"}}));
}

}  // namespace
}  // namespace vigilo
