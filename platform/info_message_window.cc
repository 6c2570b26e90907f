#include "platform/info_message_window.h"

namespace vigilo {

InfoMessageWindow::~InfoMessageWindow() = default;
InfoMessageWindows::~InfoMessageWindows() = default;

}  // namespace vigilo
