// Where the program and its data live.
//
// The program directory is the executable's path cut right after its last '/'
// (trailing '/' removed first); a path without '/' gives the empty string, and
// the data files are then opened relative to the current directory. The data
// directory is the program directory when it is writable (a portable install),
// else $XDG_DATA_HOME/velmora/ (~/.local/share/velmora/ by default); the
// command-line switch "--data-dir DIR" overrides both.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/base/text.h"

// The string rules, pure so they test without the real executable.
CString AppDirFromExePath(std::u16string_view exePath);
CString HelpFileFor(std::u16string_view appDir);  // appDir + "Norvello.chm"

// "DIR" of "--data-dir DIR" or "--data-dir=DIR"; the last one wins.
std::optional<std::string> DataDirArgument(int argc, const char* const* argv);

struct DataDirInputs {
    std::string appDir;                     // as AppDirFromExePath gives it, in UTF-8
    std::optional<std::string> override_;   // from --data-dir
    const char* xdgDataHome = nullptr;      // the environment's values, may be null
    const char* home = nullptr;
    bool appDirWritable = false;
};
// The data directory, always ending with '/' unless it is the empty (current) one.
std::string ChooseDataDir(const DataDirInputs& in);

// The real thing: /proc/self/exe, the environment and the file system. The
// chosen directory is created when it does not exist yet.
CString ExecutablePath();
CString ResolveDataDir(int argc, const char* const* argv);
