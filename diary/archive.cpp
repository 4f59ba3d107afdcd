#include "diary/archive.h"

#include <bit>
#include <cstring>

#include "platform/base/text.h"

namespace {

constexpr std::uint8_t kByteEscape = 0xFF;
constexpr std::uint16_t kUnicodeMarker = 0xFFFE;
constexpr std::uint16_t kWordEscape = 0xFFFF;

template <typename T>
void StoreLittleEndian(char* out, T value) {
    for (size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

CArchive::CArchive() : m_storing(true) {}

CArchive::CArchive(std::string_view bytes) : m_storing(false), m_in(bytes) {}

const char* CArchive::Describe(Error error) {
    switch (error) {
    case Error::None: return "no error";
    case Error::EndOfData: return "the file ends inside a value";
    case Error::LengthPastEnd: return "a text length runs past the end of the file";
    case Error::NestedMarker: return "a text carries its Unicode marker twice";
    case Error::TooLong: return "a text is too long to be stored";
    }
    return "unknown error";
}

bool CArchive::Fail(Error error, size_t offset) {
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

bool CArchive::ReadByte(std::uint8_t& b) {
    if (Failed()) return false;
    if (Remaining() < 1) return Fail(Error::EndOfData, m_pos);
    b = static_cast<std::uint8_t>(m_in[m_pos++]);
    return true;
}

bool CArchive::ReadWord(std::uint16_t& w) {
    if (Failed()) return false;
    if (Remaining() < 2) return Fail(Error::EndOfData, m_pos);
    const auto* p = reinterpret_cast<const unsigned char*>(m_in.data() + m_pos);
    w = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    m_pos += 2;
    return true;
}

bool CArchive::ReadDword(std::uint32_t& d) {
    if (Failed()) return false;
    if (Remaining() < 4) return Fail(Error::EndOfData, m_pos);
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
    const size_t start = m_pos;
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
    const char* p = m_in.data() + m_pos;
    m_pos += static_cast<size_t>(bytes);
    if (!unicode) {
        text = FromAnsi(std::string_view(p, static_cast<size_t>(bytes)));
        return true;
    }
    text.resize(static_cast<size_t>(length));
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(text.data(), p, static_cast<size_t>(bytes));
    } else {
        const auto* u = reinterpret_cast<const unsigned char*>(p);
        for (size_t i = 0; i < length; ++i) text[i] = char16_t(u[2 * i] | (u[2 * i + 1] << 8));
    }
    return true;
}
