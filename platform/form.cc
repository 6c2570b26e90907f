#include "platform/form.h"

#include "platform/error.h"
#include "platform/user_interface.h"

namespace vigilo {

Form::~Form() = default;

std::unique_ptr<Form> UserInterface::loadForm(const FormDesign& design) {
  throw Error(errc::kInvalidProcedureCall, "UserInterface",
              "The window '" + design.caption + "' cannot be opened: there is no display.");
}

int UserInterface::screenHeight() { return 0; }

}  // namespace vigilo
