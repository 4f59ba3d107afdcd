// BMP decoding (and refusing damaged files), PNG writing, image lists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/gfx/bmp.h"
#include "platform/gfx/imagelist.h"
#include "platform/gfx/png.h"
#include "tests/gfx/pixels.h"

namespace {

Surface Sample(int w, int h) {
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.SetPixel(x, y, RGB(x * 9, y * 17, 200 - x - y));
    return s;
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

TEST(Bmp, RoundTripKeepsEveryPixelAndOrientation) {
    // 5 pixels wide: rows need padding.
    const Surface s = Sample(5, 3);
    const auto bytes = EncodeBmp24(s);
    const BmpResult r = DecodeBmp(bytes);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.image.width(), 5);
    ASSERT_EQ(r.image.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(r.image.pixel(x, y), s.pixel(x, y));

    // The same image stored top-down (negative height).
    auto topDown = bytes;
    Put32(topDown, 22, std::uint32_t(-3));
    const std::size_t stride = 16;
    for (int row = 0; row < 3; ++row)
        std::copy_n(bytes.begin() + 54 + std::ptrdiff_t(stride) * (2 - row), stride,
                    topDown.begin() + 54 + std::ptrdiff_t(stride) * row);
    const BmpResult t = DecodeBmp(topDown);
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(t.image.pixel(4, 0), s.pixel(4, 0));
    EXPECT_EQ(t.image.pixel(0, 2), s.pixel(0, 2));
}

TEST(Bmp, DamagedFilesAreRefusedWithAReason) {
    const auto good = EncodeBmp24(Sample(66, 21));
    struct Case {
        const char* name;
        std::size_t at;      // byte to patch, or npos
        std::uint32_t value;
        std::size_t length;  // keep this many bytes
    };
    const std::size_t keep = good.size();
    const std::size_t none = std::size_t(-1);
    const Case cases[] = {
        {"empty", none, 0, 0},
        {"signature only", none, 0, 2},
        {"header cut", none, 0, 30},
        {"pixels cut by one byte", none, 0, keep - 1},
        {"pixels cut in half", none, 0, 54 + (keep - 54) / 2},
        {"wrong signature", 0, 0x4D41, keep},
        {"oversized width", 18, 0x7FFFFFFF, keep},
        {"oversized height", 22, 1000000, keep},
        {"huge negative height", 22, 0x80000000u, keep},
        {"zero width", 18, 0, keep},
        {"8 bits per pixel", 28, 0x00010008, keep},
        {"run-length compressed", 30, 1, keep},
        {"pixel offset past the end", 10, 0xFFFFFF00u, keep},
        {"pixel offset inside the header", 10, 20, keep},
        {"header size past the end", 14, 0xFFFFFFF0u, keep},
        {"bigger than it says", 18, 67, keep},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes(good.begin(), good.begin() + std::ptrdiff_t(std::min(c.length, keep)));
        if (c.at != none) {
            if (c.at == 0) { bytes[0] = 'A'; bytes[1] = 'M'; }
            else Put32(bytes, c.at, c.value);
        }
        const BmpResult r = DecodeBmp(bytes);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.empty());
        EXPECT_TRUE(r.image.empty());
        CBitmap bmp;
        std::string why;
        EXPECT_FALSE(bmp.LoadFromBmp(bytes, &why));
        EXPECT_EQ(why, r.error);
        EXPECT_TRUE(bmp.IsNull());
    }
    EXPECT_FALSE(DecodeBmp(nullptr, 100).ok);
}

TEST(Bmp, BitmapFromBmpDrawsThroughAMemoryContext) {
    CBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromBmp(EncodeBmp24(Sample(6, 4))));
    EXPECT_EQ(bmp.GetSize(), CSize(6, 4));
    BITMAP info;
    ASSERT_GT(bmp.GetBitmap(&info), 0);
    EXPECT_EQ(info.bmWidth, 6);
    EXPECT_EQ(info.bmHeight, 4);
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    CBitmap* old = mem.SelectObject(&bmp);
    EXPECT_EQ(mem.GetPixel(5, 3), Sample(6, 4).GetPixel(5, 3));
    mem.SelectObject(old);

