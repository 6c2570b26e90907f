// The X11 window services on real windows of another X client, on an X server
// of the tests' own made like $DISPLAY: with a window manager when it has one.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/x11_window_system.h"
#include "testing/private_x_server.h"
#include "testing/test_window_owner.h"
#include "testing/x11_probe.h"

namespace vigilo {
namespace {

using ::testing::ElementsAre;
using testing::eventually;
using testing::TestWindowOwner;
using testing::X11Probe;

constexpr uint32_t kRaiseOnly = kSwpNoSize | kSwpNoMove;

// The enumeration's callback takes no context: the tests meet it here.
struct Walk {
  std::vector<WindowHandle> seen;
  WindowHandle stopAt = 0;
  std::function<void(WindowHandle)> onWindow;
};
Walk* walk = nullptr;

int32_t recordWindow(WindowHandle hWnd, int32_t lParam) {
  EXPECT_EQ(lParam, 42);
  walk->seen.push_back(hWnd);
  if (walk->onWindow) walk->onWindow(hWnd);
  return hWnd == walk->stopAt ? 0 : -1;
}

std::vector<WindowHandle> enumerate(WindowSystem& windows, Walk w = {}) {
  walk = &w;
  windows.enumWindows(recordWindow, 42);
  walk = nullptr;
  return w.seen;
}

// The positions of `wanted` in `all`, npos for those missing.
std::vector<size_t> positions(const std::vector<WindowHandle>& all,
                              const std::vector<WindowHandle>& wanted) {
  std::vector<size_t> result;
  for (WindowHandle w : wanted) {
    const auto found = std::find(all.begin(), all.end(), w);
    result.push_back(found == all.end() ? std::string::npos : found - all.begin());
  }
  return result;
}

// A title of this test run, so that windows of other tests on the same
// display never match.
std::string unique(const std::string& title) {
  return title + " [" + std::to_string(getpid()) + " " +
         ::testing::UnitTest::GetInstance()->current_test_info()->name() + "]";
}

class X11WindowSystemTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { display = new testing::PrivateDisplay; }
  static void TearDownTestSuite() {
    delete display;
    display = nullptr;
  }
  static testing::PrivateDisplay* display;

