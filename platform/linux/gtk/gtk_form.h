#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <list>

#include "platform/form.h"

namespace vigilo {

// The window class that every form of the program carries, so that other
// programs (a second start looking for the running copy) find it by class.
inline constexpr const char* kFormWindowClass = "ThunderRT6FormDC";

// A form as a GTK top-level window that is realized (it has an X window,
// which is its handle) but never mapped. A WM_DELETE_WINDOW request from any
// process unloads it.
class GtkForm : public Form {
 public:
  // `twipsPerPixel` converts the form's twips to the screen's pixels.
  GtkForm(const FormDesign& design, double twipsPerPixel);
  ~GtkForm() override;
  GtkForm(const GtkForm&) = delete;
  GtkForm& operator=(const GtkForm&) = delete;

  int32_t hWnd() const override;
  bool isLoaded() const override { return window_ != nullptr; }
  bool setIconFromFile(const std::string& iconFile) override;
  void addButton(const std::string& caption, const TwipsRect& where,
                 std::function<void()> onClick) override;
  void move(int left, int top) override;
  int height() const override;
  void setUnloadHandler(std::function<void()> handler) override {
    unloadHandler_ = std::move(handler);
  }
  void unload() override;

  GtkWidget* window() const { return window_; }

  // How many forms are loaded in this process.
  static int loadedCount();

 private:
  int pixels(int twips) const;
  void destroyWindow();
  static void onRealized(GtkWidget* window, gpointer self);
  static gboolean onDeleteEvent(GtkWidget*, GdkEvent*, gpointer self);
  static void onClicked(GtkButton*, gpointer action);

  double twipsPerPixel_;
  GtkWidget* window_ = nullptr;
  GtkWidget* layout_ = nullptr;
  std::function<void()> unloadHandler_;
  std::list<std::function<void()>> clickActions_;  // stable addresses for GTK
  bool unloading_ = false;
};

}  // namespace vigilo
