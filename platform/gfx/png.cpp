#include "platform/gfx/png.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct Sink {
    std::vector<std::uint8_t>* out;
};

void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    sink->out->insert(sink->out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// libpng reports errors by longjmp; the message is kept for the caller.
void OnError(png_structp png, png_const_charp message) {
    auto* text = static_cast<std::string*>(png_get_error_ptr(png));
    if (text) *text = message ? message : "libpng error";
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

// Only trivially destructible locals live across setjmp here: libpng's
// errors longjmp out of the calls below.
bool EncodeRows(const Surface& image, Sink* sink, png_byte* row, std::string* message) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, message, OnError, OnWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, sink, WriteToVector, NoFlush);
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height(); ++y) {
        const std::uint32_t* p = image.row(y);
        for (int x = 0; x < image.width(); ++x) {
            row[std::size_t(x) * 3] = png_byte(p[x] >> 16);
            row[std::size_t(x) * 3 + 1] = png_byte(p[x] >> 8);
            row[std::size_t(x) * 3 + 2] = png_byte(p[x]);
        }
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool EncodePng(const Surface& image, std::vector<std::uint8_t>& out, std::string* error) {
    if (image.empty()) {
        if (error) *error = "the image is empty";
        return false;
    }
    std::string message;
    std::vector<png_byte> row(std::size_t(image.width()) * 3);
    Sink sink{&out};
    out.clear();
    if (!EncodeRows(image, &sink, row.data(), &message)) {
        out.clear();
        if (error) *error = message.empty() ? "could not encode the PNG image" : message;
        return false;
    }
    return true;
}

bool WritePng(const Surface& image, const std::string& path, std::string* error) {
    std::vector<std::uint8_t> bytes;
    if (!EncodePng(image, bytes, error)) return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        if (error) *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
