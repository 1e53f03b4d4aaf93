#include "files/bitmap.h"

#include <gtest/gtest.h>

namespace ferrolin {
namespace {

std::string Le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return s;
}

// A BMP file image with the given header fields, palette and pixel bytes.
std::string Bmp(int32_t w, int32_t h, uint16_t bpp, uint32_t compression, const std::string& palette,
                const std::string& pixels, uint32_t colorsUsed = 0) {
    const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size());
    return "BM" + Le(offset + static_cast<uint32_t>(pixels.size()), 4) + Le(0, 4) + Le(offset, 4) +
           Le(40, 4) + Le(static_cast<uint32_t>(w), 4) + Le(static_cast<uint32_t>(h), 4) + Le(1, 2) +
           Le(bpp, 2) + Le(compression, 4) + Le(0, 4) + Le(0, 4) + Le(0, 4) + Le(colorsUsed, 4) +
           Le(0, 4) + palette + pixels;
}

TEST(BitmapTest, RoundTripsThroughTheFileForm) {
    for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {4, 4}, {5, 3}}) {
        Bitmap b;
        b.Width = w;
        b.Height = h;
        for (int i = 0; i < w * h * 3; ++i) b.Pixels.push_back(static_cast<uint8_t>(i * 7));
        const std::string file = EncodeBmp(b);
        EXPECT_EQ(file.size(), 54u + static_cast<size_t>((w * 3 + 3) / 4 * 4 * h));
        EXPECT_EQ(DecodeBmp(file), b);
    }
}

TEST(BitmapTest, ReadsPaletteAndDeeperFormatsInBothRowOrders) {
    const std::string palette = Le(0x000000FF, 4) + Le(0x0000FF00, 4);  // blue, green
    // 2x2, 1 bit, bottom-up: bottom row "10", top row "01".
    auto oneBit = DecodeBmp(Bmp(2, 2, 1, 0, palette, Le(0x80, 4) + Le(0x40, 4), 2));
    ASSERT_TRUE(oneBit);
    EXPECT_EQ(oneBit->Pixels, (std::vector<uint8_t>{0xFF, 0, 0, 0, 0xFF, 0,   // top: 0 1
                                                    0, 0xFF, 0, 0xFF, 0, 0}));  // bottom: 1 0
    // 1x2, 32 bit, top-down.
    auto deep = DecodeBmp(Bmp(1, -2, 32, 0, "", Le(0x00030201, 4) + Le(0x00060504, 4)));
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->Pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    // 8 bit with a palette index beyond the palette: damaged.
    EXPECT_FALSE(DecodeBmp(Bmp(1, 1, 8, 0, palette, Le(5, 4), 2)));
}

TEST(BitmapTest, RefusesDamagedImages) {
    const std::string good = EncodeBmp(Bitmap{2, 2, std::vector<uint8_t>(12, 9)});
    const std::string cases[] = {
        "",
        "BM",
        good.substr(0, good.size() - 1),                     // pixels cut short
        "XY" + good.substr(2),                                // not a BMP
        Bmp(100000, 1, 24, 0, "", std::string(300000, 0)),   // beyond the size limit
        Bmp(0, 1, 24, 0, "", ""),                             // no width
        Bmp(1, 1, 24, 1, "", Le(0, 4)),                       // RLE compression
        Bmp(1, 1, 7, 0, "", Le(0, 4)),                        // odd depth
        Bmp(2147483647, 2147483647, 32, 0, "", ""),           // huge sizes, no data
        Bmp(1, 1, 8, 0, "", Le(0, 4), 300),                   // palette larger than allowed
    };
    for (const auto& data : cases) EXPECT_FALSE(DecodeBmp(data)) << data.size();
}

}  // namespace
}  // namespace ferrolin
