#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "components/common/property_object.h"

namespace vigilo::components {

// The stand-in main application, "RXResourceBRowser.cRXResourceBrowser": it
// takes the configuration the starter hands over and shows it in a main
// window. Its sub-objects cBrivantSystem, cApplication and cUser hold the
// settings; Show maps the window, phWnd is its X window id, Kill ends it.
// While its window is open the application keeps itself alive, so it runs on
// after the starter has let it go. Closing the window asks the window named
// by pParentToClose to close too.
class cRXResourceBrowser : public PropertyObject,
                           public std::enable_shared_from_this<cRXResourceBrowser> {
 public:
  static constexpr char kProgId[] = "RXResourceBRowser.cRXResourceBrowser";
  static constexpr char kClassId[] = "{8C7F2876-7001-4523-8354-689E7EFD3A61}";

  cRXResourceBrowser();
  ~cRXResourceBrowser() override;

  Variant get(std::string_view member) override;
  void set(std::string_view member, const Variant& value) override;
  Variant call(std::string_view member, const std::vector<Variant>& args) override;

 private:
  void show();
  void kill();
  static gboolean onDeleteEvent(GtkWidget*, GdkEvent*, gpointer self);
  static void onDestroyed(GtkWidget*, gpointer self);

  std::shared_ptr<PropertyObject> system_;
  std::shared_ptr<PropertyObject> application_;
  std::shared_ptr<PropertyObject> user_;
  GtkWidget* window_ = nullptr;
  // Held while the window is open.
  std::shared_ptr<cRXResourceBrowser> keepAlive_;
};

}  // namespace vigilo::components
