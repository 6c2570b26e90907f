#pragma once

#include <cstdint>
#include <string>

namespace vigilo {

// The constants that make this build this product, and the default paths of
// its data under the executable's folder. Filled once at start-up; the
// start-up then replaces the file names of the INI file and setup database
// with the full paths of the user's copies.
struct ProductProfile {
  // Identity and switches.
  std::string AppTitle;
  int32_t CountryVersion = 0;
  int32_t AppID = 0;
  bool EnableUserSongCollections = false;
  bool EnableUserClipArtCollection = false;
  bool UseUpdateTool = false;
  int32_t DefaultUpdateInterval = 0;
  int32_t WindowID = 0;

  // File names, later full paths.
  std::string IconFile;
  std::string IniFile;
  std::string SetupDatabase;
  std::string StartupScreen;
  std::string AppIconPath;

  // Default data paths: folders end with the separator, files do not.
  std::string ToolbarDatabase;
  std::string MusicPath;
  std::string SymbolsPath;
  std::string ClipsPath;
  std::string TemplatePath;
  std::string TemplateFile;
  std::string LiturgyFile;
  std::string HymnFile;
  std::string PlanFile;
  std::string DataFile;
  std::string ServiceFile;  // this product has none
};

// The program's one product profile.
ProductProfile& Profile();

}  // namespace vigilo
