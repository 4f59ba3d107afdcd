// The gallery's dialog of standard controls: one of each kind the program
// uses, in the states a user meets them (focused, ticked, disabled, a list
// dropped down).
#pragma once

#include <string>

// Runs on the window system already started. With a file name: shows the
// dialog, writes it (with its dropped list) as a PNG and returns; without:
// runs it modally until it is closed. Returns the process exit code.
int RunControlsPage(const std::string& shot);
