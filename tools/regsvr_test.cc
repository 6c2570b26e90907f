// The registration tool on real hive files, and the component layer finding
// what it registered.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "platform/error.h"
#include "platform/linux/file_registry_store.h"
#include "platform/linux/registered_components.h"
#include "platform/platform.h"
#include "testing/scoped_temp_dir.h"

namespace vigilo {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kClassKey[] =
    "Software\\Classes\\CLSID\\{6F1D3A52-0C4B-4E8A-9B1E-7A2C5D9E0F11}\\InprocServer32";

class RegsvrTest : public ::testing::Test {
 protected:
  RegsvrTest()
      : user_(temp_ / "HKEY_CURRENT_USER.reg"),
        machine_(temp_ / "HKEY_LOCAL_MACHINE.reg"),
        registry_(user_, machine_),
        installed_(services()) {}

  Platform services() {
    Platform p;
    p.registry = &registry_;
    return p;
  }

  // Runs the tool with `arguments`; its exit status.
  int regsvr(const std::string& arguments) {
    const std::string command = "VIGILO_HKCU_FILE='" + user_ + "' VIGILO_HKLM_FILE='" + machine_ +
                                "' '" VIGILO_REGSVR "' " + arguments + " >'" + (temp_ / "out") +
                                "' 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string output() { return testing::readFile(temp_ / "out"); }

  std::string createdClass() {
    return components_.createObject("Vigilo.TestComponent")->get("ClassName").toString();
  }

  std::optional<std::string> registeredPath(uint32_t root) {
    const auto data = registry_.queryValue(root, kClassKey, "");
    if (!data) return std::nullopt;
    return std::string(data->bytes.begin(), data->bytes.end() - 1);
  }

  testing::ScopedTempDir temp_;
  std::string user_;
  std::string machine_;
  FileRegistryStore registry_;
  RegisteredComponents components_;

 private:
  ScopedPlatform installed_;
};

TEST_F(RegsvrTest, RegistersForTheMachineAndForTheUserAndUnregistersEach) {
  ASSERT_EQ(regsvr(VIGILO_TEST_COMPONENT), 0) << output();
  EXPECT_THAT(output(), HasSubstr("Registered Vigilo.TestComponent"));
  EXPECT_EQ(registeredPath(kHkeyLocalMachine), VIGILO_TEST_COMPONENT);
  EXPECT_EQ(createdClass(), "Vigilo.TestComponent");

  ASSERT_EQ(regsvr("--user --quiet " VIGILO_TEST_COMPONENT), 0) << output();
  EXPECT_EQ(output(), "");
  EXPECT_EQ(registeredPath(kHkeyCurrentUser), VIGILO_TEST_COMPONENT);
  // The user's registration alone is enough once the machine's is gone.
  ASSERT_EQ(regsvr("--unregister --machine " VIGILO_TEST_COMPONENT), 0) << output();
  EXPECT_FALSE(registeredPath(kHkeyLocalMachine));
  EXPECT_EQ(createdClass(), "Vigilo.TestComponent");

  ASSERT_EQ(regsvr("-u --user " VIGILO_TEST_COMPONENT), 0) << output();
  EXPECT_THAT(testing::readFile(user_), Not(HasSubstr("Vigilo.TestComponent")));
  try {
    createdClass();
    FAIL() << "still registered";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), errc::kCannotCreateObject);
  }
}

TEST_F(RegsvrTest, AStagedLibraryIsRegisteredUnderItsInstalledPath) {
  ASSERT_EQ(regsvr("--machine --as /opt/vigilo/components/Test.so " VIGILO_TEST_COMPONENT), 0)
      << output();
  EXPECT_EQ(registeredPath(kHkeyLocalMachine), "/opt/vigilo/components/Test.so");
}

TEST_F(RegsvrTest, WhatIsNoComponentLibraryIsRefusedAndNothingIsWritten) {
  testing::writeFile(temp_ / "garbage.so", "not a library");
  EXPECT_EQ(regsvr("'" + (temp_ / "garbage.so") + "'"), 1);
  EXPECT_THAT(output(), HasSubstr("garbage.so"));
  EXPECT_EQ(regsvr("'" + (temp_ / "missing.so") + "'"), 1);
  EXPECT_THAT(output(), HasSubstr("missing.so"));
  for (const char* wrong : {"", "--bogus " VIGILO_TEST_COMPONENT,
                            "--as /a.so " VIGILO_TEST_COMPONENT " " VIGILO_TEST_COMPONENT}) {
    EXPECT_EQ(regsvr(wrong), 2) << wrong;
    EXPECT_THAT(output(), HasSubstr("usage:"));
  }
  EXPECT_FALSE(std::filesystem::exists(machine_));
}

}  // namespace
}  // namespace vigilo
