#include "platform/linux/gtk/gtk_user_interface.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/error.h"

namespace vigilo {
namespace {

// Without a display the program still runs: nothing aborts, every message
// reaches standard error, and only a form, which needs a window, fails.
TEST(GtkUserInterfaceWithoutDisplayTest, FallsBackToStandardError) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  GtkUserInterface ui;
  ui.setMousePointer(kPointerBusy);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ui.messageBox("Important system-file cannot be found.", kMbIconError, ""), kIdOk);
  EXPECT_EQ(ui.messageBox("Show the notice?", kMbOkCancel | kMbIconInformation, "Calendar"),
            kIdCancel);
  const std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(written.find("Vigilo - by Brivant: Important system-file cannot be found.\n"),
            std::string::npos);
  EXPECT_NE(written.find("Calendar: Show the notice?\n"), std::string::npos);

  ui.doEvents();
  ui.setMousePointer(kPointerDefault);
  EXPECT_EQ(ui.screenHeight(), 0);
  EXPECT_THROW(ui.loadForm({"Form1", 3060, 1650}), Error);
  ui.runWhileFormsLoaded();  // returns: no form is loaded
}

}  // namespace
}  // namespace vigilo
