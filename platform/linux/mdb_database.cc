#include "platform/linux/mdb_database.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/ado.h"
#include "platform/error.h"
#include "platform/linux/mdb_query.h"
#include "platform/linux/mdb_table.h"
#include "platform/linux/unique_fd.h"

namespace vigilo::mdb {
namespace {

constexpr off_t kPageSize = 4096;
constexpr int kJetVersionOffset = 0x14;
constexpr int kJet4 = 1;

Error providerError(std::string description) {
  return Error(ado::errc::kProviderFailure, "Microsoft JET Database Engine",
               std::move(description));
}

// Checks what libmdb takes on trust: that `path` is a regular file of whole
// pages that starts with a Jet 4 header. libmdb never sees a missing path
// (with some MDBPATH values it searches without end for one).
void checkFile(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR)
      throw providerError("Could not find file '" + path + "'.");
    throw errorFromErrno(errno, "Microsoft JET Database Engine", "open the database file", path);
  }
  if (S_ISDIR(status.st_mode))
    throw providerError("'" + path + "' is a folder, not a database file.");
  if (!S_ISREG(status.st_mode))
    throw providerError("'" + path + "' is not a regular file and cannot be a database file.");
  if (status.st_size == 0)
    throw providerError("Unrecognized database format '" + path + "': the file is empty.");
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd)
    throw errorFromErrno(errno, "Microsoft JET Database Engine", "open the database file", path);
  unsigned char header[kJetVersionOffset + 4] = {};
  const ssize_t got = ::pread(fd.get(), header, sizeof header, 0);
  static const char kJetSignature[] = "Standard Jet DB";
  static const char kAceSignature[] = "Standard ACE DB";
  if (got != static_cast<ssize_t>(sizeof header) || header[0] != 0 ||
      (std::memcmp(header + 4, kJetSignature, sizeof kJetSignature) != 0 &&
       std::memcmp(header + 4, kAceSignature, sizeof kAceSignature) != 0))
    throw providerError("Unrecognized database format '" + path +
                        "': the file is not an Access database.");
  if (header[kJetVersionOffset] != kJet4)
    throw providerError("Unrecognized database format '" + path +
                        "': only the Jet 4 (Access 2000-2003) format can be read.");
  if (status.st_size % kPageSize != 0 || status.st_size < 2 * kPageSize)
    throwDamaged(path, "its size (" + std::to_string(status.st_size) +
                           " bytes) is not a whole number of 4096-byte pages; it may be truncated");
}

}  // namespace

std::unique_ptr<Database> Database::open(const std::string& path) {
  checkFile(path);
  unsetenv("MDBPATH");
  MdbHandle* handle = mdb_open(path.c_str(), MDB_NOFLAGS);
  if (!handle) throw providerError("Unrecognized database format '" + path + "'.");
  auto owned = std::make_unique<OpenHandle>(handle);
  if (handle->f->jet_version != MDB_VER_JET4)
    throw providerError("Unrecognized database format '" + path +
                        "': only the Jet 4 (Access 2000-2003) format can be read.");
  if (!mdb_read_catalog(handle, MDB_TABLE))
    throwDamaged(path, "its catalog of tables cannot be read");
  return std::unique_ptr<Database>(new Database(path, std::move(owned)));
}

Database::Database(std::string path, std::unique_ptr<OpenHandle> handle)
    : path_(std::move(path)), handle_(std::move(handle)) {}

Database::~Database() = default;

ResultSet Database::select(const SelectStatement& statement, const std::string& sql) {
  Table table(handle_->mdb, statement.table, path_);
  return runSelect(table, statement, sql);
}

}  // namespace vigilo::mdb
