#pragma once

#include <cstdint>
#include <string>

namespace vigilo::fDummy {

// The hidden launcher form: loaded without being shown, it keeps the program
// alive; its window is the one the main application closes at its end, which
// unloads the form and so ends the program.

// Loads the form and runs Form_Load; nothing when it is loaded already.
void Load();
bool IsLoaded();
// Makes the picture of the icon file `iconPath` (large icon size) the form's
// icon; a file that cannot be used leaves the form's own icon.
void SetIconFromFile(const std::string& iconPath);
// The form's window handle; 0 when it is not loaded.
int32_t hWnd();
// Unloads the form (Form_Unload runs); nothing when it is not loaded.
void Unload();

}  // namespace vigilo::fDummy
