#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "platform/linux/gtk_library_user_interface.h"

// After gtest: Xlib's macros (None, Bool) clash with gtest's names.
#include <gdk/gdkx.h>

#include "platform/form.h"

namespace vigilo {
namespace {

// The busy pointer set before the library was loaded is over the first form
// it makes, and the default set afterwards takes it away.
TEST(GtkLibraryUserInterfaceTest, TheEarlierBusyPointerCoversTheFirstForm) {
  GtkLibraryUserInterface ui(VIGILO_GTK_UI_LIBRARY);
  ui.setMousePointer(kPointerBusy);
  std::unique_ptr<Form> form = ui.loadForm({"Form1", 3060, 1650});
  ASSERT_TRUE(form);
  ui.doEvents();

  // The library's GTK is this process's GTK: one copy of it is loaded.
  GdkWindow* formWindow = nullptr;
  GList* windows = gdk_screen_get_toplevel_windows(gdk_screen_get_default());
  for (GList* w = windows; w; w = w->next) {
    if (gdk_x11_window_get_xid(GDK_WINDOW(w->data)) == static_cast<Window>(form->hWnd()))
      formWindow = GDK_WINDOW(w->data);
  }
  g_list_free(windows);
  ASSERT_NE(formWindow, nullptr);
  EXPECT_NE(gdk_window_get_cursor(formWindow), nullptr);

  ui.setMousePointer(kPointerDefault);
  EXPECT_EQ(gdk_window_get_cursor(formWindow), nullptr);
  form->unload();
}

}  // namespace
}  // namespace vigilo
