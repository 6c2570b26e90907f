#include "calendar/frmInfoMsg.h"

#include "platform/error.h"
#include "platform/info_message_window.h"
#include "platform/platform.h"

namespace vigilo {
namespace {

InfoMessageWindow& loaded(const std::unique_ptr<InfoMessageWindow>& window) {
  if (!window)
    throw Error(errc::kObjectRequired, "frmInfoMsg", "The notice window has been unloaded.");
  return *window;
}

}  // namespace

frmInfoMsg::frmInfoMsg() {
  if (!platform().infoWindows)
    throw Error(errc::kCannotCreateObject, "frmInfoMsg", "The notice window cannot be shown here.");
  window_ = platform().infoWindows->create();
}

frmInfoMsg::~frmInfoMsg() = default;

void frmInfoMsg::setCaption(const std::string& text) { loaded(window_).setCaption(text); }

void frmInfoMsg::setLabel1(const std::string& text) { loaded(window_).setLabelText(text); }

void frmInfoMsg::navigateWebBrowser1(const std::string& path) { loaded(window_).navigate(path); }

void frmInfoMsg::showModal() { loaded(window_).showModal(); }

void frmInfoMsg::unload() { window_.reset(); }

}  // namespace vigilo
