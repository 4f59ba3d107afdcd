#include "diary/archive.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "platform/base/text.h"

namespace {

constexpr std::uint8_t kByteEscape = 0xFF;
constexpr std::uint16_t kUnicodeMarker = 0xFFFE;
constexpr std::uint16_t kWordEscape = 0xFFFF;
constexpr size_t kFileBufferBytes = 64 * 1024;

// Reads until `n` bytes are in or the file ends; returns the count, or -1 with errno.
ssize_t ReadFully(int fd, char* out, size_t n) {
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, out + got, n - got);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r == 0) break;
        got += static_cast<size_t>(r);
    }
    return static_cast<ssize_t>(got);
}

template <typename T>
void StoreLittleEndian(char* out, T value) {
    for (size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

CArchive::CArchive() : m_storing(true) {}

CArchive::CArchive(Sink sink) : m_storing(true), m_sink(std::move(sink)) { m_out.reserve(2 * kSinkBufferBytes); }

bool CArchive::Flush() {
    if (!m_sink || Failed()) return !Failed();
    if (!m_out.empty() && !m_sink(m_out)) return Fail(Error::WriteFailed, 0);
    m_out.clear();
    return true;
}

CArchive::CArchive(std::string_view bytes) : m_storing(false), m_in(bytes), m_total(bytes.size()) {}

CArchive::CArchive(int fd, std::uint64_t size) : m_storing(false), m_total(size), m_fd(fd) {
    // Never more room than the file needs: a small file costs no big buffer.
    m_buffer.resize(static_cast<size_t>(std::clamp<std::uint64_t>(size, 16, kFileBufferBytes)));
    m_in = std::string_view(m_buffer.data(), 0);
}

const char* CArchive::Describe(Error error) {
    switch (error) {
    case Error::None: return "no error";
    case Error::EndOfData: return "the file ends inside a value";
    case Error::LengthPastEnd: return "a text length runs past the end of the file";
    case Error::NestedMarker: return "a text carries its Unicode marker twice";
    case Error::TooLong: return "a text is too long to be stored";
    case Error::ReadFailed: return "the file could not be read to its end";
    case Error::WriteFailed: return "the file could not be written";
    }
    return "unknown error";
}

bool CArchive::Fail(Error error, std::uint64_t offset) {
    if (m_error == Error::None) {
        m_error = error;
        m_errorOffset = offset;
    }
    return false;
}

void CArchive::WriteInt32(std::int32_t value) {
    char buf[4];
    StoreLittleEndian(buf, static_cast<std::uint32_t>(value));
    PutBytes(buf, 4);
}

void CArchive::WriteString(std::u16string_view text) {
    const size_t length = text.size();
    if (length > 0xFFFFFFFFu) {
        Fail(Error::TooLong, m_out.size());
        return;
    }
    char head[10] = {char(0xFF), char(0xFE), char(0xFF)};
    size_t n = 3;
    if (length < kByteEscape) {
        head[n++] = static_cast<char>(length);
    } else if (length < kUnicodeMarker) {
        head[n++] = char(kByteEscape);
        StoreLittleEndian(head + n, static_cast<std::uint16_t>(length));
        n += 2;
    } else {
        head[n++] = char(kByteEscape);
        StoreLittleEndian(head + n, kWordEscape);
        StoreLittleEndian(head + n + 2, static_cast<std::uint32_t>(length));
        n += 6;
    }
    PutBytes(head, n);
    if constexpr (std::endian::native == std::endian::little) {
        PutBytes(text.data(), 2 * length);
    } else {
        const size_t at = m_out.size();
        m_out.resize(at + 2 * length);
        for (size_t i = 0; i < length; ++i) StoreLittleEndian(m_out.data() + at + 2 * i, std::uint16_t(text[i]));
    }
}

bool CArchive::Need(size_t n) {
    if (m_in.size() - m_pos >= n) return true;
    if (m_fd < 0) return Fail(Error::EndOfData, Position());
    // Keep the unread tail, then fill the buffer behind it.
    const size_t tail = m_in.size() - m_pos;
    std::memmove(m_buffer.data(), m_in.data() + m_pos, tail);
    m_base += m_pos;
    m_pos = 0;
    const std::uint64_t want = std::min<std::uint64_t>(m_buffer.size() - tail, m_total - m_base - tail);
    const ssize_t got = ReadFully(m_fd, m_buffer.data() + tail, static_cast<size_t>(want));
    if (got < 0) m_readErrno = errno;
    m_in = std::string_view(m_buffer.data(), tail + (got > 0 ? static_cast<size_t>(got) : 0));
    if (m_in.size() < n) return Fail(Error::ReadFailed, Position());
    return true;
}

bool CArchive::Take(char* out, size_t n) {
    const size_t here = std::min(n, m_in.size() - m_pos);
    std::memcpy(out, m_in.data() + m_pos, here);
    m_pos += here;
    if (here == n) return true;
    if (m_fd < 0) return Fail(Error::EndOfData, Position());
    // Long texts go straight from the file into their place.
    const size_t rest = n - here;
    if (rest >= m_buffer.size() / 2) {
        const ssize_t got = ReadFully(m_fd, out + here, rest);
        if (got < 0) m_readErrno = errno;
        m_base += m_in.size() + (got > 0 ? static_cast<std::uint64_t>(got) : 0);
        m_in = std::string_view(m_buffer.data(), 0);
        m_pos = 0;
        return static_cast<size_t>(got) == rest ? true : Fail(Error::ReadFailed, Position());
    }
    if (!Need(rest)) return false;
    std::memcpy(out + here, m_in.data() + m_pos, rest);
    m_pos += rest;
    return true;
}

bool CArchive::ReadByte(std::uint8_t& b) {
    if (Failed()) return false;
    if (Remaining() < 1) return Fail(Error::EndOfData, Position());
    if (!Need(1)) return false;
    b = static_cast<std::uint8_t>(m_in[m_pos++]);
    return true;
}

bool CArchive::ReadWord(std::uint16_t& w) {
    if (Failed()) return false;
    if (Remaining() < 2) return Fail(Error::EndOfData, Position());
    if (!Need(2)) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(m_in.data() + m_pos);
    w = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    m_pos += 2;
    return true;
}

bool CArchive::ReadDword(std::uint32_t& d) {
    if (Failed()) return false;
    if (Remaining() < 4) return Fail(Error::EndOfData, Position());
    if (!Need(4)) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(m_in.data() + m_pos);
    d = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
    m_pos += 4;
    return true;
}

bool CArchive::ReadInt32(std::int32_t& value) {
    std::uint32_t d;
    if (!ReadDword(d)) return false;
    value = static_cast<std::int32_t>(d);
    return true;
}

bool CArchive::ReadString(std::u16string& text) {
    const std::uint64_t start = Position();
    bool unicode = false;
    std::uint64_t length = 0;
    for (;;) {
        std::uint8_t b;
        if (!ReadByte(b)) return false;
        if (b < kByteEscape) {
            length = b;
            break;
        }
        std::uint16_t w;
        if (!ReadWord(w)) return false;
        if (w == kUnicodeMarker) {
            if (unicode) return Fail(Error::NestedMarker, start);
            unicode = true;
            continue;
        }
        if (w == kWordEscape) {
            std::uint32_t d;
            if (!ReadDword(d)) return false;
            length = d;
        } else {
            length = w;
        }
        break;
    }
    const std::uint64_t bytes = unicode ? 2 * length : length;
    if (bytes > Remaining()) return Fail(Error::LengthPastEnd, start);
    const size_t n = static_cast<size_t>(bytes);
    if (!unicode) {
        std::string ansi(n, '\0');
        if (!Take(ansi.data(), n)) return false;
        text = FromAnsi(ansi);
        return true;
    }
    std::u16string out;
    if (length >= 2 && m_in.size() - m_pos >= n) {
        // The common case: the text lies in the bytes at hand, so copy it once
        // instead of zero-filling the string first (from two units on, the
        // traits copy is a memcpy, so the odd byte offset needs no alignment).
        out.assign(reinterpret_cast<const char16_t*>(m_in.data() + m_pos), static_cast<size_t>(length));
        m_pos += n;
    } else {
        out.resize(static_cast<size_t>(length));
        if (!Take(reinterpret_cast<char*>(out.data()), n)) return false;
    }
    if constexpr (std::endian::native != std::endian::little) {
        for (char16_t& c : out) c = static_cast<char16_t>((c >> 8) | (c << 8));
    }
    text = std::move(out);
    return true;
}
