// The splash component as the starter uses it: loaded from its library
// through the registry, on a real X display.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/component_registration.h"
#include "platform/error.h"
#include "platform/linux/component_loader.h"
#include "platform/linux/registered_components.h"
#include "platform/platform.h"
#include "testing/memory_registry_store.h"
#include "testing/scoped_temp_dir.h"

namespace vigilo {
namespace {

// Two frames of 4 x 4 pixels, a fifth of a second each, looping.
const unsigned char kAnimatedGif[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x04, 0x00, 0xf0, 0x00, 0x00, 0x33, 0x66, 0x99,
    0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x14, 0x00, 0x00, 0x00, 0x21, 0xff, 0x0b, 0x4e, 0x45,
    0x54, 0x53, 0x43, 0x41, 0x50, 0x45, 0x32, 0x2e, 0x30, 0x03, 0x01, 0x00, 0x00, 0x00, 0x2c, 0x00,
    0x00, 0x00, 0x00, 0x04, 0x00, 0x04, 0x00, 0x00, 0x02, 0x04, 0x84, 0x8f, 0x09, 0x05, 0x00, 0x21,
    0xf9, 0x04, 0x00, 0x14, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x04, 0x00,
    0x80, 0xcc, 0x99, 0x33, 0x00, 0x00, 0x00, 0x02, 0x04, 0x84, 0x8f, 0x09, 0x05, 0x00, 0x3b};

void pumpFor(std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  while (std::chrono::steady_clock::now() < end) {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// This program's top-level windows that are on the screen.
std::vector<GtkWindow*> visibleWindows() {
  std::vector<GtkWindow*> windows;
  GList* toplevels = gtk_window_list_toplevels();
  for (GList* w = toplevels; w; w = w->next)
    if (gtk_widget_get_mapped(GTK_WIDGET(w->data))) windows.push_back(GTK_WINDOW(w->data));
  g_list_free(toplevels);
  return windows;
}

class SplashTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display"; }

  SplashTest() : installed_(services()) {
    std::string whyNot;
    const ComponentLibrary* library = loadComponentLibrary(VIGILO_SPLASH, &whyNot);
    if (!library) ADD_FAILURE() << whyNot;
    registerComponentClasses(registry_, RegistrationScope::Machine, VIGILO_SPLASH,
                             library ? library->classList() : std::vector<ComponentClass>{});
  }

  Platform services() {
    Platform p;
    p.registry = &registry_;
    return p;
  }

  // A splash showing `file`, as the starter makes it.
  ObjectRef showSplash(const std::string& file) {
    ObjectRef splash = components_.createObject("RXSplash.cRXSplash");
    splash->set("pGraphicFile", file);
    splash->call("mShow", {});
    pumpFor(std::chrono::milliseconds(50));
    return splash;
  }

  testing::ScopedTempDir temp_;
  testing::MemoryRegistryStore registry_;
  RegisteredComponents components_;

 private:
  ScopedPlatform installed_;
};

TEST_F(SplashTest, APictureIsShownCentredWithoutFrameUntilReleased) {
  const std::string png = temp_ / "splash.png";
  GdkPixbuf* picture = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 200, 100);
  gdk_pixbuf_fill(picture, 0x336699ff);
  ASSERT_TRUE(gdk_pixbuf_save(picture, png.c_str(), "png", nullptr, nullptr));
  g_object_unref(picture);
  const std::string gif = temp_ / "animated.gif";
  testing::writeFile(gif, std::string(std::begin(kAnimatedGif), std::end(kAnimatedGif)));

  for (const auto& [file, width, height] : {std::tuple{png, 200, 100}, std::tuple{gif, 4, 4}}) {
    SCOPED_TRACE(file);
    ObjectRef splash = showSplash(file);
    const auto windows = visibleWindows();
    ASSERT_EQ(windows.size(), 1u);
    GtkWindow* window = windows[0];
    EXPECT_FALSE(gtk_window_get_decorated(window));
    EXPECT_EQ(gtk_window_get_type_hint(window), GDK_WINDOW_TYPE_HINT_SPLASHSCREEN);
    int x, y;
    gdk_window_get_origin(gtk_widget_get_window(GTK_WIDGET(window)), &x, &y);
    GdkRectangle screen;
    gdk_monitor_get_geometry(
        gdk_display_get_monitor_at_window(gdk_display_get_default(),
                                          gtk_widget_get_window(GTK_WIDGET(window))),
        &screen);
    EXPECT_NEAR(x + width / 2, screen.x + screen.width / 2, 2);
    EXPECT_NEAR(y + height / 2, screen.y + screen.height / 2, 2);

    splash.reset();
    pumpFor(std::chrono::milliseconds(20));
    EXPECT_TRUE(visibleWindows().empty()) << "the splash stayed after its release";
  }
}

TEST_F(SplashTest, AMissingOrUnreadablePictureShowsNothingAndIsNoError) {
  const std::string corrupt = temp_ / "Splash.gif";
  testing::writeFile(corrupt, "GIF89a and then nothing a picture needs");
  for (const std::string& file :
       {temp_ / "missing.gif", corrupt, temp_.path() + "/", std::string()}) {
    SCOPED_TRACE(file);
    ObjectRef splash;
    EXPECT_NO_THROW(splash = showSplash(file));
    EXPECT_TRUE(visibleWindows().empty());
  }
}

TEST_F(SplashTest, UnknownMembersRaise438) {
  ObjectRef splash = components_.createObject("RXSplash.cRXSplash");
  try {
    splash->call("mHide", {});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), errc::kMemberNotFound);
    EXPECT_THAT(e.description(), ::testing::HasSubstr("mHide"));
  }
}

}  // namespace
}  // namespace vigilo
