#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace vigilo::testing {

// How a copy of the recording program (testing/record_arguments_main.cc) was
// started, as it wrote it down.
struct RecordedStart {
  pid_t pid = 0;
  pid_t parentPid = 0;
  std::string openDescriptors;    // "0 1 2"
  std::vector<std::string> argv;  // argv[0] first
};

// The recording program as built.
std::string recordingProgram();

// Copies the recording program to `path` (folders created), executable.
void installRecordingProgram(const std::string& path);

// The record of the copy at `programPath`, waiting up to `seconds` for it to
// appear; nothing when the copy did not run in that time.
std::optional<RecordedStart> waitForRecord(const std::string& programPath, double seconds = 10);

// The record if it exists now.
std::optional<RecordedStart> recordNow(const std::string& programPath);

}  // namespace vigilo::testing
