#pragma once

namespace vigilo::mMain {

// The program's entry point: fills the product profile, refuses to run beside
// a running copy, prepares the user's files, warns about old calendar data,
// loads the launcher form and launches the main application.
void Main();

// Fills the product profile and records where the starter lives. False after
// an unexpected failure, which it has reported.
bool initializeVersion();

// Puts the screen's mouse pointer back to the default.
void resetMousePointer();

}  // namespace vigilo::mMain
