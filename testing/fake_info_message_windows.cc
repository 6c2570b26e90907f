#include "testing/fake_info_message_windows.h"

namespace vigilo::testing {
namespace {

class FakeInfoMessageWindow : public InfoMessageWindow {
 public:
  FakeInfoMessageWindow(std::shared_ptr<FakeNoticeRecord> record,
                        const std::function<void(const FakeNoticeRecord&)>& onShow)
      : record_(std::move(record)), onShow_(onShow) {}
  ~FakeInfoMessageWindow() override { record_->unloaded = true; }

  void setCaption(const std::string& text) override { record_->caption = text; }
  void setLabelText(const std::string& text) override { record_->label = text; }
  void navigate(const std::string& path) override { record_->pages.push_back(path); }
  void showModal() override {
    ++record_->modalShows;
    if (onShow_) onShow_(*record_);
  }

 private:
  std::shared_ptr<FakeNoticeRecord> record_;
  std::function<void(const FakeNoticeRecord&)> onShow_;
};

}  // namespace

std::unique_ptr<InfoMessageWindow> FakeInfoMessageWindows::create() {
  if (failure) failure();
  windows.push_back(std::make_shared<FakeNoticeRecord>());
  return std::make_unique<FakeInfoMessageWindow>(windows.back(), onShow);
}

}  // namespace vigilo::testing
