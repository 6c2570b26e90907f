#include "testing/fake_user_interface.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vigilo::testing {

int FakeUserInterface::messageBox(const std::string& text, int style, const std::string& caption) {
  messages.push_back({text, style, caption});
  if (answers.empty()) return kIdOk;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

namespace {

bool looksLikeIconFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char header[4] = {};
  return in.read(header, 4) && header[0] == 0 && header[1] == 0 && header[2] == 1 && header[3] == 0;
}

class FakeForm : public Form {
 public:
  explicit FakeForm(std::shared_ptr<FakeFormRecord> record) : record_(std::move(record)) {}
  int32_t hWnd() const override { return record_->loaded ? record_->hWnd : 0; }
  bool isLoaded() const override { return record_->loaded; }
  bool setIconFromFile(const std::string& iconFile) override {
    record_->iconFiles.push_back(iconFile);
    if (!record_->loaded || !looksLikeIconFile(iconFile)) return false;
    record_->icon = iconFile;
    return true;
  }
  void addButton(const std::string& caption, const TwipsRect& where,
                 std::function<void()> onClick) override {
    record_->buttons.push_back({caption, where, std::move(onClick)});
  }
  void move(int left, int top) override { record_->moves.emplace_back(left, top); }
  int height() const override { return record_->outerHeight; }
  void setUnloadHandler(std::function<void()> handler) override {
    record_->unloadHandler = std::move(handler);
  }
  void unload() override { record_->unload(); }

 private:
  std::shared_ptr<FakeFormRecord> record_;
};

}  // namespace

void FakeFormRecord::click(const std::string& caption) {
  for (const Button& button : buttons) {
    if (button.caption == caption) {
      if (button.onClick) button.onClick();
      return;
    }
  }
  ADD_FAILURE() << "the form has no button \"" << caption << "\"";
}

void FakeFormRecord::closeFromOutside() { unload(); }

void FakeFormRecord::unload() {
  if (!loaded || unloading) return;
  // As the real forms: an unload inside the handler does nothing, and the
  // window goes even when the handler fails.
  unloading = true;
  struct MarkUnloaded {
    FakeFormRecord* form;
    ~MarkUnloaded() { form->loaded = false, form->unloading = false; }
  } markUnloaded{this};
  ++unloads;
  if (unloadHandler) unloadHandler();
}

std::unique_ptr<Form> FakeUserInterface::loadForm(const FormDesign& design) {
  auto record = std::make_shared<FakeFormRecord>();
  record->design = design;
  record->hWnd = 0x2000001 + static_cast<int32_t>(forms.size()) * 0x100000;
  record->outerHeight = design.clientHeight + frameHeightTwips;
  forms.push_back(record);
  return std::make_unique<FakeForm>(record);
}

}  // namespace vigilo::testing
