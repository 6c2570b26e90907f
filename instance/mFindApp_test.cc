#include "instance/mFindApp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/platform.h"
#include "testing/fake_user_interface.h"
#include "testing/fake_window_system.h"

namespace vigilo::mFindApp {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::FakeUserInterface;
using testing::FakeWindow;
using testing::FakeWindowSystem;
using ::testing::IsEmpty;
using testing::ShownMessage;

const std::string kName = "Vigilo - by Brivant";
const std::string kClass = "ThunderRT6FormDC";
const std::string kQuestion =
    "The application 'Vigilo - by Brivant' will be closed.\r\n"
    "Click OK to close it, or Cancel to cancel this operation";

class FindApplicationTest : public ::testing::Test {
 protected:
  FindApplicationTest() : installed_(services()) {}

  Platform services() {
    Platform p = platform();
    p.ui = &ui;
    p.windows = &desktop;
    return p;
  }

  // The calls that act on windows, after the search.
  std::vector<std::string> actions() const {
    std::vector<std::string> found;
    for (const std::string& c : desktop.calls) {
      if (c.rfind("enumWindows", 0) != 0 && c.rfind("getWindowText", 0) != 0 &&
          c.rfind("getClassName", 0) != 0) {
        found.push_back(c);
      }
    }
    return found;
  }

  FakeUserInterface ui;
  FakeWindowSystem desktop;

 private:
  ScopedPlatform installed_;
};

struct Row {
  const char* situation;
  std::vector<FakeWindow> windows;
  int32_t mode;
  bool askFirst;
  std::deque<int> answers;
  bool result;
  std::vector<std::string> actions;
  std::vector<ShownMessage> messages;
};

TEST_F(FindApplicationTest, EveryRowOfTheResultTable) {
  const FakeWindow other{5, "Editor - notes.txt", "gedit"};
  const FakeWindow running{7, kName, kClass};
  FakeWindow minimised = running;
  minimised.iconic = true;
  FakeWindow hidden = running;
  hidden.visible = false;
  FakeWindow declining = running;
  declining.refusesToClose = true;
  const ShownMessage question{kQuestion, 65, ""};
  const std::vector<std::string> close = {"sendMessage 7 274 61536 0"};
  const std::vector<std::string> raise = {"isIconic 7", "setWindowPos 7 0 0 0 0 0 3", "setFocus 7",
                                          "showWindow 7 5", "setForegroundWindow 7"};
  const std::vector<std::string> restore = {"isIconic 7", "showWindow 7 9",
                                            "setForegroundWindow 7"};

  const Row rows[] = {
      {"no matching window", {other}, 2, false, {}, true, {}, {}},
      {"no window at all, asking", {}, 1, true, {}, true, {}, {}},
      {"mode 1 without asking", {other, running}, 1, false, {}, true, close, {}},
      {"mode 1, OK", {running}, 1, true, {kIdOk}, true, close, {question}},
      {"mode 1, Cancel or the box closed", {running}, 1, true, {kIdCancel}, false, {}, {question}},
      {"mode 1, the window declines", {declining}, 1, false, {}, true, close, {}},
      {"mode 2", {other, running}, 2, false, {}, false, raise, {}},
      {"mode 2 asks nothing", {running}, 2, true, {}, false, raise, {}},
      {"mode 2, minimised", {minimised}, 2, false, {}, false, restore, {}},
      {"mode 2, hidden", {hidden}, 2, false, {}, false, raise, {}},
      {"mode 0", {running}, 0, true, {}, false, {}, {}},
      {"mode 3", {running}, 3, false, {}, false, {}, {}},
      {"mode -1", {running}, -1, false, {}, false, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.situation);
    desktop = FakeWindowSystem();
    desktop.windows = row.windows;
    ui.messages.clear();
    ui.answers = row.answers;

    EXPECT_EQ(FindApplication(kName, row.mode, row.askFirst), row.result);
    EXPECT_THAT(actions(), ElementsAreArray(row.actions));
    EXPECT_THAT(ui.messages, ElementsAreArray(row.messages));
  }
}

TEST_F(FindApplicationTest, ActivationLeavesTheWindowInFrontAndShown) {
  FakeWindow hidden{7, kName, kClass};
  hidden.visible = false;
  FakeWindow minimised{9, kName + " (2)", kClass};
  minimised.iconic = true;

  desktop.windows = {{3, "Other", "x"}, hidden};
  EXPECT_FALSE(FindApplication(kName, 2, false));
  EXPECT_TRUE(desktop.find(7)->visible);
  EXPECT_EQ(desktop.windows.front().handle, 7);
  EXPECT_EQ(desktop.foreground, 7);

  desktop.windows = {{3, "Other", "x"}, minimised};
  EXPECT_FALSE(FindApplication(kName, 2, false));
  EXPECT_FALSE(desktop.find(9)->iconic);
  EXPECT_EQ(desktop.foreground, 9);
}

TEST_F(FindApplicationTest, TitleFirstClassSecondTopmostMatchTaken) {
  desktop.windows = {
      {1, "Untitled", kClass},                         // title does not match
      {2, "Notes on " + kName + " (draft)", "gedit"},  // title matches, class does not
      {3, "About " + kName + " now", kClass},          // the first match
      {4, kName, kClass},                              // a match below it, never examined
  };
  EXPECT_FALSE(FindApplication(kName, 0, false));
  EXPECT_THAT(desktop.calls,
              ElementsAre("enumWindows 0", "getWindowText 1 256", "getWindowText 2 256",
                          "getClassName 2 40", "getWindowText 3 256", "getClassName 3 40"));

  desktop.calls.clear();
  EXPECT_TRUE(FindApplication(kName, 1, false));
  EXPECT_THAT(actions(), ElementsAre("sendMessage 3 274 61536 0"));
  EXPECT_EQ(desktop.find(3), nullptr);
  EXPECT_NE(desktop.find(4), nullptr);
}

TEST_F(FindApplicationTest, TitleAndClassAreComparedExactly) {
  struct Case {
    std::string title, className;
    bool found;
  } cases[] = {
      {kName, kClass, true},
      {"vigilo - by brivant", kClass, false},
      {"VIGILO - BY BRIVANT", kClass, false},
      {"Vigilo - by", kClass, false},
      {kName, "thunderrt6formdc", false},
      {kName, "ThunderRT6FormDC2", false},
      {kName, "ThunderRT6Form", false},
      {kName, "", false},
      {"", kClass, false},
      // Only the first 255 characters of a title are searched.
      {std::string(236, 'x') + kName, kClass, true},
      {std::string(237, 'x') + kName, kClass, false},
      {std::string(236, 'x') + kName + std::string(100, 'y'), kClass, true},
  };
  // Characters, not bytes: 236 two-byte characters leave room for the name.
  std::string umlauts;
  for (int i = 0; i < 236; ++i) umlauts += "\xC3\xBC";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title.substr(0, 40) + " / " + c.className);
    desktop.windows = {{8, c.title, c.className}};
    EXPECT_EQ(FindApplication(kName, 0, false), !c.found);
  }
  desktop.windows = {{8, umlauts + kName, kClass}};
  EXPECT_FALSE(FindApplication(kName, 0, false));
  desktop.windows = {{8, "\xC3\xBC" + umlauts + kName, kClass}};
  EXPECT_TRUE(FindApplication(kName, 0, false));
}

