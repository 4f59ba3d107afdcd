#include "platform/base/fileio.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace fileio {

namespace {

int SysOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

const SysCalls kReal = {SysOpen, ::write, ::fsync, ::close, ::rename, ::unlink, ::fchmod};

Result Fail(Status status, const char* step, int error) { return Result{status, error, step}; }

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file a write must replace: the target of a symbolic link, else the path itself.
std::string ResolveTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;  // a dangling link: the write replaces the link itself
    std::string resolved(real);
    std::free(real);
    return resolved;
}

std::string TempPrefix(const std::string& target) {
    const size_t slash = target.rfind('/');
    return "." + (slash == std::string::npos ? target : target.substr(slash + 1)) + ".new-";
}

// Temporary files of saves that were killed before they could clean up: named
// after a process that no longer exists.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string dir = DirectoryOf(target);
    const std::string prefix = TempPrefix(target);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name.substr(0, prefix.size()) != prefix) continue;
        char* end = nullptr;
        const long pid = std::strtol(name.data() + prefix.size(), &end, 10);
        if (pid <= 0 || *end != '-' || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

std::string TempName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    return dir + TempPrefix(target) + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
}

Result WriteAll(const SysCalls& sys, int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = sys.write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(Status::IoFailed, "write", errno);
        }
        if (n == 0) return Fail(Status::IoFailed, "write", ENOSPC);
        done += static_cast<size_t>(n);
    }
    return {};
}

}  // namespace

const SysCalls& RealSysCalls() { return kReal; }

std::string Result::Describe() const {
    if (ok()) return {};
    return std::string(step) + ": " + std::strerror(error);
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

Result OpenForReading(const std::string& path, int& fd, std::uint64_t& size) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(errno == ENOENT ? Status::NotFound : Status::OpenFailed, "open", errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = errno ? errno : EINVAL;
        ::close(fd);
        fd = -1;
        return Fail(Status::OpenFailed, "open", err);
    }
    size = static_cast<std::uint64_t>(st.st_size);
    return {};
}

Result ReadFile(const std::string& path, std::string& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(errno == ENOENT ? Status::NotFound : Status::OpenFailed, "open", errno);
    auto fail = [&](int err) {
        ::close(fd);
        out.clear();
        return Fail(Status::IoFailed, "read", err);
    };
    // Read straight into a buffer of the file's size, then go on in small steps
    // in case the file grew (or has no size, as in /proc).
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) out.resize(static_cast<size_t>(st.st_size));
    size_t used = 0;
    while (used < out.size()) {
        const ssize_t n = ::read(fd, out.data() + used, out.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(errno);
        if (n == 0) break;
        used += static_cast<size_t>(n);
    }
    out.resize(used);
    for (;;) {
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(errno);
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return {};
}

AtomicFile::AtomicFile(std::string path, const SysCalls& sys) : m_target(ResolveTarget(path)), m_sys(sys) {}

AtomicFile::~AtomicFile() { Abandon(); }

void AtomicFile::Abandon() {
    if (m_fd >= 0) m_sys.close(m_fd);
    m_fd = -1;
    if (!m_temp.empty()) m_sys.unlink(m_temp.c_str());
    m_temp.clear();
}

Result AtomicFile::Give(const char* step, int error) {
    Abandon();
    return Fail(Status::IoFailed, step, error);
}

Result AtomicFile::Open() {
    struct stat old;
    const bool existed = ::stat(m_target.c_str(), &old) == 0;
    int fd = -1;
    std::string temp;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = TempName(m_target);
        fd = m_sys.open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return Fail(errno == ENOENT ? Status::NotFound : Status::OpenFailed, "open", errno);
    m_fd = fd;
    m_temp = temp;
    if (existed && m_sys.fchmod(m_fd, old.st_mode & 07777) != 0) return Give("fchmod", errno);
    return {};
}

Result AtomicFile::Write(std::string_view bytes) {
    if (m_fd < 0) return Fail(Status::IoFailed, "write", EBADF);
    if (Result r = WriteAll(m_sys, m_fd, bytes); !r.ok()) return Give(r.step, r.error);
    return {};
}

Result AtomicFile::Commit() {
    if (m_fd < 0) return Fail(Status::IoFailed, "write", EBADF);
    if (m_sys.fsync(m_fd) != 0) return Give("fsync", errno);
    // A failing close can report a deferred write error (NFS): the data may not be there.
    const int fd = m_fd;
    m_fd = -1;
    if (m_sys.close(fd) != 0) return Give("close", errno);
    if (m_sys.rename(m_temp.c_str(), m_target.c_str()) != 0) return Give("rename", errno);
    m_temp.clear();

    // The new file is in place; syncing the directory makes the rename itself durable.
    const int dfd = m_sys.open(DirectoryOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dfd < 0) return Fail(Status::IoFailed, "open directory", errno);
    const int syncError = m_sys.fsync(dfd) != 0 ? errno : 0;
    m_sys.close(dfd);
    // Some file systems cannot fsync a directory; that is no failure of ours.
    if (syncError != 0 && syncError != EINVAL && syncError != EROFS)
        return Fail(Status::IoFailed, "fsync directory", syncError);
    RemoveStaleTemporaries(m_target);
    return {};
}

Result WriteFileAtomic(const std::string& path, std::string_view bytes, const SysCalls& sys) {
    AtomicFile file(path, sys);
    if (Result r = file.Open(); !r.ok()) return r;
    if (Result r = file.Write(bytes); !r.ok()) return r;
    return file.Commit();
}

Result ResetAttributes(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return {};
        return Fail(Status::OpenFailed, "stat", errno);
    }
    if ((st.st_mode & S_IWUSR) == 0 && ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0)
        return Fail(Status::OpenFailed, "chmod", errno);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return Fail(Status::OpenFailed, "utimensat", errno);
    return {};
}

Result MakeDirectories(const std::string& path) {
    if (path.empty()) return {};
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? Result{} : Fail(Status::OpenFailed, "mkdir", ENOTDIR);
    std::string parent = path;
    while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
    const size_t slash = parent.rfind('/');
    if (slash != std::string::npos && slash > 0)
        if (Result r = MakeDirectories(parent.substr(0, slash)); !r.ok()) return r;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return Fail(Status::OpenFailed, "mkdir", errno);
    return {};
}

bool IsWritableDirectory(const std::string& path) {
    const std::string dir = path.empty() ? "." : path;
    struct stat st;
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

}  // namespace fileio
