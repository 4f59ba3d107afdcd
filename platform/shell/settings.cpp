#include "platform/shell/settings.h"

#include "platform/base/fileio.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <unistd.h>

namespace settings {
namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

// The file's lines without their line feeds; none when it cannot be read.
std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::string text;
    if (!fileio::ReadFile(path, text).ok()) return lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Section header text, or false when the line is not a header.
bool SectionOf(const std::string& line, std::string* key) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    *key = t.substr(1, t.size() - 2);
    return true;
}

bool SplitValue(const std::string& line, std::string* name, std::string* value) {
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    *name = Trim(t.substr(0, eq));
    *value = Trim(t.substr(eq + 1));
    return true;
}

bool SameName(const std::string& a, const CString& b) {
    return CompareNoCase(FromUtf8(a), b) == 0;
}

}  // namespace

std::string StorePath() {
    if (const char* f = std::getenv("VELMORA_SETTINGS_FILE"); f && *f) return f;
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
        base = x;
    } else if (const char* h = std::getenv("HOME"); h && *h) {
        base = std::string(h) + "/.config";
    } else {
        base = ".";
    }
    return base + "/velmora/settings";
}

bool ReadValue(const CString& key, const CString& name, CString* value) {
    bool inKey = false;
    for (const std::string& line : ReadLines(StorePath())) {
        std::string section, n, v;
        if (SectionOf(line, &section)) {
            inKey = SameName(section, key);
        } else if (inKey && SplitValue(line, &n, &v) && SameName(n, name)) {
            if (value) *value = FromUtf8(v);
            return true;
        }
    }
    return false;
}

bool WriteValue(const CString& key, const CString& name, const CString& value) {
    const std::string path = StorePath();
    std::vector<std::string> lines = ReadLines(path);
    const std::string entry = ToUtf8(name) + "=" + ToUtf8(value);

    bool inKey = false, done = false;
    size_t keyEnd = std::string::npos;  // index after the key's last line
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        std::string section, n, v;
        if (SectionOf(lines[i], &section)) {
            if (inKey) break;
            inKey = SameName(section, key);
            if (inKey) keyEnd = i + 1;
        } else if (inKey) {
            if (SplitValue(lines[i], &n, &v) && SameName(n, name)) {
                lines[i] = entry;
                done = true;
            } else if (!Trim(lines[i]).empty()) {
                keyEnd = i + 1;
            }
        }
    }
    if (!done) {
        if (keyEnd == std::string::npos) {
            if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back("");
            lines.push_back("[" + ToUtf8(key) + "]");
            lines.push_back(entry);
        } else {
            lines.insert(lines.begin() + long(keyEnd), entry);
        }
    }

    std::filesystem::path p(path);
    if (p.has_parent_path() && !fileio::MakeDirectories(p.parent_path().string()).ok()) return false;
    std::string bytes;
    for (const std::string& l : lines) bytes += l + '\n';
    // The shared crash-safe writer: a crash never leaves half a store.
    if (!fileio::WriteFileAtomic(path, bytes).ok()) return false;
    return true;
}

}  // namespace settings
