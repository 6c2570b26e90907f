#include "platform/linux/gtk/gtk_message_box.h"

#include <gtk/gtk.h>

#include "platform/linux/gtk/gtk_mouse_pointer.h"
#include "platform/user_interface.h"

namespace vigilo {
namespace {

constexpr int kButtonsMask = 0x0F;
constexpr int kIconMask = 0xF0;
constexpr int kIconQuestion = 32;
constexpr int kIconWarning = 48;

// The themed icon that stands for the Win32 icon bits of `style`.
const char* iconName(int style) {
  switch (style & kIconMask) {
    case kMbIconError:
      return "dialog-error";
    case kIconQuestion:
      return "dialog-question";
    case kIconWarning:
      return "dialog-warning";
    case kMbIconInformation:
      return "dialog-information";
    default:
      return nullptr;
  }
}

GtkMessageType messageType(int style) {
  switch (style & kIconMask) {
    case kMbIconError:
      return GTK_MESSAGE_ERROR;
    case kIconQuestion:
      return GTK_MESSAGE_QUESTION;
    case kIconWarning:
      return GTK_MESSAGE_WARNING;
    case kMbIconInformation:
      return GTK_MESSAGE_INFO;
    default:
      return GTK_MESSAGE_OTHER;
  }
}

}  // namespace

int runGtkMessageBox(const std::string& text, int style, const std::string& title) {
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, messageType(style),
                                             GTK_BUTTONS_NONE, "%s", text.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  // A question shows the ordinary pointer even while the program is busy.
  exemptFromBusyPointer(dialog);
  // Since GTK 3.12 a message dialog draws no icon of its own; the Win32 box
  // always shows the icon its style names.
  if (const char* icon = iconName(style)) {
    GtkWidget* image = gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_DIALOG);
    gtk_widget_show(image);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(dialog), image);
    G_GNUC_END_IGNORE_DEPRECATIONS
  }
  const bool okCancel = (style & kButtonsMask) == kMbOkCancel;
  gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", GTK_RESPONSE_OK);
  if (okCancel) gtk_dialog_add_button(GTK_DIALOG(dialog), "_Cancel", GTK_RESPONSE_CANCEL);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);

  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  return response == GTK_RESPONSE_OK ? kIdOk : kIdCancel;
}

}  // namespace vigilo