    // Resources by number go through the installed loader.
    SetBitmapResourceLoader([](UINT id, std::vector<BYTE>& out) {
        if (id != 382) return false;
        out = EncodeBmp24(Sample(7, 2));
        return true;
    });
    CBitmap res, missing;
    EXPECT_TRUE(res.LoadBitmap(382));
    EXPECT_EQ(res.GetSize(), CSize(7, 2));
    EXPECT_FALSE(missing.LoadBitmap(999));
    SetBitmapResourceLoader(nullptr);
    EXPECT_FALSE(missing.LoadBitmap(382));
}

TEST(Png, WritesASignedRgbImageOfTheRightSize) {
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(EncodePng(Sample(33, 7), png));
    ASSERT_GT(png.size(), 33u);
    const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_TRUE(std::equal(signature, signature + 8, png.begin()));
    // IHDR: width and height big-endian at bytes 16 and 20, 8-bit RGB.
    EXPECT_EQ((png[16] << 24) | (png[17] << 16) | (png[18] << 8) | png[19], 33);
    EXPECT_EQ((png[20] << 24) | (png[21] << 16) | (png[22] << 8) | png[23], 7);
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 2);

    std::string error;
    EXPECT_FALSE(EncodePng(Surface(), png, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(WritePng(Sample(2, 2), "/nonexistent-dir/x.png", &error));
    EXPECT_NE(error.find("/nonexistent-dir/x.png"), std::string::npos);

    const char* dir = std::getenv("VELMORA_TEST_OUTPUT");
    const std::string path = std::string(dir ? dir : "/tmp") + "/gfx-sample.png";
    ASSERT_TRUE(WritePng(Sample(33, 7), path, &error)) << error;
    std::ifstream in(path, std::ios::binary);
    std::vector<char> back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(back.size(), png.size());
}

TEST(ImageList, ImagesByIndexWithTheirRectanglesAndMask) {
    // Three 4 x 3 images side by side; the mask colour is magenta.
    Surface strip(12, 3, ToPixel(RGB(255, 0, 255)));
    strip.fill(CRect(0, 0, 4, 3), ToPixel(RGB(255, 0, 0)));
    strip.fill(CRect(5, 1, 7, 2), ToPixel(RGB(0, 255, 0)));
    strip.fill(CRect(8, 0, 12, 3), ToPixel(RGB(0, 0, 255)));
    CBitmap bmp;
    bmp.CreateFromSurface(strip);

    CImageList list;
    ASSERT_TRUE(list.Create(4, 3, ILC_COLOR24 | ILC_MASK, 3, 1));
    EXPECT_EQ(list.Add(&bmp, RGB(255, 0, 255)), 0);
    EXPECT_EQ(list.GetImageCount(), 3);
    IMAGEINFO info;
    ASSERT_TRUE(list.GetImageInfo(1, &info));
    EXPECT_EQ(info.rcImage, CRect(4, 0, 8, 3));
    EXPECT_FALSE(list.GetImageInfo(3, &info));
    EXPECT_FALSE(list.GetImageInfo(-1, &info));

    Canvas cv(20, 10);
    EXPECT_TRUE(list.Draw(&cv.dc, 1, CPoint(10, 5), ILD_NORMAL));
    EXPECT_EQ(cv.ink(), CRect(11, 6, 13, 7));   // only the green middle: the rest is mask
    EXPECT_FALSE(list.Draw(&cv.dc, 7, CPoint(0, 0), ILD_NORMAL));

    // On a scaled (printer-like) context the image covers its scaled area.
    Canvas page(40, 20);
    page.dc.SetMapMode(MM_ANISOTROPIC);
    page.dc.SetWindowExt(1, 1);
    page.dc.SetViewportExt(3, 3);
    EXPECT_TRUE(list.Draw(&page.dc, 0, CPoint(1, 1), ILD_NORMAL));
    EXPECT_EQ(page.ink(), CRect(3, 3, 15, 12));
    for (int y = 3; y < 12; ++y)
        for (int x = 3; x < 15; ++x) ASSERT_EQ(page.at(x, y), RGB(255, 0, 0)) << x << "," << y;

    CImageList small;
    small.Create(16, 16, ILC_COLOR24, 0, 1);
    EXPECT_EQ(small.Add(&bmp, CLR_INVALID), -1);   // bitmap smaller than one image
}

}  // namespace
