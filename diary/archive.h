// The archive the diary file is written and read through: 32-bit integers
// little-endian, strings with a length prefix.
//
// Strings are always written as UTF-16: the marker FF FE FF, the length in code
// units (one byte below 255; FF and 16 bits below 0xFFFE; FF FF FF and 32 bits
// otherwise), then the code units. Reading also takes strings without the marker,
// whose bytes are 8-bit text in the ANSI code page.
//
// A loading archive never trusts a length: each one is checked against the bytes
// that remain before anything is allocated, and the first failure sticks. It
// reads either from memory or from a file through a small buffer, so loading a
// large diary never holds the whole file and its records at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CArchive {
public:
    enum class Error {
        None,
        EndOfData,     // the bytes end inside a value
        LengthPastEnd, // a string's length runs past the end of the bytes
        NestedMarker,  // the UTF-16 marker appears twice in front of one string
        TooLong,       // storing: a string longer than the format can say
        ReadFailed,    // the file could not be read, or ended before its stated size
        WriteFailed,   // storing: the sink refused the bytes
    };

    // Where a storing archive sends its bytes, a buffer at a time; false stops it.
    using Sink = std::function<bool(std::string_view bytes)>;

    // A storing archive, appending to its own buffer.
    CArchive();
    // A storing archive that hands its bytes to `sink` through a buffer; call
    // Flush at the end.
    explicit CArchive(Sink sink);
    // A loading archive over `bytes`, which must outlive it.
    explicit CArchive(std::string_view bytes);
    // A loading archive over an open file of `size` bytes (from fstat), read from
    // its current offset. The descriptor stays the caller's.
    CArchive(int fd, std::uint64_t size);

    bool IsStoring() const { return m_storing; }
    bool IsLoading() const { return !m_storing; }

    // Storing.
    void WriteInt32(std::int32_t value);
    void WriteString(std::u16string_view text);
    const std::string& Bytes() const { return m_out; }
    std::string TakeBytes() { return std::move(m_out); }
    void Reserve(size_t bytes) { m_out.reserve(bytes); }
    bool Flush();

    // Loading. Each returns false, leaving `value` alone, once the archive has failed.
    bool ReadInt32(std::int32_t& value);
    bool ReadString(std::u16string& text);
    std::uint64_t Position() const { return m_base + m_pos; }
    std::uint64_t Remaining() const { return m_total - Position(); }

    bool Failed() const { return m_error != Error::None; }
    Error GetError() const { return m_error; }
    // Where the failing value started.
    std::uint64_t ErrorOffset() const { return m_errorOffset; }
    int ReadErrno() const { return m_readErrno; }
    static const char* Describe(Error error);

private:
    bool Fail(Error error, std::uint64_t offset);
    // Makes at least `n` bytes (n <= the buffer size) available at m_pos.
    bool Need(size_t n);
    // Copies the next `n` bytes, already checked against Remaining(), to `out`.
    bool Take(char* out, size_t n);
    bool ReadByte(std::uint8_t& b);
    bool ReadWord(std::uint16_t& w);
    bool ReadDword(std::uint32_t& d);
    void PutBytes(const void* data, size_t size) {
        if (m_error != Error::None) return;
        m_out.append(static_cast<const char*>(data), size);
        if (m_sink && m_out.size() >= kSinkBufferBytes) Flush();
    }
    static constexpr size_t kSinkBufferBytes = 64 * 1024;

    bool m_storing;
    std::string m_out;
    Sink m_sink;
    std::string_view m_in;     // the bytes at hand: all of them, or the file buffer's
    size_t m_pos = 0;          // next byte within m_in
    std::uint64_t m_base = 0;  // offset of m_in[0] in the whole input
    std::uint64_t m_total = 0;
    int m_fd = -1;
    std::string m_buffer;
    Error m_error = Error::None;
    std::uint64_t m_errorOffset = 0;
    int m_readErrno = 0;
};
