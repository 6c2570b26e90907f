#include "platform/linux/posix_process_launcher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/error.h"
#include "testing/recorded_start.h"
#include "testing/scoped_temp_dir.h"

namespace vigilo {
namespace {

using testing::RecordedStart;

class PosixProcessLauncherTest : public ::testing::Test {
 protected:
  std::string install(const std::string& relativePath) {
    const std::string path = dir / relativePath;
    testing::installRecordingProgram(path);
    return path;
  }

  RecordedStart startAndRecord(const std::string& program, std::vector<std::string> arguments) {
    launcher.start({program, std::move(arguments)});
    auto record = testing::waitForRecord(program);
    if (!record) {
      ADD_FAILURE() << program << " did not run";
      return {};
    }
    return *record;
  }

  testing::ScopedTempDir dir;
  PosixProcessLauncher launcher;
};

TEST_F(PosixProcessLauncherTest, EveryArgumentArrivesAsOneValueAsGiven) {
  const std::string program = install("Program Files/Common Files/Update.exe");
  const std::vector<std::string> arguments = {
      "/C:" + dir.path() + "/My Apps/Update.cli",  // blanks
      "say \"hi\"",                                // quotes
      "",                                          // empty
      "$HOME; echo *",                             // what a shell would expand
      "tab\there",
  };
  const RecordedStart start = startAndRecord(program, arguments);
  ASSERT_EQ(start.argv.size(), arguments.size() + 1);
  EXPECT_EQ(start.argv[0], program);
  EXPECT_EQ(std::vector<std::string>(start.argv.begin() + 1, start.argv.end()), arguments);
}

TEST_F(PosixProcessLauncherTest, AProgramAtAPrefixOfThePathIsNeverStarted) {
  // Windows would try "<dir>/Program" and "<dir>/Program Files/Common" for
  // an unquoted command line; here only the exact path may run.
  const std::string tool = install("Program Files/Common Files/Brivant/Newtide/Update.exe");
  const std::string prefixes[] = {install("Program"), install("Program Files/Common"),
                                  install("Program Files/Common Files/Brivant/Newtide/Update")};
  startAndRecord(tool, {"/C:" + dir.path() + "/x y/Update.cli"});
  for (const std::string& prefix : prefixes)
    EXPECT_FALSE(testing::recordNow(prefix)) << prefix << " was started";
}

TEST_F(PosixProcessLauncherTest, NoSearchAlongPath) {
  // A bare name is a path relative to the working folder, never looked up.
  try {
    launcher.start({"true", {}});
    FAIL() << "a bare name was started";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), errc::kFileNotFound);
  }
}

TEST_F(PosixProcessLauncherTest, RefusedStartsAreErrorsNamingTheProgram) {
  const std::string notExecutable = install("not executable");
  chmod(notExecutable.c_str(), 0644);
  const std::string folder = dir / "folder";
  std::filesystem::create_directory(folder);
  struct Case {
    std::string program;
    int32_t number;
  };
  const Case cases[] = {
      {dir / "missing", errc::kFileNotFound},
      {notExecutable, errc::kPermissionDenied},
      {folder, errc::kPermissionDenied},
      {"", errc::kFileNotFound},
  };
  for (const Case& c : cases) {
    try {
      launcher.start({c.program, {"/C:x"}});
      ADD_FAILURE() << c.program << " was started";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), c.number) << e.description();
      EXPECT_EQ(e.source(), "ProcessLauncher");
      EXPECT_NE(e.description().find("'" + c.program + "'"), std::string::npos) << e.description();
    }
  }
  EXPECT_FALSE(testing::recordNow(notExecutable));
}

TEST_F(PosixProcessLauncherTest, DoesNotWaitAndLeavesNoChildBehind) {
  const std::string program = install("tool");
  const std::string hold = dir / "hold";
  testing::writeFile(hold, "");
  setenv("RECORD_ARGUMENTS_HOLD", hold.c_str(), 1);
  launcher.start({program, {}});
  unsetenv("RECORD_ARGUMENTS_HOLD");
  const auto start = testing::waitForRecord(program);
  ASSERT_TRUE(start);

  // start() has returned while the program still runs: it did not wait.
  EXPECT_EQ(kill(start->pid, 0), 0);
  // It is not our child, so it can never become our zombie.
  EXPECT_NE(start->parentPid, getpid());
  errno = 0;
  EXPECT_EQ(waitpid(start->pid, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  // It got none of our open files, and a session of its own.
  EXPECT_EQ(start->openDescriptors, "0 1 2");
  EXPECT_EQ(getsid(start->pid), start->pid);

  std::filesystem::remove(hold);
}

}  // namespace
}  // namespace vigilo
