#pragma once

#include <memory>
#include <string>

namespace vigilo {

class InfoMessageWindow;

// The information message window: a local HTML page in a browser view
// (WebBrowser1), a "Close" button (Command1) and an empty one-line label
// (Label1). Each message gets an instance of its own: created, given its
// title and page, shown modally until the user closes it, then unloaded.
class frmInfoMsg {
 public:
  // A new, separate window, not shown yet. Raises Error when none can be made.
  frmInfoMsg();
  ~frmInfoMsg();  // unloads the window if the caller has not
  frmInfoMsg(const frmInfoMsg&) = delete;
  frmInfoMsg& operator=(const frmInfoMsg&) = delete;

  void setCaption(const std::string& text);
  void setLabel1(const std::string& text);
  // WebBrowser1.Navigate: shows the local HTML file `path`.
  void navigateWebBrowser1(const std::string& path);
  // Returns once the window has been closed ("Close", the close box, Esc).
  void showModal();
  // Destroys the window and its controls.
  void unload();

 private:
  std::unique_ptr<InfoMessageWindow> window_;
};

}  // namespace vigilo
