#include "testing/test_window_owner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace vigilo::testing {

TestWindowOwner::TestWindowOwner(const std::string& programPath) {
  int toProgram[2], fromProgram[2];
  if (pipe2(toProgram, O_CLOEXEC) != 0 || pipe2(fromProgram, O_CLOEXEC) != 0) {
    throw std::runtime_error("cannot make pipes for the test window program");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toProgram[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fromProgram[1], STDOUT_FILENO);
  char* argv[] = {const_cast<char*>(programPath.c_str()), nullptr};
  const int failed = posix_spawn(&pid_, programPath.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(toProgram[0]);
  close(fromProgram[1]);
  input_ = UniqueFd(toProgram[1]);
  output_ = UniqueFd(fromProgram[0]);
  if (failed) {
    pid_ = -1;
    throw std::runtime_error("cannot start " + programPath + ": " + std::strerror(failed));
  }
  command("sync", "synced");
}

TestWindowOwner::~TestWindowOwner() {
  input_.reset();  // end of input ends the program
  if (pid_ <= 0) return;
  // A program stuck on the X server is ended all the same.
  int status;
  for (int i = 0; i < 500 && waitpid(pid_, &status, WNOHANG) == 0; ++i) usleep(10000);
  if (waitpid(pid_, &status, WNOHANG) == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
}

void TestWindowOwner::send(const std::string& line) {
  const std::string text = line + "\n";
  if (write(input_.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    throw std::runtime_error("the test window program is gone");
  }
}

bool TestWindowOwner::readLine(std::string& line, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (const size_t end = buffer_.find('\n'); end != std::string::npos) {
      line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd fd = {output_.get(), POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) continue;
    char chunk[4096];
    const ssize_t count = read(output_.get(), chunk, sizeof chunk);
    if (count <= 0) return false;
    buffer_.append(chunk, count);
  }
}

std::string TestWindowOwner::command(const std::string& line, const std::string& answer) {
  send(line);
  std::string reply;
  while (readLine(reply, std::chrono::seconds(30))) {
    if (reply.rfind(answer, 0) == 0) return reply.substr(std::min(reply.size(), answer.size() + 1));
    notices_.push_back(reply);
  }
  throw std::runtime_error("the test window program did not answer '" + line + "'");
}

WindowHandle TestWindowOwner::create(const std::string& fields) {
  return static_cast<WindowHandle>(std::stol(command("window " + fields, "created")));
}

void TestWindowOwner::destroy(WindowHandle window) {
  command("destroy " + std::to_string(window), "destroyed");
}

void TestWindowOwner::churn(int count) { send("churn " + std::to_string(count)); }

void TestWindowOwner::stopChurn() { command("stop", "stopped"); }

bool TestWindowOwner::waitForNotice(const std::string& notice, std::chrono::milliseconds timeout) {
  if (auto found = std::find(notices_.begin(), notices_.end(), notice); found != notices_.end()) {
    notices_.erase(found);
    return true;
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string line;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !readLine(line, left)) return false;
    if (line == notice) return true;
    notices_.push_back(line);
  }
}

}  // namespace vigilo::testing
