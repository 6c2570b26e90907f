#pragma once

#include "platform/variant.h"

namespace vigilo::mMain {

// Sets up the update tool's settings for this product and starts the tool
// when it is due. Shows nothing but one message for an unknown product.
void SetAndCheckNewtide(const ObjectRef& splash);

}  // namespace vigilo::mMain
