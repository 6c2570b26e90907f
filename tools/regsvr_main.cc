// vigilo-regsvr: registers or unregisters the classes of component libraries,
// in the manner of regsvr32.
//
//   vigilo-regsvr [--unregister] [--user | --machine] [--quiet] [--as PATH] LIBRARY...
//
// --machine (the default) writes HKEY_LOCAL_MACHINE\Software\Classes, seen by
// every user; --user writes the user's own HKEY_CURRENT_USER\Software\Classes.
// The hive files are the program's (VIGILO_HKLM_FILE and VIGILO_HKCU_FILE name
// others). The library is registered under its absolute path, or under PATH
// when given (a staged copy that will be installed there).

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/component_registration.h"
#include "platform/error.h"
#include "platform/linux/component_loader.h"
#include "platform/linux/file_registry_store.h"

namespace {

struct Options {
  bool unregister = false;
  bool quiet = false;
  vigilo::RegistrationScope scope = vigilo::RegistrationScope::Machine;
  std::string registeredPath;
  std::vector<std::string> libraries;
};

const char kUsage[] =
    "usage: vigilo-regsvr [--unregister] [--user | --machine] [--quiet] [--as PATH] LIBRARY...\n";

bool parse(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--unregister" || arg == "-u") {
      options->unregister = true;
    } else if (arg == "--user") {
      options->scope = vigilo::RegistrationScope::User;
    } else if (arg == "--machine") {
      options->scope = vigilo::RegistrationScope::Machine;
    } else if (arg == "--quiet" || arg == "-s") {
      options->quiet = true;
    } else if (arg == "--as" && i + 1 < argc) {
      options->registeredPath = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return false;
    } else {
      options->libraries.push_back(arg);
    }
  }
  // One registered path cannot stand for several libraries.
  return !options->libraries.empty() &&
         (options->registeredPath.empty() || options->libraries.size() == 1);
}

std::string absolutePath(const std::string& path) {
  return std::filesystem::absolute(path).lexically_normal().string();
}

// Registers or unregisters one library; false after telling why not.
bool process(vigilo::RegistryStore& registry, const Options& options, const std::string& file) {
  const std::string path = absolutePath(file);
  std::string whyNot;
  const vigilo::ComponentLibrary* library = vigilo::loadComponentLibrary(path, &whyNot);
  if (!library) {
    std::cerr << "vigilo-regsvr: " << whyNot << "\n";
    return false;
  }
  const auto classes = library->classList();
  const char* scopeName =
      options.scope == vigilo::RegistrationScope::User ? "for this user" : "for all users";
  try {
    if (options.unregister) {
      vigilo::unregisterComponentClasses(registry, options.scope, classes);
    } else {
      const std::string registered = options.registeredPath.empty() ? path : options.registeredPath;
      vigilo::registerComponentClasses(registry, options.scope, registered, classes);
    }
  } catch (const vigilo::Error& e) {
    std::cerr << "vigilo-regsvr: " << e.description() << "\n";
    return false;
  }
  if (!options.quiet) {
    for (const vigilo::ComponentClass& c : classes) {
      std::cout << (options.unregister ? "Unregistered " : "Registered ") << c.progId << " "
                << c.classId << " " << scopeName << "\n";
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, &options)) {
    std::cerr << kUsage;
    return 2;
  }
  vigilo::FileRegistryStore registry;
  bool allDone = true;
  for (const std::string& library : options.libraries)
    allDone = process(registry, options, library) && allDone;
  return allDone ? 0 : 1;
}
