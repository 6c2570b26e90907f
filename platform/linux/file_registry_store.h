#pragma once

#include <sys/types.h>

#include <ctime>
#include <functional>
#include <string>

#include "platform/reg_file.h"
#include "platform/registry_store.h"

namespace vigilo {

// The registry kept in text files in the registry editor's export format, one
// file per root ("hive"):
//
//   HKEY_CURRENT_USER   $VIGILO_HKCU_FILE, else
//                       $XDG_CONFIG_HOME/vigilo/registry/HKEY_CURRENT_USER.reg
//                       (XDG_CONFIG_HOME defaults to ~/.config; the folders are
//                       created on the first write)
//   HKEY_LOCAL_MACHINE  $VIGILO_HKLM_FILE, else the system configuration
//                       folder's registry/HKEY_LOCAL_MACHINE.reg (only root
//                       can write there: others' writes are refused)
//   HKEY_CLASSES_ROOT   a view: a key is read from the user's
//                       Software\Classes when it is there, else from the
//                       machine's; writes go to the user's.
//
// Every write is a read-modify-write of the whole file under a lock, renamed
// into place, so that concurrent writers (other processes too) lose nothing. A
// write that changes nothing leaves the file alone. Reads keep the parsed file
// and read it again only when it has changed on disk.
class FileRegistryStore : public RegistryStore {
 public:
  // The hive files named by the environment, or their default places.
  FileRegistryStore();
  // The given hive files; "" stands for a hive that has no file (it reads
  // as empty and refuses writes). When `createUserFolders` is set, missing
  // folders of the user's file are created on the first write.
  FileRegistryStore(std::string currentUserFile, std::string localMachineFile,
                    bool createUserFolders = false);
  ~FileRegistryStore() override;

  static std::string defaultCurrentUserFile();
  static std::string defaultLocalMachineFile();

  bool keyExists(uint32_t root, const std::string& keyPath) override;
  std::optional<RegistryData> queryValue(uint32_t root, const std::string& keyPath,
                                         const std::string& valueName) override;
  bool createKey(uint32_t root, const std::string& keyPath) override;
  bool setValue(uint32_t root, const std::string& keyPath, const std::string& valueName,
                const RegistryData& data) override;
  bool deleteKey(uint32_t root, const std::string& keyPath) override;

  const std::string& currentUserFile() const { return user_.path; }
  const std::string& localMachineFile() const { return machine_.path; }

 private:
  // What identifies one version of a file on disk.
  struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const FileStamp& other) const;
  };
  struct Hive {
    std::string path;
    std::string rootName;  // the name that starts its keys in the file
    bool createFolders = false;
    bool loaded = false;
    bool recent = false;  // changed too lately for the stamp to tell versions apart
    FileStamp stamp;
    std::string text;
    RegFile file;
  };
  // Where a key of a root is kept.
  struct Location {
    Hive* hive = nullptr;
    std::string keyPath;  // full path in the hive's file
  };

  const RegFile& current(Hive& hive);
  // The place a read of the key looks in; no hive for an unknown root.
  Location readLocation(uint32_t root, const std::string& keyPath);
  Location writeLocation(uint32_t root, const std::string& keyPath);
  bool update(Hive& hive, const std::function<bool(RegFile&)>& change);

  Hive user_;
  Hive machine_;
};

}  // namespace vigilo
