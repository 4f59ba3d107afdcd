// The archive the diary file is written and read through: 32-bit integers
// little-endian, strings with a length prefix.
//
// Strings are always written as UTF-16: the marker FF FE FF, the length in code
// units (one byte below 255; FF and 16 bits below 0xFFFE; FF FF FF and 32 bits
// otherwise), then the code units. Reading also takes strings without the marker,
// whose bytes are 8-bit text in the ANSI code page.
//
// A loading archive never trusts a length: each one is checked against the bytes
// that remain before anything is allocated, and the first failure sticks.
#pragma once

#include <cstddef>
#include <cstdint>
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
    };

    // A storing archive, appending to its own buffer.
    CArchive();
    // A loading archive over `bytes`, which must outlive it.
    explicit CArchive(std::string_view bytes);

    bool IsStoring() const { return m_storing; }
    bool IsLoading() const { return !m_storing; }

    // Storing.
    void WriteInt32(std::int32_t value);
    void WriteString(std::u16string_view text);
    const std::string& Bytes() const { return m_out; }
    std::string TakeBytes() { return std::move(m_out); }
    void Reserve(size_t bytes) { m_out.reserve(bytes); }

    // Loading. Each returns false, leaving `value` alone, once the archive has failed.
    bool ReadInt32(std::int32_t& value);
    bool ReadString(std::u16string& text);
    size_t Position() const { return m_pos; }
    size_t Remaining() const { return m_in.size() - m_pos; }

    bool Failed() const { return m_error != Error::None; }
    Error GetError() const { return m_error; }
    // Where the failing value started.
    size_t ErrorOffset() const { return m_errorOffset; }
    static const char* Describe(Error error);

private:
    bool Fail(Error error, size_t offset);
    bool ReadByte(std::uint8_t& b);
    bool ReadWord(std::uint16_t& w);
    bool ReadDword(std::uint32_t& d);
    void PutBytes(const void* data, size_t size) { m_out.append(static_cast<const char*>(data), size); }

    bool m_storing;
    std::string m_out;
    std::string_view m_in;
    size_t m_pos = 0;
    Error m_error = Error::None;
    size_t m_errorOffset = 0;
};
