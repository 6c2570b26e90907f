#pragma once

#include <cstdint>
#include <string>

namespace vigilo::fDummy {

// The hidden launcher form: loaded without being shown, it keeps the program
// alive, and its window is the one the main application closes at its end.
void Load();                                // runs Form_Load; nothing when loaded
bool IsLoaded();
void SetIconFromFile(const std::string& iconPath);  // the picture at large icon size
int32_t hWnd();                              // its window handle (0 when not loaded)

}  // namespace vigilo::fDummy
