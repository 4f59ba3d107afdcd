// BMP file decoding: uncompressed 24-bit images (and 32-bit ones, which
// some tools write), bottom-up or top-down. Damaged input is refused with a
// reason, never read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/surface.h"

struct BmpResult {
    bool ok = false;
    std::string error;     // why it was refused, when !ok
    Surface image;
};

BmpResult DecodeBmp(const std::uint8_t* bytes, std::size_t size);
inline BmpResult DecodeBmp(const std::vector<std::uint8_t>& bytes) { return DecodeBmp(bytes.data(), bytes.size()); }

// A 24-bit bottom-up BMP file image of the surface (tests, resources tools).
std::vector<std::uint8_t> EncodeBmp24(const Surface& image);
