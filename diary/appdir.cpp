#include "diary/appdir.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/base/fileio.h"

namespace {

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

}  // namespace

CString AppDirFromExePath(std::u16string_view exePath) {
    CString dir(exePath);
    while (!dir.empty() && dir.back() == u'/') dir.pop_back();
    const size_t slash = dir.rfind(u'/');
    if (slash == CString::npos) return {};
    dir.resize(slash + 1);
    return dir;
}

CString HelpFileFor(std::u16string_view appDir) { return CString(appDir) + u"Norvello.chm"; }

std::optional<std::string> DataDirArgument(int argc, const char* const* argv) {
    static constexpr std::string_view kSwitch = "--data-dir";
    std::optional<std::string> dir;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == kSwitch && i + 1 < argc)
            dir = argv[++i];
        else if (arg.size() > kSwitch.size() && arg.substr(0, kSwitch.size()) == kSwitch &&
                 arg[kSwitch.size()] == '=')
            dir = std::string(arg.substr(kSwitch.size() + 1));
    }
    return dir;
}

std::string ChooseDataDir(const DataDirInputs& in) {
    if (in.override_) return WithSlash(*in.override_);
    if (in.appDirWritable) return in.appDir;
    // A relative XDG_DATA_HOME is invalid and is ignored, as the base-directory rules say.
    if (in.xdgDataHome && in.xdgDataHome[0] == '/') return WithSlash(in.xdgDataHome) + "velmora/";
    if (in.home && in.home[0] != '\0') return WithSlash(in.home) + ".local/share/velmora/";
    return in.appDir;  // nowhere better: try the program directory anyway
}

CString ExecutablePath() {
    std::vector<char> buf(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buf.size()) return FromUtf8(std::string_view(buf.data(), size_t(n)));
        buf.resize(buf.size() * 2);
    }
}

CString ResolveDataDir(int argc, const char* const* argv) {
    DataDirInputs in;
    in.appDir = ToUtf8(AppDirFromExePath(ExecutablePath()));
    in.override_ = DataDirArgument(argc, argv);
    in.xdgDataHome = std::getenv("XDG_DATA_HOME");
    in.home = std::getenv("HOME");
    in.appDirWritable = !in.override_ && fileio::IsWritableDirectory(in.appDir);
    const std::string dir = ChooseDataDir(in);
    fileio::MakeDirectories(dir);
    return FromUtf8(dir);
}
