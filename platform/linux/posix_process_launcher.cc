#include "platform/linux/posix_process_launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/linux/unique_fd.h"

extern char** environ;

namespace vigilo {
namespace {

constexpr const char* kSource = "ProcessLauncher";

// posix_spawn's attribute objects, destroyed on every way out.
class SpawnAttributes {
 public:
  SpawnAttributes() { posix_spawnattr_init(&attributes_); }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  posix_spawnattr_t* get() { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

class SpawnFileActions {
 public:
  SpawnFileActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnFileActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnFileActions(const SpawnFileActions&) = delete;
  SpawnFileActions& operator=(const SpawnFileActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// The started program begins as a fresh program would: default signal
// handling, nothing blocked, in a session of its own (so it outlives the
// starter's terminal and process group), and none of our open files but the
// standard three (an open settings file or lock must not leak into it).
int prepare(SpawnAttributes& attributes, SpawnFileActions& actions) {
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  if (int error = posix_spawnattr_setsigdefault(attributes.get(), &all)) return error;
  if (int error = posix_spawnattr_setsigmask(attributes.get(), &none)) return error;
  if (int error = posix_spawnattr_setflags(
          attributes.get(), POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSID))
    return error;
  return posix_spawn_file_actions_addclosefrom_np(actions.get(), 3);
}

// Reads exactly one int from `fd`; false at an early end of the pipe.
bool readInt(int fd, int& value) {
  char* out = reinterpret_cast<char*>(&value);
  size_t done = 0;
  while (done < sizeof value) {
    const ssize_t n = ::read(fd, out + done, sizeof value - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void reap(pid_t pid) {
  // ECHILD (someone ignores SIGCHLD, so the system reaped it) is fine too.
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

void PosixProcessLauncher::start(const ProcessStart& process) {
  // The window of a new X client is mapped normally unless it asks
  // otherwise, which is what the one show command in use asks for.
  std::vector<std::string> strings;
  strings.reserve(process.arguments.size() + 1);
  strings.push_back(process.program);
  strings.insert(strings.end(), process.arguments.begin(), process.arguments.end());
  std::vector<char*> argv;
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  SpawnAttributes attributes;
  SpawnFileActions actions;
  if (int error = prepare(attributes, actions))
    throw errorFromErrno(error, kSource, "start the program", process.program);

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) < 0)
    throw errorFromErrno(errno, kSource, "start the program", process.program);
  UniqueFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);

  // Everything the intermediate process needs is made before the fork: after
  // it only posix_spawn, write and _exit run there.
  const pid_t intermediate = fork();
  if (intermediate < 0) throw errorFromErrno(errno, kSource, "start the program", process.program);
  if (intermediate == 0) {
    pid_t started;
    int result =
        posix_spawn(&started, argv[0], actions.get(), attributes.get(), argv.data(), environ);
    ssize_t ignored = ::write(writeEnd.get(), &result, sizeof result);
    (void)ignored;
    _exit(0);
  }
  writeEnd.reset();

  int result = 0;
  const bool answered = readInt(readEnd.get(), result);
  reap(intermediate);
  if (!answered) result = ECHILD;
  if (result != 0) throw errorFromErrno(result, kSource, "start the program", process.program);
}

}  // namespace vigilo