TEST_F(FindApplicationTest, AnErrorInsideIsReportedAndEndsTheStart) {
  for (const char* failing : {"getWindowText", "getClassName", "isIconic", "setForegroundWindow"}) {
    SCOPED_TRACE(failing);
    desktop = FakeWindowSystem();
    desktop.windows = {{7, kName, kClass}};
    desktop.beforeCall = [failing](const std::string& call) {
      if (call.rfind(failing, 0) == 0) {
        throw Error(errc::kOutOfMemory, "Windows", "Out of memory");
      }
    };
    ui.messages.clear();
    EXPECT_FALSE(FindApplication(kName, 2, false));
    EXPECT_THAT(ui.messages, ElementsAre(ShownMessage{
                                 "Error in mFindApp.FindApplication: Out of memory", 16, ""}));
  }

  // The failed search leaves nothing behind for the next one.
  desktop = FakeWindowSystem();
  ui.messages.clear();
  EXPECT_TRUE(FindApplication(kName, 2, false));
  EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(FindApplicationTest, EachSearchStartsWithNoWindowFound) {
  desktop.windows = {{7, kName, kClass}};
  EXPECT_FALSE(FindApplication(kName, 0, false));
  desktop.windows = {{8, "Other", kClass}};
  EXPECT_TRUE(FindApplication(kName, 2, false));
  EXPECT_TRUE(FindApplication("Other program", 2, false));
  EXPECT_FALSE(FindApplication("Other", 0, false));
}

TEST_F(FindApplicationTest, IsWindowClassReadsFortyCharacterBuffer) {
  desktop.windows = {{4, "", kClass}, {5, "", std::string(45, 'K')}};
  EXPECT_TRUE(IsWindowClass(4, kClass));
  EXPECT_FALSE(IsWindowClass(4, "ThunderRT6FormD"));
  EXPECT_TRUE(IsWindowClass(5, std::string(39, 'K')));
  EXPECT_FALSE(IsWindowClass(5, std::string(45, 'K')));
  EXPECT_FALSE(IsWindowClass(6, kClass));
  EXPECT_TRUE(IsWindowClass(6, ""));
  EXPECT_THAT(desktop.callsOf("getClassName"),
              ElementsAre("getClassName 4 40", "getClassName 4 40", "getClassName 5 40",
                          "getClassName 5 40", "getClassName 6 40", "getClassName 6 40"));
}

TEST(FindApplicationWithoutWindowsTest, NoWindowServicesMeansNoRunningCopy) {
  FakeUserInterface ui;
  Platform p = platform();
  p.ui = &ui;
  p.windows = nullptr;
  ScopedPlatform installed(p);
  EXPECT_TRUE(FindApplication(kName, 2, false));
  EXPECT_THAT(ui.messages, IsEmpty());
}

}  // namespace
}  // namespace vigilo::mFindApp
