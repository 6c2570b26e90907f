#include "platform/linux/file_registry_store.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/linux/safe_write.h"

namespace vigilo {
namespace {

constexpr const char* kCurrentUser = "HKEY_CURRENT_USER";
constexpr const char* kLocalMachine = "HKEY_LOCAL_MACHINE";
// Where HKEY_CLASSES_ROOT lives in the user's and the machine's hive.
constexpr const char* kClasses = "Software\\Classes";
// Coarser than any file system's modification times (FAT keeps 2 seconds).
constexpr time_t kRecentSeconds = 2;

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

std::string joinKey(const std::string& parent, const std::string& keyPath) {
  return keyPath.empty() ? parent : parent + "\\" + keyPath;
}

// Creates the folder that will hold `file` and every folder above it that
// is missing, readable by the user alone as the base directory rules ask.
// A failure shows when the file is written.
void createFoldersFor(const std::string& file) {
  const size_t slash = file.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return;
  const std::string folder = file.substr(0, slash);
  struct stat st;
  if (::stat(folder.c_str(), &st) == 0) return;
  for (size_t i = 1; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '/') continue;
    const std::string part = folder.substr(0, i);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return;
  }
}

}  // namespace

bool FileRegistryStore::FileStamp::operator==(const FileStamp& other) const {
  return exists == other.exists && device == other.device && inode == other.inode &&
         size == other.size && modified.tv_sec == other.modified.tv_sec &&
         modified.tv_nsec == other.modified.tv_nsec;
}

std::string FileRegistryStore::defaultCurrentUserFile() {
  if (auto file = environment("VIGILO_HKCU_FILE")) return *file;
  // The base directory rules ignore a relative XDG_CONFIG_HOME.
  std::string config;
  if (auto xdg = environment("XDG_CONFIG_HOME"); xdg && xdg->front() == '/')
    config = *xdg;
  else if (auto home = environment("HOME"))
    config = *home + "/.config";
  else
    return "";
  return config + "/vigilo/registry/" + kCurrentUser + ".reg";
}

std::string FileRegistryStore::defaultLocalMachineFile() {
  if (auto file = environment("VIGILO_HKLM_FILE")) return *file;
  return std::string(VIGILO_SYSTEM_CONFIG_DIR "/registry/") + kLocalMachine + ".reg";
}

FileRegistryStore::FileRegistryStore()
    : FileRegistryStore(defaultCurrentUserFile(), defaultLocalMachineFile(),
                        // A file the user named is used where it is; only the
                        // default place is made on demand.
                        !environment("VIGILO_HKCU_FILE")) {}

FileRegistryStore::FileRegistryStore(std::string currentUserFile, std::string localMachineFile,
                                     bool createUserFolders) {
  user_.path = std::move(currentUserFile);
  user_.rootName = kCurrentUser;
  user_.createFolders = createUserFolders;
  machine_.path = std::move(localMachineFile);
  machine_.rootName = kLocalMachine;
}

FileRegistryStore::~FileRegistryStore() = default;

const RegFile& FileRegistryStore::current(Hive& hive) {
  FileStamp stamp;
  struct stat st;
  if (!hive.path.empty() && ::stat(hive.path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    stamp = {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
  if (hive.loaded && !hive.recent && stamp == hive.stamp) return hive.file;
  // Should the file be replaced after the stat, the next read sees another
  // stamp and reads it again.
  std::optional<std::string> text;
  if (stamp.exists) text = readWholeFile(hive.path);
  if (!hive.loaded || text.value_or("") != hive.text) {
    hive.text = text.value_or("");
    hive.file = RegFile::parse(hive.text);
  }
  hive.stamp = stamp;
  hive.loaded = true;
  // A change made within the file system's timestamp granularity of this
  // version could leave size, time and inode (reused) as they are: a file
  // that young is read again until it is older.
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  hive.recent = stamp.exists && now.tv_sec - stamp.modified.tv_sec <= kRecentSeconds;
  return hive.file;
}

FileRegistryStore::Location FileRegistryStore::readLocation(uint32_t root,
                                                            const std::string& keyPath) {
  switch (root) {
    case kHkeyCurrentUser:
      return {&user_, joinKey(kCurrentUser, keyPath)};
    case kHkeyLocalMachine:
      return {&machine_, joinKey(kLocalMachine, keyPath)};
    case kHkeyClassesRoot: {
      // A class key of the user's hides the machine's key of that name
      // with all its values.
      const std::string classes = joinKey(kClasses, keyPath);
      Location user{&user_, joinKey(kCurrentUser, classes)};
      if (current(user_).hasKey(user.keyPath)) return user;
      return {&machine_, joinKey(kLocalMachine, classes)};
    }
    default:
      return {};
  }
}

FileRegistryStore::Location FileRegistryStore::writeLocation(uint32_t root,
                                                             const std::string& keyPath) {
  if (root == kHkeyClassesRoot) return {&user_, joinKey(kCurrentUser, joinKey(kClasses, keyPath))};
  return readLocation(root, keyPath);
}

bool FileRegistryStore::update(Hive& hive, const std::function<bool(RegFile&)>& change) {
  if (hive.path.empty()) return false;
  if (hive.createFolders) createFoldersFor(hive.path);
  const UpdateOutcome outcome =
      updateFileSafely(hive.path, [&](const std::optional<std::string>& text) {
        // The file as it is now, under the lock: never the cached copy, which
        // another process may have overtaken.
        RegFile file = RegFile::parse(text.value_or(""));
        return change(file) ? std::optional<std::string>(file.text()) : std::nullopt;
      });
  return outcome != UpdateOutcome::kRefused;
}

bool FileRegistryStore::keyExists(uint32_t root, const std::string& keyPath) {
  const Location at = readLocation(root, keyPath);
  if (at.hive && keyPath.empty()) return true;  // the root itself
  return at.hive && current(*at.hive).hasKey(at.keyPath);
}

std::optional<RegistryData> FileRegistryStore::queryValue(uint32_t root, const std::string& keyPath,
                                                          const std::string& valueName) {
  const Location at = readLocation(root, keyPath);
  if (!at.hive) return std::nullopt;
  return current(*at.hive).value(at.keyPath, valueName);
}

bool FileRegistryStore::createKey(uint32_t root, const std::string& keyPath) {
  const Location at = writeLocation(root, keyPath);
  if (!at.hive || !RegFile::isValidKeyPath(at.keyPath)) return false;
  if (keyPath.empty()) return true;  // the root is always there
  return update(*at.hive, [&](RegFile& file) { return file.addKey(at.keyPath); });
}

bool FileRegistryStore::deleteKey(uint32_t root, const std::string& keyPath) {
  const Location at = writeLocation(root, keyPath);
  // A root itself is never deleted.
  if (!at.hive || keyPath.empty() || !RegFile::isValidKeyPath(at.keyPath)) return false;
  return update(*at.hive, [&](RegFile& file) { return file.deleteKey(at.keyPath); });
}

bool FileRegistryStore::setValue(uint32_t root, const std::string& keyPath,
                                 const std::string& valueName, const RegistryData& data) {
  const Location at = writeLocation(root, keyPath);
  if (!at.hive || !RegFile::isValidKeyPath(at.keyPath) || !RegFile::isValidValueName(valueName))
    return false;
  return update(*at.hive,
                [&](RegFile& file) { return file.setValue(at.keyPath, valueName, data); });
}

}  // namespace vigilo
