// The gallery's dialog of standard controls: one of each kind the program
// uses, in the states a user meets them (focused, selected, ticked,
// disabled, a list dropped down), on the virtual screen.
#pragma once

#include <string>

// Shows the dialog on a virtual screen and writes the dialog (with its
// dropped list) as a PNG. False, with error set, on failure.
bool WriteControlsScreenshot(const std::string& path, std::string* error = nullptr);
// Runs the dialog modally on the window system already started (a real
// display); returns when it is closed.
int RunControlsDialog();
