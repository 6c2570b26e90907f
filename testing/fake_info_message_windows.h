#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/info_message_window.h"

namespace vigilo::testing {

// What a fake notice window was given and how it was used.
struct FakeNoticeRecord {
  std::string caption;
  std::string label;
  std::vector<std::string> pages;  // every navigation, in order
  int modalShows = 0;
  bool unloaded = false;
};

// Notice windows that show nothing: each one records into `windows`, and
// showModal runs `onShow` (if set) and returns as if the user closed it.
// With `failure` set, create() raises it instead of making a window.
class FakeInfoMessageWindows : public InfoMessageWindows {
 public:
  std::unique_ptr<InfoMessageWindow> create() override;

  std::vector<std::shared_ptr<FakeNoticeRecord>> windows;
  std::function<void(const FakeNoticeRecord&)> onShow;
  std::function<void()> failure;
};

}  // namespace vigilo::testing
