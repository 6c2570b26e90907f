#include "platform/linux/gtk_library_user_interface.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/error.h"

namespace vigilo {
namespace {

bool libraryLoaded() {
  void* library = dlopen(VIGILO_GTK_UI_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  if (library) dlclose(library);  // drops only the reference just taken
  return library != nullptr;
}

// What a start that gives way to a running copy does (the busy pointer, its
// events, the end) loads no GTK; the first message loads it. With no display
// the loaded interface still writes the message to standard error.
TEST(GtkLibraryUserInterfaceTest, LoadsTheLibraryOnlyToShowSomething) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  ASSERT_FALSE(libraryLoaded());
  GtkLibraryUserInterface ui(VIGILO_GTK_UI_LIBRARY);
  ui.setMousePointer(kPointerBusy);
  ui.doEvents();
  ui.runWhileFormsLoaded();
  ui.setMousePointer(kPointerDefault);
  EXPECT_FALSE(libraryLoaded());

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ui.messageBox("Important system-file cannot be found.", kMbIconError, ""), kIdOk);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Vigilo - by Brivant: Important system-file cannot be found.\n");
  EXPECT_TRUE(libraryLoaded());
  EXPECT_THROW(ui.loadForm({"Form1", 3060, 1650}), Error);
}

// A missing library loses no message: each goes to standard error, after one
// line that says why the windows are missing.
TEST(GtkLibraryUserInterfaceTest, WithoutItsLibraryMessagesGoToStandardError) {
  GtkLibraryUserInterface ui("/nonexistent/libvigilo_gtk_ui.so");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ui.messageBox("Show the notice?", kMbOkCancel | kMbIconInformation, "Calendar"),
            kIdCancel);
  EXPECT_EQ(ui.messageBox("Second", kMbOk, ""), kIdOk);
  const std::string written = ::testing::internal::GetCapturedStderr();
  const std::string why = "The user interface cannot be loaded: /nonexistent/libvigilo_gtk_ui.so";
  EXPECT_EQ(written.find(why), 0u);
  EXPECT_NE(written.find("\nCalendar: Show the notice?\nVigilo - by Brivant: Second\n"),
            std::string::npos);
  EXPECT_EQ(written.find(why, 1), std::string::npos);  // said once
  EXPECT_EQ(ui.screenHeight(), 0);
  EXPECT_THROW(ui.loadForm({"Form1", 3060, 1650}), Error);
  ui.runWhileFormsLoaded();  // returns: no form is loaded
}

}  // namespace
}  // namespace vigilo
