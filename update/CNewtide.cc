#include "update/CNewtide.h"

#include "installation/FileHelpers.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/object.h"
#include "platform/ole_date.h"
#include "platform/platform.h"
#include "platform/process_launcher.h"
#include "platform/registry_store.h"
#include "update/mDiskNFile.h"

namespace vigilo {
namespace {

constexpr const char* kRegistrySettingsClassId = "{98EC6CC4-22CB-40F8-A274-7D7E2C162760}";
constexpr const char* kSection = "Newtide";
constexpr const char* kRunSource = "CNewtide.Run";

// A missing file that Run reports as it stands, without its tag.
class MissingFileError : public Error {
 public:
  MissingFileError(int32_t number, const std::string& path)
      : Error(number, kRunSource,
              "Can't find the file \"" + path + "\"\r\nwhich is necessary to run Newtide") {}
};

// Runs `body`; a failure inside leaves with `tag` appended to its description.
template <typename Body>
auto tagFailures(const char* tag, Body&& body) {
  try {
    return body();
  } catch (const MissingFileError&) {
    throw;
  } catch (const Error& failure) {
    throw failure.tagged(tag);
  }
}

Variant rootKeyValue(uint32_t root) { return Variant(static_cast<int32_t>(root)); }

std::string joinPath(const std::string& folder, const char* name) {
  return folder + kPathSeparator + name;
}

}  // namespace

CNewtide::CNewtide() {
  tagFailures(" (CNewtide.Initialize)", [&] {
    Components* components = platform().components;
    if (!components) throw cannotCreateObject(kRegistrySettingsClassId, "no component layer");
    settings_ = components->createObject(kRegistrySettingsClassId);
    settings_->set("BaseKey", "SOFTWARE");
    settings_->set("Company", "Fennick Data AS");
  });
}

CNewtide::~CNewtide() {
  // Nobody can receive a failure from here: the write is best effort.
  try {
    Enabled(enabled_);
  } catch (...) {
  }
}

void CNewtide::selectLocation(uint32_t rootKey) {
  settings_->set("RootKey", rootKeyValue(rootKey));
  settings_->set("Application", program_);
  settings_->set("Section", kSection);
}

void CNewtide::LastRun(Date dtDate) {
  tagFailures(" (CNewtide.LastRun[PropertyLet])", [&] {
    if (dtDate == lastRun_) return;
    selectLocation(kHkeyCurrentUser);
    lastRun_ = dtDate;
    settings_->call("WriteString", {"LastRun", platform().regional->shortDate(dtDate.value)});
  });
}

Date CNewtide::LastRun() {
  return tagFailures(" (CNewtide.LastRun[PropertyGet])", [&] {
    selectLocation(kHkeyCurrentUser);
    const std::string text = settings_->call("ReadString", {"LastRun", ""}).toString();
    // A text that is no date leaves the cache as it is: it is no failure.
    if (!text.empty())
      if (std::optional<double> date = platform().regional->parseDate(text)) lastRun_ = Date{*date};
    return lastRun_;
  });
}

void CNewtide::Interval(int32_t nInterval) {
  tagFailures(" (CNewtide.Interval[PropertyLet])", [&] {
    if (nInterval == interval_ || nInterval <= 0) return;
    interval_ = nInterval;
    selectLocation(kHkeyCurrentUser);
    settings_->call("WriteLong", {"Interval", nInterval});
  });
}

int32_t CNewtide::Interval() {
  return tagFailures(" (CNewtide.Interval[PropertyGet])", [&] {
    selectLocation(kHkeyCurrentUser);
    interval_ = settings_->call("ReadLong", {"Interval", int32_t{0}}).toLong();
    if (interval_ == 0) {
      // The machine's default, read from the same product and section.
      settings_->set("RootKey", rootKeyValue(kHkeyLocalMachine));
      interval_ = settings_->call("ReadLong", {"Interval", int32_t{0}}).toLong();
    }
    return interval_;
  });
}

void CNewtide::ClientFile(const std::string& sClientFile) { clientFile_ = sClientFile; }

std::string CNewtide::ClientFile() {
  return tagFailures(" (CNewtide.ClientFile[PropertyGet])", [&] {
    if (!clientFile_.empty()) return clientFile_;
    selectLocation(kHkeyLocalMachine);
    clientFile_ = settings_->call("ReadString", {"ClientData", ""}).toString();
    if (clientFile_.empty()) clientFile_ = BuildPath(exeFolder(), "Update.cli");
    return clientFile_;
  });
}

void CNewtide::Program(const std::string& vData) { program_ = vData; }

std::string CNewtide::Program() { return program_; }

void CNewtide::Enabled(bool bEnabled) {
  tagFailures(" (CNewtide.Enabled[PropertyLet])", [&] {
    enabled_ = bEnabled;
    selectLocation(kHkeyCurrentUser);
    settings_->call("WriteBool", {"Enabled", bEnabled});
  });
}

bool CNewtide::Enabled() {
  return tagFailures(" (CNewtide.Enabled[PropertyGet])", [&] {
    selectLocation(kHkeyCurrentUser);
    const std::string text = settings_->call("ReadString", {"Enabled", ""}).toString();
    if (!text.empty()) {
      // True or False in any case, or a number; any other text is a type mismatch.
      enabled_ = Variant(text).toBool();
    } else {
      settings_->set("RootKey", rootKeyValue(kHkeyLocalMachine));
      enabled_ = settings_->call("ReadBool", {"Enabled", true}).toBool();
    }
    return enabled_;
  });
}

bool CNewtide::ShouldRun() {
  return tagFailures(" (CNewtide.ShouldRun)", [&] {
    if (!Enabled()) return false;
    if (LastRun().value == 0) return true;
    // Days are midnights passed: the time of day plays no part, and a last
    // run in the future gives a negative count.
    const int64_t days = oleDay(platform().clock->now()) - oleDay(LastRun().value);
    return days >= Interval();
  });
}

void CNewtide::Run() {
  tagFailures(" (CNewtide.Run)", [&] {
    const std::string tool = joinPath(joinPath(CommonPath(), "Newtide"), "Update.exe");
    if (!mMain::FileExists(tool)) throw MissingFileError(kNewtideToolMissing, tool);
    const std::string client = ClientFile();
    if (!mMain::FileExists(client)) throw MissingFileError(kNewtideClientFileMissing, client);
    // The tool by its exact path and the client file as one argument of its
    // own: blanks in either path can neither split the argument nor let a
    // program at a prefix of the tool's path start in its place.
    platform().processes->start({tool, {"/C:" + client}});
    LastRun(Date{platform().clock->now()});
  });
}

std::string CNewtide::CommonPath() {
  return tagFailures(" (CNewtide.CommonPath[PropertyGet])", [&] {
    // The store stays on this location; every other member selects its own.
    settings_->set("RootKey", rootKeyValue(kHkeyLocalMachine));
    settings_->set("Application", "CommonFiles");
    settings_->set("Section", "");
    commonPath_ = settings_->call("ReadString", {"Path", ""}).toString();
    if (commonPath_.empty()) commonPath_ = joinPath(mDiskNFile::GetCommonFilesFolder(0), "Brivant");
    if (!commonPath_.empty() && commonPath_.back() == kPathSeparator) commonPath_.pop_back();
    return commonPath_;
  });
}

std::string CNewtide::BuildPath(const std::string& folder, const std::string& file) {
  return tagFailures(" (CNewtide.BuildPath)", [&] {
    std::string path = folder;
    if (path.empty() || path.back() != kPathSeparator) path += kPathSeparator;
    return path + file;
  });
}

}  // namespace vigilo