  TestWindowOwner owner{VIGILO_X11_TEST_WINDOWS};
  X11WindowSystem windows;
  X11Probe probe;
};

testing::PrivateDisplay* X11WindowSystemTest::display = nullptr;

TEST_F(X11WindowSystemTest, WalksTopLevelWindowsTopmostFirstWithHiddenOnesAndNoInputOnly) {
  const WindowHandle bottom = owner.create("title=" + unique("bottom"));
  const WindowHandle hidden = owner.create("title=" + unique("hidden") + "\tstate=hidden");
  const WindowHandle inputOnly = owner.create("title=" + unique("input only") + "\tinputonly");
  const WindowHandle top = owner.create("title=" + unique("top"));

  const std::vector<WindowHandle> all = enumerate(windows);
  const std::vector<size_t> at = positions(all, {top, hidden, bottom, inputOnly});
  // The program's own windows are reported, never a window manager's frame.
  ASSERT_NE(at[0], std::string::npos);
  ASSERT_NE(at[1], std::string::npos);
  ASSERT_NE(at[2], std::string::npos);
  EXPECT_LT(at[0], at[2]);
  EXPECT_LT(at[1], at[2]);  // created above the bottom window, never mapped
  EXPECT_EQ(at[3], std::string::npos);
  EXPECT_EQ(std::count(all.begin(), all.end(), top), 1);
}

TEST_F(X11WindowSystemTest, StopsWhereTheCallbackReturnsZero) {
  owner.create("title=" + unique("below"));
  const WindowHandle top = owner.create("title=" + unique("top"));
  const std::vector<WindowHandle> all = enumerate(windows);
  const size_t at = positions(all, {top})[0];
  ASSERT_NE(at, std::string::npos);

  Walk stopping;
  stopping.stopAt = top;
  EXPECT_EQ(enumerate(windows, stopping).size(), at + 1);
}

struct NamesCase {
  std::string fields;     // besides the unique marker
  std::string title;      // expected, for a buffer of 256
  std::string className;  // expected, for a buffer of 40
};

TEST_F(X11WindowSystemTest, ReadsTitlesAndClassesInEveryEncoding) {
  const std::string e300(300, 'e');
  const std::string umlauts300 = [] {
    std::string s;
    for (int i = 0; i < 300; ++i) s += "\xC3\xBC";  // ü
    return s;
  }();
  const NamesCase cases[] = {
      {"title=Vigilo - by Brivant\tclass=ThunderRT6FormDC", "Vigilo - by Brivant",
       "ThunderRT6FormDC"},
      {"net=Gr\xC3\xBC\xC3\x9F Gott \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC", "Grüß Gott – 日本", ""},
      // ISO 8859-1 in WM_NAME
      {"wm=Gr\\xfc\\xdf Gott", "Grüß Gott", ""},
      {"compound=\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE6\x97\xA5 caf\xC3\xA9",
       "Привет 日 café", ""},
      // _NET_WM_NAME wins over WM_NAME
      {"net=New\twm=Old", "New", ""},
      // bytes that are no UTF-8 stand as U+FFFD and the rest stays readable
      {"net=A\\xff\\xfeB\\xc3",
       "A\xEF\xBF\xBD\xEF\xBF\xBD"
       "B\xEF\xBF\xBD",
       ""},
      {"class=ThunderRT6FormDC", "", "ThunderRT6FormDC"},
      {"", "", ""},
      {"net=" + e300, std::string(255, 'e'), ""},
      {"net=" + umlauts300, umlauts300.substr(0, 510), ""},
      {"class=" + std::string(50, 'C'), "", std::string(39, 'C')},
  };
  std::vector<WindowHandle> created;
  for (const NamesCase& c : cases) created.push_back(owner.create(c.fields));
  for (size_t i = 0; i < created.size(); ++i) {
    SCOPED_TRACE(cases[i].fields.substr(0, 60));
    EXPECT_EQ(windows.getWindowText(created[i], 256), cases[i].title);
    EXPECT_EQ(windows.getClassName(created[i], 40), cases[i].className);
  }

  // Inside an enumeration the same names come from one batch of requests.
  Walk w;
  std::vector<std::pair<std::string, std::string>> read(created.size());
  w.onWindow = [&](WindowHandle h) {
    const auto found = std::find(created.begin(), created.end(), h);
    if (found != created.end()) {
      read[found - created.begin()] = {windows.getWindowText(h, 256), windows.getClassName(h, 40)};
    }
  };
  enumerate(windows, w);
  for (size_t i = 0; i < created.size(); ++i) {
    EXPECT_EQ(read[i].first, cases[i].title) << cases[i].fields.substr(0, 60);
    EXPECT_EQ(read[i].second, cases[i].className) << cases[i].fields.substr(0, 60);
  }
}

TEST_F(X11WindowSystemTest, KeepsMaxCountMinusOneCharacters) {
  const WindowHandle window = owner.create(
      "net=\xC3\xA4\xC3\xB6\xC3\xBC"
      "abc\tclass=Thunder");
  EXPECT_EQ(windows.getWindowText(window, 0), "");
  EXPECT_EQ(windows.getWindowText(window, 1), "");
  EXPECT_EQ(windows.getWindowText(window, 3), "äö");
  EXPECT_EQ(windows.getWindowText(window, 5), "äöüa");
  EXPECT_EQ(windows.getClassName(window, 5), "Thun");
}

TEST_F(X11WindowSystemTest, NoWindowHasNoNamesAndTakesNoRequests) {
  const WindowHandle gone = owner.create("title=" + unique("gone") + "\tclass=ThunderRT6FormDC");
  owner.destroy(gone);
  for (WindowHandle h : {gone, WindowHandle{0}, WindowHandle{-7}}) {
    EXPECT_EQ(windows.getWindowText(h, 256), "");
    EXPECT_EQ(windows.getClassName(h, 40), "");
    EXPECT_FALSE(windows.isIconic(h));
    windows.showWindow(h, kSwRestore);
    windows.setWindowPos(h, kHwndTop, 0, 0, 0, 0, kRaiseOnly);
    windows.setFocus(h);
    windows.setForegroundWindow(h);
    EXPECT_EQ(windows.sendMessage(h, kWmSysCommand, kScClose, 0), 0);
  }
  // The connection is still good.
  const WindowHandle there = owner.create("title=" + unique("there"));
  EXPECT_EQ(windows.getWindowText(there, 256), unique("there"));
}

TEST_F(X11WindowSystemTest, WindowsThatVanishDuringTheWalkDoNotStopIt) {
  const WindowHandle bottom = owner.create("title=" + unique("bottom"));
  const WindowHandle middle = owner.create("title=" + unique("middle"));
  const WindowHandle top = owner.create("title=" + unique("top"));

  // Destroyed between the walk's listing and the callback's questions.
  Walk w;
  w.onWindow = [&](WindowHandle h) {
    if (h == top) owner.destroy(middle);
    if (h == middle) {
      windows.getWindowText(h, 256);
      windows.getClassName(h, 40);
      EXPECT_FALSE(windows.isIconic(h));
    }
  };
  const std::vector<size_t> at = positions(enumerate(windows, w), {top, bottom});
  EXPECT_NE(at[0], std::string::npos);
  EXPECT_NE(at[1], std::string::npos);

  // Destroyed while the walk's requests are under way.
  owner.churn(30);
  for (int i = 0; i < 100; ++i) {
    std::vector<WindowHandle> all = enumerate(windows);
    const std::vector<size_t> found = positions(all, {top, bottom});
    ASSERT_NE(found[0], std::string::npos) << "walk " << i;
    ASSERT_NE(found[1], std::string::npos) << "walk " << i;
    ASSERT_LT(found[0], found[1]) << "walk " << i;
  }
  owner.stopChurn();
  EXPECT_EQ(windows.getWindowText(top, 256), unique("top"));
}

TEST_F(X11WindowSystemTest, TellsMinimisedWindowsAndRestoresThem) {
  const WindowHandle normal = owner.create("title=" + unique("normal"));
  const WindowHandle hidden = owner.create("title=" + unique("hidden") + "\tstate=hidden");
  const WindowHandle iconic = owner.create("title=" + unique("iconic") + "\tstate=iconic");
  EXPECT_FALSE(windows.isIconic(normal));
  EXPECT_FALSE(windows.isIconic(hidden));
  EXPECT_TRUE(windows.isIconic(iconic));
  EXPECT_FALSE(probe.isViewable(iconic));

  windows.showWindow(iconic, kSwRestore);
  EXPECT_TRUE(eventually([&] { return probe.isViewable(iconic); }));
  if (probe.windowManagerRunning()) {
    // Without a manager only the window itself keeps its WM_STATE.
    EXPECT_TRUE(eventually([&] { return !windows.isIconic(iconic); }));
  }
  EXPECT_TRUE(eventually([&] { return probe.isAbove(iconic, normal); }));
}

TEST_F(X11WindowSystemTest, ShowsHiddenWindows) {
  const WindowHandle hidden = owner.create("title=" + unique("hidden") + "\tstate=hidden");
  windows.showWindow(hidden, 0x77);  // unknown command: nothing
  EXPECT_FALSE(
      eventually([&] { return probe.isViewable(hidden); }, std::chrono::milliseconds(200)));
  windows.showWindow(hidden, kSwShow);
  EXPECT_TRUE(eventually([&] { return probe.isViewable(hidden); }));
}

TEST_F(X11WindowSystemTest, RaisesWithoutMovingOrSizing) {
  const WindowHandle lower = owner.create("title=" + unique("lower"));
  const WindowHandle upper = owner.create("title=" + unique("upper"));
  ASSERT_TRUE(probe.isAbove(upper, lower));
  const std::vector<int> before = probe.geometry(lower);

  windows.setWindowPos(lower, kHwndTop, 0, 0, 0, 0, kRaiseOnly);
  EXPECT_TRUE(eventually([&] { return probe.isAbove(lower, upper); }));
  EXPECT_EQ(probe.geometry(lower), before);
}

TEST_F(X11WindowSystemTest, BringsAWindowToTheForeground) {
  const WindowHandle first = owner.create("title=" + unique("first"));
  const WindowHandle second = owner.create("title=" + unique("second"));
  windows.setForegroundWindow(second);
  ASSERT_TRUE(eventually([&] { return probe.isActive(second); }));

  windows.setForegroundWindow(first);
  EXPECT_TRUE(eventually([&] { return probe.isActive(first); }));
  EXPECT_TRUE(eventually([&] { return probe.isAbove(first, second); }));

  windows.setFocus(second);
  EXPECT_TRUE(eventually([&] { return probe.focus() == second; }));
}

TEST_F(X11WindowSystemTest, AsksWindowsToCloseAndTheyDecide) {
  const WindowHandle willing = owner.create("title=" + unique("willing"));
  const WindowHandle refusing = owner.create("title=" + unique("refusing") + "\trefuse-close");
  const WindowHandle byCommand = owner.create("title=" + unique("by command"));
  const WindowHandle byMessage = owner.create("title=" + unique("by message"));

  windows.closeWindow(willing);
  EXPECT_TRUE(owner.waitForNotice("closed " + std::to_string(willing)));
  EXPECT_FALSE(probe.exists(willing));

  EXPECT_EQ(windows.sendMessage(refusing, kWmSysCommand, kScClose, 0), 0);
  EXPECT_TRUE(owner.waitForNotice("declined " + std::to_string(refusing)));
  EXPECT_TRUE(probe.exists(refusing));

  windows.sendMessage(byMessage, 0x0100 /* WM_KEYDOWN */, 0, 0);
  windows.sendMessage(byCommand, kWmSysCommand, 0xF020 /* SC_MINIMIZE */, 0);
  EXPECT_FALSE(owner.noticed("closed " + std::to_string(byMessage)));
  EXPECT_FALSE(owner.noticed("closed " + std::to_string(byCommand)));

  windows.sendMessage(byCommand, kWmSysCommand, kScClose | 0x3, 0);
  windows.sendMessage(byMessage, kWmClose, 0, 0);
  EXPECT_TRUE(owner.waitForNotice("closed " + std::to_string(byCommand)));
  EXPECT_TRUE(owner.waitForNotice("closed " + std::to_string(byMessage)));
}

// Sets an environment variable for the lifetime of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnvironment() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(X11WindowSystemOnAFreshServerTest, KnowsNamesThatOtherProgramsGiveAfterItConnected) {
  // On a new server nobody has named WM_STATE, WM_DELETE_WINDOW and the
  // rest yet when the services connect.
  testing::PrivateXServer server(/*windowManager=*/false);
  X11WindowSystem windows(server.display());
  EXPECT_THAT(enumerate(windows), ElementsAre());

