#include "testing/recorded_start.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace vigilo::testing {

std::string recordingProgram() {
#ifdef VIGILO_RECORD_ARGUMENTS
  return VIGILO_RECORD_ARGUMENTS;
#else
  return "";
#endif
}

void installRecordingProgram(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  fs::copy_file(recordingProgram(), path, fs::copy_options::overwrite_existing, error);
  if (error)
    ADD_FAILURE() << "cannot copy the recording program to " << path << ": " << error.message();
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, error);
}

std::optional<RecordedStart> recordNow(const std::string& programPath) {
  std::ifstream in(programPath + ".args", std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::string> fields;
  for (std::string field; std::getline(in, field, '\0');) fields.push_back(field);
  if (fields.size() < 3) {
    ADD_FAILURE() << "a short record beside " << programPath;
    return std::nullopt;
  }
  RecordedStart start;
  start.pid = std::stoi(fields[0]);
  start.parentPid = std::stoi(fields[1]);
  start.openDescriptors = fields[2];
  start.argv.assign(fields.begin() + 3, fields.end());
  return start;
}

std::optional<RecordedStart> waitForRecord(const std::string& programPath, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (auto start = recordNow(programPath)) return start;
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace vigilo::testing
