// PNG writing of a surface (screenshots), through libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/surface.h"

// Writes an 8-bit RGB PNG file. On failure returns false and error says why.
bool WritePng(const Surface& image, const std::string& path, std::string* error = nullptr);
// The same file image in memory.
bool EncodePng(const Surface& image, std::vector<std::uint8_t>& out, std::string* error = nullptr);
