#pragma once

#include <gtk/gtk.h>

#include <map>

#include "platform/linux/gtk/gobject_ptr.h"

namespace vigilo {

// The mouse pointer over all of the program's windows. The busy pointer goes
// on every GDK window of every top-level window (widgets with windows of their
// own too), each window's own pointer being kept so the default brings it back.
class ProgramMousePointer {
 public:
  ProgramMousePointer() = default;
  ~ProgramMousePointer();
  ProgramMousePointer(const ProgramMousePointer&) = delete;
  ProgramMousePointer& operator=(const ProgramMousePointer&) = delete;

  // Records the pointer (kPointerDefault, kPointerBusy, ...); when GTK is
  // running, shows it at once.
  void set(int pointer, bool gtkRunning);
  // Gives the busy pointer to windows made since it was set. GTK must be running.
  void coverNewWindows();

 private:
  void cover(GdkWindow* window);
  void restoreAll();
  static void forget(gpointer self, GObject* gone);

  int pointer_ = 0;
  GObjectPtr<GdkCursor> busy_;
  // The windows showing the busy pointer, with the pointer each had before.
  std::map<GdkWindow*, GObjectPtr<GdkCursor>> covered_;
};

// Marks the top-level `window` as one the busy pointer leaves alone (a
// message box that asks the user something).
void exemptFromBusyPointer(GtkWidget* window);

}  // namespace vigilo
