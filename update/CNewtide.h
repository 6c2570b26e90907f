#pragma once

#include <cstdint>
#include <string>

#include "platform/variant.h"

namespace vigilo {

// The settings of the maker's update tool, Newtide, for one product (whether
// it is enabled, the days between runs, its last run, its client file), kept
// in the registry through the registry settings component, and the decision
// and start of the tool.
//
// Properties read the registry when asked and keep the last value in a cache.
// Every member passes a failure on as an Error with its own tag appended to
// the description, so the description tells the path it took, innermost
// first.
class CNewtide {
 public:
  // Creates the registry settings component. Raises Error.
  CNewtide();
  // Writes the Enabled cache for the user; a failure there is swallowed.
  ~CNewtide();
  CNewtide(const CNewtide&) = delete;
  CNewtide& operator=(const CNewtide&) = delete;

  // The date of the last launch; zero means never. Set stores the date alone,
  // in the user's short date format.
  void LastRun(Date dtDate);
  Date LastRun();

  // Days between two runs. A set of 0 or less changes nothing.
  void Interval(int32_t nInterval);
  int32_t Interval();

  // The client file handed to the tool.
  void ClientFile(const std::string& sClientFile);
  std::string ClientFile();

  // The product name under which the settings are kept.
  void Program(const std::string& vData);
  std::string Program();

  // Whether the tool runs for this user. Every set writes.
  void Enabled(bool bEnabled);
  bool Enabled();

  // True when the tool is due: enabled, and never run or at least Interval
  // midnights passed since the last run.
  bool ShouldRun();

  // Starts the tool with the client file and records today as its last run.
  void Run();

 private:
  std::string CommonPath();
  std::string BuildPath(const std::string& folder, const std::string& file);
  void selectLocation(uint32_t rootKey);

  ObjectRef settings_;
  bool enabled_ = false;
  std::string program_;
  std::string clientFile_;
  int32_t interval_ = 0;
  Date lastRun_;
  std::string commonPath_;
};

// Error numbers of Run for a missing file: the tool, the client file.
inline constexpr int32_t kNewtideToolMissing = static_cast<int32_t>(0x8004009E);
inline constexpr int32_t kNewtideClientFileMissing = static_cast<int32_t>(0x8004009D);

}  // namespace vigilo
