#include "startup/fDummy.h"

namespace vigilo::fDummy {

// The launcher form needs the windowing user interface; until then it is
// never loaded, and the program ends when the start-up returns.
void Load() {}
bool IsLoaded() { return false; }
void SetIconFromFile(const std::string&) {}
int32_t hWnd() { return 0; }

}  // namespace vigilo::fDummy
