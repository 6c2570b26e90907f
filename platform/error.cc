#include "platform/error.h"

#include <cerrno>
#include <cstring>

namespace vigilo {

Error::Error(int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

Error::~Error() = default;

Error Error::tagged(std::string_view tag) const {
  return Error(number_, source_, description_ + std::string(tag));
}

Error errorFromErrno(int systemError, std::string source, std::string_view what,
                     std::string_view path) {
  int32_t number = errc::kPathFileAccessError;
  switch (systemError) {
    case ENOENT: number = errc::kFileNotFound; break;
    case ENOTDIR: number = errc::kPathNotFound; break;
    case EACCES:
    case EPERM:
    case EROFS: number = errc::kPermissionDenied; break;
    case EEXIST: number = errc::kFileAlreadyExists; break;
    case ENOSPC:
    case EDQUOT: number = errc::kDiskFull; break;
    case ENOMEM: number = errc::kOutOfMemory; break;
    default: break;
  }
  std::string description = "Cannot ";
  description += what;
  description += " '";
  description += path;
  description += "': ";
  description += std::strerror(systemError);
  return Error(number, std::move(source), std::move(description));
}

}  // namespace vigilo