  {
    ScopedEnvironment display("DISPLAY", server.display().c_str());
    TestWindowOwner owner(VIGILO_X11_TEST_WINDOWS);
    const WindowHandle iconic = owner.create("title=First\tstate=iconic");
    const WindowHandle window = owner.create("title=Second");
    EXPECT_THAT(enumerate(windows), ElementsAre(window, iconic));
    EXPECT_TRUE(windows.isIconic(iconic));
    windows.closeWindow(window);
    EXPECT_TRUE(owner.waitForNotice("closed " + std::to_string(window)));
  }
}

TEST(X11WindowSystemWithoutDisplayTest, HasNoWindowsAndDoesNothing) {
  std::optional<ScopedEnvironment> noDisplay;
  noDisplay.emplace("DISPLAY", nullptr);
  X11WindowSystem fromEnvironment;
  X11WindowSystem unopenable(":4999");
  X11WindowSystem badName("no such display");
  for (X11WindowSystem* windows : {&fromEnvironment, &unopenable, &badName}) {
    EXPECT_THAT(enumerate(*windows), ElementsAre());
    EXPECT_EQ(windows->getWindowText(0x200001, 256), "");
    EXPECT_EQ(windows->getClassName(0x200001, 40), "");
    EXPECT_FALSE(windows->isIconic(0x200001));
    windows->showWindow(0x200001, kSwRestore);
    windows->setWindowPos(0x200001, kHwndTop, 0, 0, 0, 0, kRaiseOnly);
    windows->setFocus(0x200001);
    windows->setForegroundWindow(0x200001);
    windows->closeWindow(0x200001);
  }
  // The display is opened on first use, not when the services are made.
  X11WindowSystem lazy;
  noDisplay.reset();
  TestWindowOwner owner(VIGILO_X11_TEST_WINDOWS);
  const WindowHandle window = owner.create("title=lazy");
  EXPECT_THAT(enumerate(lazy), ::testing::Contains(window));
}

}  // namespace
}  // namespace vigilo
