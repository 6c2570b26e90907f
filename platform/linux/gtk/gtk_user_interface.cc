#include "platform/linux/gtk/gtk_user_interface.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>

#include "platform/error.h"
#include "platform/linux/gtk/gtk_form.h"
#include "platform/linux/gtk/gtk_message_box.h"
#include "platform/linux/gtk/gtk_mouse_pointer.h"

namespace vigilo {
namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kDefaultDpi = 96;
// A pass over pending events stops after this many, so that a source that is
// always ready (an animation) cannot keep it going.
constexpr int kMaxEventsInOnePass = 1000;

}  // namespace

GtkUserInterface::GtkUserInterface() : pointer_(std::make_unique<ProgramMousePointer>()) {}

GtkUserInterface::~GtkUserInterface() = default;

bool GtkUserInterface::gtkRunning() {
  if (!started_) {
    started_ = gtk_init_check(nullptr, nullptr) != FALSE;
  }
  return *started_;
}

double GtkUserInterface::twipsPerPixel() {
  GdkScreen* screen = gdk_screen_get_default();
  const double dpi = screen ? gdk_screen_get_resolution(screen) : -1;
  return kTwipsPerInch / (dpi > 0 ? dpi : kDefaultDpi);
}

int GtkUserInterface::messageBox(const std::string& text, int style, const std::string& caption) {
  if (!gtkRunning()) return console_.messageBox(text, style, caption);
  return runGtkMessageBox(text, style, caption.empty() ? std::string(kProgramTitle) : caption);
}

void GtkUserInterface::setMousePointer(int pointer) {
  // Only remembered until GTK runs for another reason: starting GTK to show a
  // pointer over no window would slow down every start.
  pointer_->set(pointer, started_.value_or(false));
}

void GtkUserInterface::doEvents() {
  if (!gtkRunning()) return;
  pointer_->coverNewWindows();
  // Waits for the X server to have answered what was sent (a window that was
  // just mapped), so that its exposures and events are among the pending ones.
  if (GdkDisplay* display = gdk_display_get_default()) gdk_display_sync(display);
  for (int i = 0; i < kMaxEventsInOnePass && gtk_events_pending(); ++i)
    gtk_main_iteration_do(FALSE);
}

void GtkUserInterface::runWhileFormsLoaded() {
  while (GtkForm::loadedCount() > 0) gtk_main_iteration_do(TRUE);
}

void GtkUserInterface::endProgram() {
  std::fflush(nullptr);
  std::_Exit(0);
}

std::unique_ptr<Form> GtkUserInterface::loadForm(const FormDesign& design) {
  if (!gtkRunning()) return UserInterface::loadForm(design);
  auto form = std::make_unique<GtkForm>(design, twipsPerPixel());
  pointer_->coverNewWindows();
  return form;
}

int GtkUserInterface::screenHeight() {
  if (!gtkRunning()) return 0;
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  if (!monitor) return 0;
  GdkRectangle area{};
  gdk_monitor_get_geometry(monitor, &area);
  return static_cast<int>(area.height * twipsPerPixel() + 0.5);
}

}  // namespace vigilo
