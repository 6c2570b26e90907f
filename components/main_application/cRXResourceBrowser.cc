#include "components/main_application/cRXResourceBrowser.h"

#include <cstdio>
#include <exception>

#include "components/common/component_window.h"
#include "components/main_application/main_window.h"
#include "platform/error.h"

namespace vigilo::components {
namespace {

constexpr int32_t kPropertyIsReadOnly = 383;

std::string yesNo(bool b) { return b ? "yes" : "no"; }

}  // namespace

cRXResourceBrowser::cRXResourceBrowser()
    : PropertyObject(kProgId, {{"pEnableUserSongCollections", PropertyType::Boolean},
                               {"pEnableUserClipArtCollection", PropertyType::Boolean},
                               {"pMaximizeOnStartUp", PropertyType::Boolean},
                               {"pParentToClose", PropertyType::Long}}),
      system_(std::make_shared<PropertyObject>(
          "cBrivantSystem", std::vector<PropertyDeclaration>{{"CountryVersion", PropertyType::Long},
                                                             {"INIFile", PropertyType::String}})),
      application_(std::make_shared<PropertyObject>(
          "cApplication",
          std::vector<PropertyDeclaration>{{"pAppID", PropertyType::Long},
                                           {"pSetupDatabase", PropertyType::String},
                                           {"pToolbarDatabase", PropertyType::String},
                                           {"pAppRootPath", PropertyType::String},
                                           {"pAppIcon", PropertyType::String},
                                           {"pAppTitle", PropertyType::String},
                                           {"pWindowID", PropertyType::Long}})),
      user_(std::make_shared<PropertyObject>(
          "cUser", std::vector<PropertyDeclaration>{{"Id", PropertyType::Integer},
                                                    {"UserName", PropertyType::String}})) {}

cRXResourceBrowser::~cRXResourceBrowser() {
  if (window_) {
    g_signal_handlers_disconnect_by_data(window_, this);
    gtk_widget_destroy(window_);
  }
}

Variant cRXResourceBrowser::get(std::string_view member) {
  if (sameMember(member, "cBrivantSystem")) return Variant(ObjectRef(system_));
  if (sameMember(member, "cApplication")) return Variant(ObjectRef(application_));
  if (sameMember(member, "cUser")) return Variant(ObjectRef(user_));
  if (sameMember(member, "phWnd")) return Variant(static_cast<int32_t>(xWindowOf(window_)));
  return PropertyObject::get(member);
}

void cRXResourceBrowser::set(std::string_view member, const Variant& value) {
  for (const char* readOnly : {"cBrivantSystem", "cApplication", "cUser", "phWnd"}) {
    if (sameMember(member, readOnly)) {
      throw Error(kPropertyIsReadOnly, sourceName(),
                  "Property is read-only: " + std::string(member));
    }
  }
  PropertyObject::set(member, value);
}

Variant cRXResourceBrowser::call(std::string_view member, const std::vector<Variant>& args) {
  if (sameMember(member, "Show") && args.empty()) {
    show();
    return Variant();
  }
  if (sameMember(member, "Kill") && args.empty()) {
    kill();
    return Variant();
  }
  if (args.empty()) return get(member);
  return PropertyObject::call(member, args);
}

void cRXResourceBrowser::show() {
  if (window_) {
    gtk_window_present(GTK_WINDOW(window_));
    return;
  }
  if (!ensureGtk()) {
    throw Error(errc::kAutomationError, sourceName(),
                "Cannot show the main window: there is no display to show it on");
  }
  MainWindowContent content;
  content.title = application_->text("pAppTitle");
  content.iconFile = application_->text("pAppIcon");
  content.maximized = flag("pMaximizeOnStartUp");
  content.iniFile = system_->text("INIFile");
  content.settings = {
      {"INI file", content.iniFile},
      {"Setup database", application_->text("pSetupDatabase")},
      {"Toolbar database", application_->text("pToolbarDatabase")},
      {"Application folder", application_->text("pAppRootPath")},
      {"Icon", content.iconFile.empty() ? "(none)" : content.iconFile},
      {"Application id", std::to_string(application_->number("pAppID"))},
      {"Window id", std::to_string(application_->number("pWindowID"))},
      {"Country version", std::to_string(system_->number("CountryVersion"))},
      {"User", user_->text("UserName") + " (id " + std::to_string(user_->number("Id")) + ")"},
      {"User song collections", yesNo(flag("pEnableUserSongCollections"))},
      {"User clip art collection", yesNo(flag("pEnableUserClipArtCollection"))},
      {"Window to close on exit", std::to_string(static_cast<uint32_t>(number("pParentToClose")))},
  };

  window_ = buildMainWindow(content);
  g_signal_connect(window_, "delete-event", G_CALLBACK(onDeleteEvent), this);
  g_signal_connect(window_, "destroy", G_CALLBACK(onDestroyed), this);
  gtk_widget_show_all(window_);
  // The handle may go to another program at once.
  gdk_display_flush(gtk_widget_get_display(window_));
  keepAlive_ = shared_from_this();
}

void cRXResourceBrowser::kill() {
  // Ends the application without asking anything else to close: whoever
  // calls Kill is closing already.
  if (window_) gtk_widget_destroy(window_);
}

gboolean cRXResourceBrowser::onDeleteEvent(GtkWidget*, GdkEvent*, gpointer self) {
  auto* app = static_cast<cRXResourceBrowser*>(self);
  try {
    requestClose(static_cast<uint32_t>(app->number("pParentToClose")));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", kProgId, e.what());
  }
  return FALSE;  // the window goes on to be destroyed
}

void cRXResourceBrowser::onDestroyed(GtkWidget*, gpointer self) {
  auto* app = static_cast<cRXResourceBrowser*>(self);
  app->window_ = nullptr;
  // May be the last reference: nothing of `app` is touched after this.
  std::shared_ptr<cRXResourceBrowser> last = std::move(app->keepAlive_);
}

}  // namespace vigilo::components
