#include "files/bitmap.h"

#include <cstring>
#include <vector>

namespace ferrolin {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
// Far beyond any picture a trailer carries; keeps width * height arithmetic small.
constexpr int64_t kMaxDimension = 1 << 15;

uint16_t U16(std::string_view d, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(d[at]) |
                                 (static_cast<uint8_t>(d[at + 1]) << 8));
}

uint32_t U32(std::string_view d, size_t at) {
    return static_cast<uint32_t>(U16(d, at)) | (static_cast<uint32_t>(U16(d, at + 2)) << 16);
}

void Put16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

// What the headers say of a picture, checked against the data and the forms decoded here.
struct BmpLayout {
    uint32_t pixelOffset = 0;
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;
    bool topDown = false;
    uint16_t bitsPerPixel = 0;
    uint32_t colorsUsed = 0;
    int64_t stride = 0;  // bytes a row, padded to four
};

bool SupportedBitsPerPixel(uint16_t bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

// Uncompressed, or 32-bit with the masks of plain BGRX (the only bit-field layout in use).
bool SupportedCompression(std::string_view data, uint32_t compression, uint16_t bpp) {
    if (compression == kBiRgb) return true;
    if (compression != kBiBitfields) return false;
    const size_t masksAt = kFileHeaderSize + kInfoHeaderSize;
    return bpp == 32 && masksAt + 12 <= data.size() && U32(data, masksAt) == 0x00FF0000 &&
           U32(data, masksAt + 4) == 0x0000FF00 && U32(data, masksAt + 8) == 0x000000FF;
}

std::optional<BmpLayout> ReadLayout(std::string_view data) {
    if (data.size() < kFileHeaderSize + kInfoHeaderSize) return std::nullopt;
    if (data[0] != 'B' || data[1] != 'M') return std::nullopt;
    BmpLayout layout;
    layout.pixelOffset = U32(data, 10);
    layout.headerSize = U32(data, 14);
    if (layout.headerSize < kInfoHeaderSize || layout.headerSize > data.size() - kFileHeaderSize)
        return std::nullopt;
    layout.width = static_cast<int32_t>(U32(data, 18));
    const int64_t rawHeight = static_cast<int32_t>(U32(data, 22));
    layout.topDown = rawHeight < 0;
    layout.height = layout.topDown ? -rawHeight : rawHeight;
    layout.bitsPerPixel = U16(data, 28);
    layout.colorsUsed = U32(data, 46);
    if (U16(data, 26) != 1 || layout.width <= 0 || layout.height <= 0 ||
        layout.width > kMaxDimension || layout.height > kMaxDimension) {
        return std::nullopt;
    }
    if (!SupportedBitsPerPixel(layout.bitsPerPixel) ||
        !SupportedCompression(data, U32(data, 30), layout.bitsPerPixel)) {
        return std::nullopt;
    }
    layout.stride = ((layout.width * layout.bitsPerPixel + 31) / 32) * 4;
    if (layout.pixelOffset > data.size() ||
        layout.stride * layout.height > static_cast<int64_t>(data.size() - layout.pixelOffset)) {
        return std::nullopt;
    }
    return layout;
}

// The palette of a picture of up to 8 bits a pixel, as BGR triples; empty for deeper ones.
std::optional<std::vector<uint8_t>> ReadPalette(std::string_view data, const BmpLayout& layout) {
    std::vector<uint8_t> palette;
    if (layout.bitsPerPixel > 8) return palette;
    const uint32_t maxColors = 1u << layout.bitsPerPixel;
    const uint32_t colors = layout.colorsUsed == 0 ? maxColors : layout.colorsUsed;
    if (colors > maxColors) return std::nullopt;
    const size_t paletteAt = kFileHeaderSize + layout.headerSize;
    if (paletteAt + static_cast<size_t>(colors) * 4 > data.size()) return std::nullopt;
    for (uint32_t i = 0; i < colors; ++i) {
        for (int c = 0; c < 3; ++c)
            palette.push_back(static_cast<uint8_t>(data[paletteAt + i * 4 + c]));
    }
    return palette;
}

// Pixel x of a row as BGR into out; false for a palette index the palette lacks.
bool DecodePixel(const uint8_t* row, int64_t x, uint16_t bpp, const std::vector<uint8_t>& palette,
                 uint8_t* out) {
    switch (bpp) {
        case 1:
        case 4:
        case 8: {
            const int64_t bit = x * bpp;
            const unsigned shift = static_cast<unsigned>(8 - bpp - bit % 8);
            const unsigned index = (row[bit / 8] >> shift) & ((1u << bpp) - 1);
            if (static_cast<size_t>(index) * 3 + 2 >= palette.size()) return false;
            std::memcpy(out, &palette[index * 3], 3);
            return true;
        }
        case 16: {
            const unsigned v = row[x * 2] | (row[x * 2 + 1] << 8);
            out[0] = static_cast<uint8_t>((v & 0x1F) * 255 / 31);
            out[1] = static_cast<uint8_t>(((v >> 5) & 0x1F) * 255 / 31);
            out[2] = static_cast<uint8_t>(((v >> 10) & 0x1F) * 255 / 31);
            return true;
        }
        case 24:
            std::memcpy(out, row + x * 3, 3);
            return true;
        default:
            std::memcpy(out, row + x * 4, 3);
            return true;
    }
}

}  // namespace

std::optional<Bitmap> DecodeBmp(std::string_view data) {
    const std::optional<BmpLayout> layout = ReadLayout(data);
    if (!layout) return std::nullopt;
    const std::optional<std::vector<uint8_t>> palette = ReadPalette(data, *layout);
    if (!palette) return std::nullopt;
    const int64_t width = layout->width;
    const int64_t height = layout->height;
    Bitmap picture;
    picture.Width = static_cast<int32_t>(width);
    picture.Height = static_cast<int32_t>(height);
    picture.Pixels.resize(static_cast<size_t>(width * height * 3));
    for (int64_t y = 0; y < height; ++y) {
        const int64_t sourceRow = layout->topDown ? y : height - 1 - y;
        const auto* row = reinterpret_cast<const uint8_t*>(data.data() + layout->pixelOffset +
                                                           sourceRow * layout->stride);
        uint8_t* out = picture.Pixels.data() + y * width * 3;
        for (int64_t x = 0; x < width; ++x, out += 3) {
            if (!DecodePixel(row, x, layout->bitsPerPixel, *palette, out)) return std::nullopt;
        }
    }
    return picture;
}

std::string EncodeBmp(const Bitmap& picture) {
    const uint32_t width = static_cast<uint32_t>(picture.Width > 0 ? picture.Width : 0);
    const uint32_t height = static_cast<uint32_t>(picture.Height > 0 ? picture.Height : 0);
    const uint32_t stride = (width * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * height;
    const uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
    std::string out;
    out.reserve(offset + imageSize);
    out += "BM";
    Put32(out, offset + imageSize);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, kInfoHeaderSize);
    Put32(out, width);
    Put32(out, height);  // positive: rows bottom-up
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, kBiRgb);
    Put32(out, imageSize);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    const bool complete = picture.Pixels.size() == static_cast<size_t>(width) * height * 3;
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t sourceRow = height - 1 - y;
        std::string row(stride, '\0');
        if (complete) {
            std::memcpy(row.data(),
                        picture.Pixels.data() + static_cast<size_t>(sourceRow) * width * 3,
                        static_cast<size_t>(width) * 3);
        }
        out += row;
    }
    return out;
}

}  // namespace ferrolin
