#include "platform/linux/webkit/webkit_info_message_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/info_message_window.h"

namespace vigilo {
namespace {

// The window's layout in pixels (the form's twips at 96 dots per inch).
constexpr int kClientWidth = 494, kClientHeight = 382;
constexpr int kBrowserLeft = 6, kBrowserTop = 6, kBrowserWidth = 483, kBrowserHeight = 339;
constexpr int kButtonLeft = 380, kButtonTop = 354, kButtonWidth = 109, kButtonHeight = 23;
constexpr int kLabelLeft = 8, kLabelTop = 356, kLabelWidth = 329, kLabelHeight = 19;

// Every form of the program carries this window class.
constexpr const char* kFormClass = "ThunderRT6FormDC";

struct GFreeDeleter {
  void operator()(gchar* p) const { g_free(p); }
};
using GString = std::unique_ptr<gchar, GFreeDeleter>;

// The theme's button is taller than the form's 23 pixels: let it shrink.
void fitButtonToForm(GtkWidget* button) {
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(
      css, "button { min-height: 0; padding-top: 0; padding-bottom: 0; }", -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(button), GTK_STYLE_PROVIDER(css),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);
}

// The URI of a page without its fragment, to tell a jump within the page
// from a link to another one.
std::string withoutFragment(const char* uri) {
  std::string s = uri ? uri : "";
  return s.substr(0, s.find('#'));
}

class WebKitInfoMessageWindow : public InfoMessageWindow {
 public:
  WebKitInfoMessageWindow() {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(window_);
    gtk_window_set_title(window, "");
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_skip_taskbar_hint(window, TRUE);
    gtk_window_set_skip_pager_hint(window, TRUE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    gtk_window_set_icon_name(window, "dialog-information");

    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, kClientWidth, kClientHeight);
    gtk_container_add(GTK_CONTAINER(window_), fixed);

    webView_ = webkit_web_view_new();
    gtk_widget_set_size_request(webView_, kBrowserWidth, kBrowserHeight);
    gtk_fixed_put(GTK_FIXED(fixed), webView_, kBrowserLeft, kBrowserTop);

    GtkWidget* button = gtk_button_new_with_label("Close");
    fitButtonToForm(button);
    gtk_widget_set_size_request(button, kButtonWidth, kButtonHeight);
    gtk_fixed_put(GTK_FIXED(fixed), button, kButtonLeft, kButtonTop);

    label_ = gtk_label_new("");
    gtk_label_set_xalign(GTK_LABEL(label_), 0);
    gtk_label_set_ellipsize(GTK_LABEL(label_), PANGO_ELLIPSIZE_END);
    gtk_widget_set_size_request(label_, kLabelWidth, kLabelHeight);
    gtk_fixed_put(GTK_FIXED(fixed), label_, kLabelLeft, kLabelTop);

    g_signal_connect(button, "clicked", G_CALLBACK(onCloseClicked), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(onDeleteEvent), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(onKeyPress), this);
    g_signal_connect(window_, "hide", G_CALLBACK(onHide), this);
    g_signal_connect_after(window_, "realize", G_CALLBACK(onRealize), this);
    g_signal_connect(webView_, "decide-policy", G_CALLBACK(onDecidePolicy), this);
    gtk_widget_show_all(fixed);
  }

  ~WebKitInfoMessageWindow() override {
    if (loop_) g_main_loop_quit(loop_);
    gtk_widget_destroy(window_);
  }

  void setCaption(const std::string& text) override {
    gtk_window_set_title(GTK_WINDOW(window_), text.c_str());
  }

  void setLabelText(const std::string& text) override {
    gtk_label_set_text(GTK_LABEL(label_), text.c_str());
  }

  void navigate(const std::string& path) override {
    GString absolute(g_canonicalize_filename(path.c_str(), nullptr));
    GString uri(g_filename_to_uri(absolute.get(), nullptr, nullptr));
    if (!uri) return;  // a page that cannot be shown leaves the view blank
    pageUri_ = uri.get();
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(webView_), uri.get());
  }

  void showModal() override {
    gtk_widget_show(window_);
    gtk_window_present(GTK_WINDOW(window_));
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    loop_ = loop;
    if (gtk_widget_get_visible(window_)) g_main_loop_run(loop);
    loop_ = nullptr;
    g_main_loop_unref(loop);
  }

 private:
  // "Close" and every other way of closing hide the window; the caller then unloads it.
  static void onCloseClicked(GtkButton*, gpointer self) {
    gtk_widget_hide(static_cast<WebKitInfoMessageWindow*>(self)->window_);
  }

  static gboolean onDeleteEvent(GtkWidget* window, GdkEvent*, gpointer) {
    gtk_widget_hide(window);
    return TRUE;
  }

  static gboolean onKeyPress(GtkWidget* window, GdkEventKey* event, gpointer) {
    if (event->keyval != GDK_KEY_Escape) return FALSE;
    gtk_widget_hide(window);
    return TRUE;
  }

  static void onHide(GtkWidget*, gpointer self) {
    auto* me = static_cast<WebKitInfoMessageWindow*>(self);
    if (me->loop_) g_main_loop_quit(me->loop_);
  }

  // A fixed dialog frame: the window can be moved and closed, nothing else.
  static void onRealize(GtkWidget* window, gpointer) {
    GdkWindow* gdkWindow = gtk_widget_get_window(window);
    gdk_window_set_functions(gdkWindow, static_cast<GdkWMFunction>(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
    if (!GDK_IS_X11_WINDOW(gdkWindow)) return;
    XClassHint hint;
    hint.res_name = const_cast<char*>("vigilo");
    hint.res_class = const_cast<char*>(kFormClass);
    XSetClassHint(GDK_WINDOW_XDISPLAY(gdkWindow), GDK_WINDOW_XID(gdkWindow), &hint);
  }

  // A link in a notice opens in the user's browser, not in this window.
  static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer self) {
    auto* me = static_cast<WebKitInfoMessageWindow*>(self);
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
        type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION)
      return FALSE;
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    const bool userLink =
        webkit_navigation_action_get_navigation_type(action) == WEBKIT_NAVIGATION_TYPE_LINK_CLICKED;
    if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
        (!userLink || withoutFragment(uri) == withoutFragment(me->pageUri_.c_str())))
      return FALSE;
    GError* error = nullptr;
    if (!gtk_show_uri_on_window(GTK_WINDOW(me->window_), uri, GDK_CURRENT_TIME, &error)) {
      g_warning("Cannot open %s in the browser: %s", uri, error ? error->message : "");
      g_clear_error(&error);
    }
    webkit_policy_decision_ignore(decision);
    return TRUE;
  }

  GtkWidget* window_ = nullptr;
  GtkWidget* webView_ = nullptr;
  GtkWidget* label_ = nullptr;
  GMainLoop* loop_ = nullptr;
  std::string pageUri_;
};

}  // namespace
}  // namespace vigilo

extern "C" __attribute__((visibility("default"))) vigilo::InfoMessageWindow*
vigilo_create_info_message_window(char* error, size_t errorSize) {
  // GTK may already run for the program's other windows; starting it again
  // is harmless.
  if (!gtk_init_check(nullptr, nullptr)) {
    std::snprintf(error, errorSize, "there is no display to show it on");
    return nullptr;
  }
  return new vigilo::WebKitInfoMessageWindow();
}
