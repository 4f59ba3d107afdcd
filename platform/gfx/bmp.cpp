#include "platform/gfx/bmp.h"

#include <cstdlib>
#include <cstring>

namespace {

std::uint32_t U32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

BmpResult Fail(std::string why) {
    BmpResult r;
    r.error = std::move(why);
    return r;
}

void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(std::uint8_t(x >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& v, std::uint16_t x) {
    v.push_back(std::uint8_t(x));
    v.push_back(std::uint8_t(x >> 8));
}

}  // namespace

BmpResult DecodeBmp(const std::uint8_t* bytes, std::size_t size) {
    constexpr std::size_t kFileHeader = 14;
    if (!bytes || size < kFileHeader + 12) return Fail("too short for a BMP header");
    if (bytes[0] != 'B' || bytes[1] != 'M') return Fail("not a BMP file (no 'BM' signature)");
    const std::uint32_t dataOffset = U32(bytes + 10);
    const std::uint32_t infoSize = U32(bytes + 14);
    if (infoSize < 12 || infoSize > size - kFileHeader) return Fail("truncated or damaged BMP header");

    std::int64_t width = 0, height = 0;
    std::uint16_t planes = 0, bpp = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) {   // the old core header
        width = U16(bytes + 18);
        height = std::int16_t(U16(bytes + 20));
        planes = U16(bytes + 22);
        bpp = U16(bytes + 24);
    } else {
        if (infoSize < 40) return Fail("unsupported BMP header size");
        width = std::int32_t(U32(bytes + 18));
        height = std::int32_t(U32(bytes + 22));
        planes = U16(bytes + 26);
        bpp = U16(bytes + 28);
        compression = U32(bytes + 30);
    }
    if (planes != 1) return Fail("damaged BMP header (planes is not 1)");
    if (bpp != 24 && bpp != 32) return Fail("only 24-bit and 32-bit BMP images are supported");
    // 0 is BI_RGB; 3 (BI_BITFIELDS) is accepted for 32-bit images in the usual layout.
    if (compression != 0 && !(compression == 3 && bpp == 32)) return Fail("compressed BMP images are not supported");
    const bool topDown = height < 0;
    height = std::llabs(height);
    if (width <= 0 || height <= 0) return Fail("BMP image has no pixels");
    if (width > Surface::kMaxSide || height > Surface::kMaxSide || width * height > Surface::kMaxPixels)
        return Fail("BMP image is too large");

    const std::uint64_t stride = ((std::uint64_t(width) * bpp + 31) / 32) * 4;
    const std::uint64_t need = stride * std::uint64_t(height);
    if (dataOffset < kFileHeader + infoSize || dataOffset > size) return Fail("damaged BMP header (bad pixel offset)");
    if (need > size - dataOffset) return Fail("truncated BMP file (pixel data is missing)");

    BmpResult r;
    r.image.resize(int(width), int(height));
    const int bytesPerPixel = bpp / 8;
    for (std::int64_t y = 0; y < height; ++y) {
        const std::uint8_t* src = bytes + dataOffset + std::size_t(stride) * std::size_t(topDown ? y : height - 1 - y);
        std::uint32_t* dst = r.image.row(int(y));
        for (std::int64_t x = 0; x < width; ++x, src += bytesPerPixel)
            dst[x] = (std::uint32_t(src[2]) << 16) | (std::uint32_t(src[1]) << 8) | src[0];
    }
    r.ok = true;
    return r;
}

std::vector<std::uint8_t> EncodeBmp24(const Surface& image) {
    const std::uint32_t stride = (std::uint32_t(image.width()) * 3 + 3) & ~3u;
    const std::uint32_t dataSize = stride * std::uint32_t(image.height());
    std::vector<std::uint8_t> out;
    out.reserve(54 + dataSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + dataSize);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, std::uint32_t(image.width()));
    Put32(out, std::uint32_t(image.height()));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, dataSize);
    Put32(out, 3780);
    Put32(out, 3780);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        const std::uint32_t* p = image.row(y);
        for (int x = 0; x < image.width(); ++x) {
            out.push_back(std::uint8_t(p[x]));
            out.push_back(std::uint8_t(p[x] >> 8));
            out.push_back(std::uint8_t(p[x] >> 16));
        }
        for (std::uint32_t pad = std::uint32_t(image.width()) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}
