// FindApplication on real windows of another X client, on an X server of the
// tests' own made like $DISPLAY: with a window manager when it has one.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "instance/mFindApp.h"
#include "platform/linux/x11_window_system.h"
#include "platform/platform.h"
#include "testing/fake_user_interface.h"
#include "testing/private_x_server.h"
#include "testing/test_window_owner.h"
#include "testing/x11_probe.h"

namespace vigilo::mFindApp {
namespace {

using ::testing::ElementsAre;
using testing::eventually;
using testing::FakeUserInterface;
using ::testing::IsEmpty;
using testing::ShownMessage;
using testing::TestWindowOwner;
using testing::X11Probe;

const std::string kClass = "ThunderRT6FormDC";

class FindApplicationOnX11Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { display = new testing::PrivateDisplay; }
  static void TearDownTestSuite() {
    delete display;
    display = nullptr;
  }
  static testing::PrivateDisplay* display;

  FindApplicationOnX11Test() : installed_(services()) {}

  Platform services() {
    Platform p = platform();
    p.ui = &ui;
    p.windows = &windows;
    return p;
  }

  // The application's name for this test: no window of another test on the
  // same display carries it.
  std::string name() const {
    return "Vigilo " + std::to_string(getpid()) + " " +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }

  WindowHandle window(const std::string& title, const std::string& className,
                      const std::string& more = "") {
    return owner.create("title=" + title + "\tclass=" + className + more);
  }

  bool closed(WindowHandle w) { return owner.waitForNotice("closed " + std::to_string(w)); }
  bool stays(WindowHandle w) { return !owner.noticed("closed " + std::to_string(w)); }

  TestWindowOwner owner{VIGILO_X11_TEST_WINDOWS};
  X11WindowSystem windows;
  X11Probe probe;
  FakeUserInterface ui;

 private:
  ScopedPlatform installed_;
};

testing::PrivateDisplay* FindApplicationOnX11Test::display = nullptr;

TEST_F(FindApplicationOnX11Test, NoMatchingWindowMeansGoOn) {
  const WindowHandle otherCase = window("vigilo" + name().substr(6), kClass);
  const WindowHandle otherClass = window(name(), "gedit");
  const WindowHandle truncated =
      window(std::string(240, '-') + name(), kClass);  // beyond the 255 characters kept
  const WindowHandle top = window("Unrelated", kClass);
  windows.setForegroundWindow(top);
  ASSERT_TRUE(eventually([&] { return probe.isActive(top); }));

  EXPECT_TRUE(FindApplication(name(), 2, false));
  EXPECT_TRUE(FindApplication(name(), 1, false));
  EXPECT_THAT(ui.messages, IsEmpty());
  for (WindowHandle w : {otherCase, otherClass, truncated}) EXPECT_TRUE(stays(w));
  EXPECT_TRUE(probe.isActive(top));
  EXPECT_TRUE(probe.isAbove(top, otherCase));
}

TEST_F(FindApplicationOnX11Test, FoundInAnyOtherModeIsLeftAlone) {
  const WindowHandle running = window("Plan - " + name() + " - Sunday", kClass);
  const WindowHandle top = window("Unrelated", kClass);
  windows.setForegroundWindow(top);
  ASSERT_TRUE(eventually([&] { return probe.isActive(top); }));

  EXPECT_FALSE(FindApplication(name(), 0, false));
  EXPECT_FALSE(FindApplication(name(), 3, true));
  EXPECT_TRUE(stays(running));
  EXPECT_TRUE(probe.isActive(top));
  EXPECT_TRUE(probe.isAbove(top, running));
}

TEST_F(FindApplicationOnX11Test, ActivatesTheTopmostMatchPastOtherWindows) {
  const WindowHandle lower = window(name(), kClass);
  const WindowHandle running = window(name(), kClass);
  window(name() + " notes", "gedit");                    // another class
  owner.create("net=" + name() + " \\xff\\xfe broken");  // no class at all
  owner.create("title=" + name() + "\tinputonly");       // a helper window
  owner.create("");                                      // no title, no class
  const WindowHandle top = window("Unrelated", kClass);
  windows.setForegroundWindow(top);
  ASSERT_TRUE(eventually([&] { return probe.isActive(top); }));

  EXPECT_FALSE(FindApplication(name(), 2, false));
  EXPECT_TRUE(eventually([&] { return probe.isActive(running); }));
  EXPECT_TRUE(eventually([&] { return probe.isAbove(running, top); }));
  EXPECT_TRUE(probe.isAbove(running, lower));
  EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(FindApplicationOnX11Test, RestoresAMinimisedWindowAndShowsAHiddenOne) {
  const WindowHandle top = window("Unrelated", kClass);
  const WindowHandle minimised = window(name() + " minimised", kClass, "\tstate=iconic");
  windows.setForegroundWindow(top);
  ASSERT_TRUE(eventually([&] { return probe.isActive(top); }));
  ASSERT_FALSE(probe.isViewable(minimised));

  EXPECT_FALSE(FindApplication(name(), 2, false));
  EXPECT_TRUE(eventually([&] { return probe.isViewable(minimised); }));
  EXPECT_TRUE(eventually([&] { return probe.isActive(minimised); }));

  owner.destroy(minimised);
  const WindowHandle hidden = window(name() + " hidden", kClass, "\tstate=hidden");
  EXPECT_FALSE(FindApplication(name(), 2, false));
  EXPECT_TRUE(eventually([&] { return probe.isViewable(hidden); }));
  EXPECT_TRUE(eventually([&] { return probe.isActive(hidden); }));
  EXPECT_TRUE(eventually([&] { return probe.isAbove(hidden, top); }));
}

TEST_F(FindApplicationOnX11Test, ClosesTheTopmostMatchWhenAllowed) {
  const WindowHandle lower = window(name(), kClass);
  const WindowHandle upper = window(name(), kClass);
  const std::string question = "The application '" + name() +
                               "' will be closed.\r\n"
                               "Click OK to close it, or Cancel to cancel this operation";

  ui.answers = {kIdCancel};
  EXPECT_FALSE(FindApplication(name(), 1, true));
  EXPECT_TRUE(stays(upper));
  EXPECT_THAT(ui.messages, ElementsAre(ShownMessage{question, 65, ""}));

  ui.answers = {kIdOk};
  EXPECT_TRUE(FindApplication(name(), 1, true));
  EXPECT_TRUE(closed(upper));
  EXPECT_TRUE(stays(lower));
  EXPECT_EQ(ui.messages.size(), 2u);

  EXPECT_TRUE(FindApplication(name(), 1, false));
  EXPECT_TRUE(closed(lower));
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_TRUE(FindApplication(name(), 1, false));  // none left
}

TEST_F(FindApplicationOnX11Test, AWindowThatDeclinesToCloseStillCountsAsClosed) {
  const WindowHandle declining = window(name(), kClass, "\trefuse-close");
  EXPECT_TRUE(FindApplication(name(), 1, false));
  EXPECT_TRUE(owner.waitForNotice("declined " + std::to_string(declining)));
  EXPECT_TRUE(probe.exists(declining));
}

TEST(FindApplicationWithoutDisplayTest, SeesNoRunningCopy) {
  const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  unsetenv("DISPLAY");
  FakeUserInterface ui;
  X11WindowSystem windows;
  Platform p = platform();
  p.ui = &ui;
  p.windows = &windows;
  ScopedPlatform installed(p);
  EXPECT_TRUE(FindApplication("Vigilo - by Brivant", 2, false));
  EXPECT_THAT(ui.messages, IsEmpty());
  if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
}

}  // namespace
}  // namespace vigilo::mFindApp
