// gallery: the reference sheet of the drawing layer.
//   gallery --screenshot FILE.png   draws it into a 900 x 700 image and writes the PNG.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/gfx/dc.h"
#include "platform/gfx/png.h"
#include "tools/gallery/drawing_sheet.h"

int main(int argc, char** argv) {
    std::string shot;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) shot = argv[++i];
    }
    if (shot.empty()) {
        std::fprintf(stderr, "usage: gallery --screenshot FILE.png\n");
        return 2;
    }
    Surface surface(900, 700, 0xFFFFFF);
    CDC dc(&surface, {0, 0}, surface.bounds());
    DrawReferenceSheet(dc, surface.bounds());
    std::string error;
    if (!WritePng(surface, shot, &error)) {
        std::fprintf(stderr, "gallery: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", shot.c_str());
    return 0;
}
