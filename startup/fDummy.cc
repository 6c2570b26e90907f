#include "startup/fDummy.h"

#include <exception>
#include <memory>

#include "platform/error.h"
#include "platform/form.h"
#include "platform/object.h"
#include "platform/platform.h"
#include "platform/user_interface.h"
#include "startup/launchMainApplication.h"

namespace vigilo::fDummy {
namespace {

// The design of the form, in twips.
constexpr int kClientWidth = 3060;
constexpr int kClientHeight = 1650;
constexpr TwipsRect kCommand1{480, 240, 2100, 495};
constexpr TwipsRect kCommand2{480, 900, 2100, 495};
// The gap left between the form's bottom edge and the screen's.
constexpr int kBottomMargin = 500;

std::unique_ptr<Form>& form() {
  static std::unique_ptr<Form> loaded;
  return loaded;
}

void Form_Load() {
  Form& self = *form();
  self.move(0, platform().ui->screenHeight() - self.height() - kBottomMargin);
}

void Command1_Click() { mMain::launchMainApplication(hWnd()); }

void Command2_Click() {
  Unload();
  platform().ui->endProgram();
}

// Ends a main application that a launch still holds. Nothing here may keep
// the form from unloading.
void Form_Unload() {
  try {
    if (mMain::MainApplication) mMain::MainApplication->call("Kill", {});
  } catch (const Error&) {
  }
  mMain::MainApplication = nullptr;
}

}  // namespace

void Load() {
  if (IsLoaded()) return;
  std::unique_ptr<Form> loaded = platform().ui->loadForm({"Form1", kClientWidth, kClientHeight});
  loaded->addButton("Start Browser...", kCommand1, Command1_Click);
  loaded->addButton("End...", kCommand2, Command2_Click);
  loaded->setUnloadHandler(Form_Unload);
  form() = std::move(loaded);
  Form_Load();
}

bool IsLoaded() { return form() && form()->isLoaded(); }

void SetIconFromFile(const std::string& iconPath) {
  if (IsLoaded()) form()->setIconFromFile(iconPath);
}

int32_t hWnd() { return IsLoaded() ? form()->hWnd() : 0; }

void Unload() {
  if (IsLoaded()) form()->unload();
}

}  // namespace vigilo::fDummy
