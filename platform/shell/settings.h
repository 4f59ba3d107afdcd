// The settings store: our stand-in for the per-user registry. One small text
// file, $XDG_CONFIG_HOME/velmora/settings (default ~/.config/velmora/), holds
// sections named like registry keys and NAME=VALUE lines:
//
//   [Control Panel\Desktop]
//   WheelScrollLines=3
//
// Values are text whatever they mean; readers parse them.
#pragma once

#include <string>

#include "platform/base/text.h"

namespace settings {

// Path of the store file; VELMORA_SETTINGS_FILE overrides it (tests).
std::string StorePath();

// Reads `name` under `key` (compared without regard to case, like registry
// names). False when the file, the key or the value is missing.
bool ReadValue(const CString& key, const CString& name, CString* value);

// Writes the value, creating the file and its folder as needed; other lines
// are kept. False when the file cannot be written.
bool WriteValue(const CString& key, const CString& name, const CString& value);

}  // namespace settings
