#include "startup/mMain.h"

namespace vigilo::mMain {

void Main() {}

void resetMousePointer() {}

}  // namespace vigilo::mMain
