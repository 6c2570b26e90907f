#pragma once

#include <memory>
#include <string>

namespace vigilo {

// A small modal window that shows a local HTML page in a web browser view
// above a "Close" button and a one-line label. It has a fixed frame, no task
// bar entry, and ends its modal display when "Close" is pressed or the window
// is closed in any other way.
class InfoMessageWindow {
 public:
  virtual ~InfoMessageWindow();  // unloads the window
  virtual void setCaption(const std::string& text) = 0;
  virtual void setLabelText(const std::string& text) = 0;
  // Shows the local file `path` in the browser view.
  virtual void navigate(const std::string& path) = 0;
  // Shows the window modally; returns once it has been hidden or closed.
  virtual void showModal() = 0;
};

// Creates notice windows. Raises Error when no window can be made (no
// display, the browser component cannot be loaded).
class InfoMessageWindows {
 public:
  virtual ~InfoMessageWindows();
  virtual std::unique_ptr<InfoMessageWindow> create() = 0;
};

}  // namespace vigilo
