// Whole-file reading, crash-safe rewriting and the attribute reset of data files.
//
// A rewrite never touches the old file until the new bytes are durable: they go
// to a temporary file in the same directory, which is fsynced and renamed over
// the old one, then the directory is fsynced. The old file's permission bits are
// kept. A failure at any step leaves the old file as it was and removes the
// temporary file. The system calls go through a table so tests can fail each one.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fileio {

// The system calls the writer makes; tests swap single entries to inject failures.
struct SysCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* buf, size_t count);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
    int (*fchmod)(int fd, mode_t mode);
};

const SysCalls& RealSysCalls();

enum class Status {
    Ok,
    NotFound,     // the file (or for a write, its directory) does not exist
    OpenFailed,   // it exists but cannot be opened or created (rights, read-only medium)
    IoFailed,     // a read, write, fsync, close or rename failed part way
};

struct Result {
    Status status = Status::Ok;
    int error = 0;            // errno of the failing call
    const char* step = "";    // which call failed: "open", "write", "fsync", ...

    bool ok() const { return status == Status::Ok; }
    // "write: No space left on device"; empty when ok.
    std::string Describe() const;
};

bool Exists(const std::string& path);

// Opens a file read-only and gives its size, for reading it in pieces; the
// caller closes `fd`.
Result OpenForReading(const std::string& path, int& fd, std::uint64_t& size);

// Reads the whole file into `out` (replacing its contents).
Result ReadFile(const std::string& path, std::string& out);

// A crash-safe replacement of one file, written in pieces: Open, Write as often
// as needed, Commit. Until Commit succeeds the old file is untouched; a failed
// step, or destruction without Commit, removes the temporary file. A commit
// also removes the temporary files that killed processes left behind.
class AtomicFile {
public:
    explicit AtomicFile(std::string path, const SysCalls& sys = RealSysCalls());
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    Result Open();
    Result Write(std::string_view bytes);
    Result Commit();

private:
    void Abandon();
    Result Give(const char* step, int error);

    std::string m_target;
    const SysCalls& m_sys;
    std::string m_temp;
    int m_fd = -1;
};

// Replaces `path` with exactly `bytes`, crash-safely (see above). A new file gets
// the mode the umask allows for 0666; an existing one keeps its permission bits.
// If `path` is a symbolic link, the file it points to is replaced.
Result WriteFileAtomic(const std::string& path, std::string_view bytes,
                       const SysCalls& sys = RealSysCalls());

// The platform's "attributes set to none": when the file exists, make it writable
// by its owner and write back its access and modification times as they were.
// A missing file is left alone and is not an error.
Result ResetAttributes(const std::string& path);

// Creates the directory and its missing parents (mode 0700 for the ones created).
Result MakeDirectories(const std::string& path);

// Whether the current user may create files in the directory.
bool IsWritableDirectory(const std::string& path);

}  // namespace fileio
