#pragma once
// A picture in memory and its Windows BMP file form: enough to carry the pictures of a
// metadata trailer. Reads uncompressed 1/4/8-bit (palette), 16-bit (5-5-5), 24-bit and
// 32-bit images, bottom-up or top-down; writes 24-bit bottom-up images.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

struct Bitmap {
    int32_t Width = 0;
    int32_t Height = 0;
    // Width * Height pixels, rows top to bottom, 3 bytes each: blue, green, red.
    std::vector<uint8_t> Pixels;

    bool operator==(const Bitmap&) const = default;
};

// Decodes a BMP file image; nullopt when it is not one this reader understands or it is
// damaged (every size is checked against the data).
std::optional<Bitmap> DecodeBmp(std::string_view data);

// The BMP file image of a picture (24-bit, bottom-up, rows padded to 4 bytes).
std::string EncodeBmp(const Bitmap& picture);

}  // namespace ferrolin
