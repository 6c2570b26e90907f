#pragma once

#include <gtk/gtk.h>

#include <string>
#include <utility>
#include <vector>

namespace vigilo::components {

// What the main application's window shows.
struct MainWindowContent {
  std::string title;
  std::string iconFile;  // "" for none
  bool maximized = false;
  // The configuration, one row each: what it is, its value.
  std::vector<std::pair<std::string, std::string>> settings;
  std::string iniFile;  // whose "FILES" section is listed as the file holds it
};

// Builds the main window, unshown, with the form class. The caller owns it.
GtkWidget* buildMainWindow(const MainWindowContent& content);

}  // namespace vigilo::components
