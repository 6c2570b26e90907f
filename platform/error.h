#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vigilo {

// A failure as the automation layer reports it: a number, the source that
// raised it and a sentence a user can read. Every operation that may fail
// reports through this type; the callers turn it into their message texts.
class Error : public std::runtime_error {
 public:
  Error(int32_t number, std::string source, std::string description);
  ~Error() override;

  int32_t number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }

  // The same failure with `tag` appended to the description, as a member
  // passes on a failure that happened inside it.
  Error tagged(std::string_view tag) const;

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
};

// Error numbers of the automation runtime that the program's failures use.
namespace errc {
constexpr int32_t kInvalidProcedureCall = 5;
constexpr int32_t kOverflow = 6;
constexpr int32_t kOutOfMemory = 7;
constexpr int32_t kTypeMismatch = 13;
constexpr int32_t kFileNotFound = 53;
constexpr int32_t kBadFileMode = 54;
constexpr int32_t kFileAlreadyExists = 58;
constexpr int32_t kDiskFull = 61;
constexpr int32_t kPermissionDenied = 70;
constexpr int32_t kPathFileAccessError = 75;
constexpr int32_t kPathNotFound = 76;
constexpr int32_t kInvalidUseOfNull = 94;
constexpr int32_t kObjectRequired = 424;
constexpr int32_t kCannotCreateObject = 429;
constexpr int32_t kMemberNotFound = 438;
constexpr int32_t kAutomationError = 440;
}  // namespace errc

// Turns a system error code (errno) met while doing `what` on `path` into an
// Error with the matching runtime number and a sentence naming the path.
Error errorFromErrno(int systemError, std::string source, std::string_view what,
                     std::string_view path);

}  // namespace vigilo
