#include "files/bitmap.h"

#include <cstring>

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

}  // namespace

std::optional<Bitmap> DecodeBmp(std::string_view data) {
    if (data.size() < kFileHeaderSize + kInfoHeaderSize) return std::nullopt;
    if (data[0] != 'B' || data[1] != 'M') return std::nullopt;
    const uint32_t pixelOffset = U32(data, 10);
    const uint32_t headerSize = U32(data, 14);
    if (headerSize < kInfoHeaderSize || headerSize > data.size() - kFileHeaderSize) {
        return std::nullopt;
    }
    const int64_t width = static_cast<int32_t>(U32(data, 18));
    const int64_t rawHeight = static_cast<int32_t>(U32(data, 22));
    const uint16_t planes = U16(data, 26);
    const uint16_t bpp = U16(data, 28);
    const uint32_t compression = U32(data, 30);
    const uint32_t colorsUsed = U32(data, 46);
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -rawHeight : rawHeight;
    if (planes != 1 || width <= 0 || height <= 0 || width > kMaxDimension ||
        height > kMaxDimension) {
        return std::nullopt;
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        return std::nullopt;
    }
    if (compression == kBiBitfields) {
        // Only the common layouts: 32-bit with the masks of plain BGRX.
        const size_t masksAt = kFileHeaderSize + kInfoHeaderSize;
        if (bpp != 32 || masksAt + 12 > data.size() || U32(data, masksAt) != 0x00FF0000 ||
            U32(data, masksAt + 4) != 0x0000FF00 || U32(data, masksAt + 8) != 0x000000FF) {
            return std::nullopt;
        }
    } else if (compression != kBiRgb) {
        return std::nullopt;
    }

    std::vector<uint8_t> palette;  // BGR triples
    if (bpp <= 8) {
        const uint32_t maxColors = 1u << bpp;
        const uint32_t colors = colorsUsed == 0 ? maxColors : colorsUsed;
        if (colors > maxColors) return std::nullopt;
        const size_t paletteAt = kFileHeaderSize + headerSize;
        if (paletteAt + static_cast<size_t>(colors) * 4 > data.size()) return std::nullopt;
        for (uint32_t i = 0; i < colors; ++i) {
            for (int c = 0; c < 3; ++c) {
                palette.push_back(static_cast<uint8_t>(data[paletteAt + i * 4 + c]));
            }
        }
    }

    const int64_t stride = ((width * bpp + 31) / 32) * 4;
    if (pixelOffset > data.size() || stride * height > static_cast<int64_t>(data.size() - pixelOffset)) {
        return std::nullopt;
    }

    Bitmap picture;
    picture.Width = static_cast<int32_t>(width);
    picture.Height = static_cast<int32_t>(height);
    picture.Pixels.resize(static_cast<size_t>(width * height * 3));
    for (int64_t y = 0; y < height; ++y) {
        const int64_t sourceRow = topDown ? y : height - 1 - y;
        const auto* row =
            reinterpret_cast<const uint8_t*>(data.data() + pixelOffset + sourceRow * stride);
        uint8_t* out = picture.Pixels.data() + y * width * 3;
        for (int64_t x = 0; x < width; ++x, out += 3) {
            switch (bpp) {
                case 1:
                case 4:
                case 8: {
                    const int64_t bit = x * bpp;
                    const unsigned shift = static_cast<unsigned>(8 - bpp - bit % 8);
                    const unsigned index = (row[bit / 8] >> shift) & ((1u << bpp) - 1);
                    if (static_cast<size_t>(index) * 3 + 2 >= palette.size()) return std::nullopt;
                    std::memcpy(out, &palette[index * 3], 3);
                    break;
                }
                case 16: {
                    const unsigned v = row[x * 2] | (row[x * 2 + 1] << 8);
                    out[0] = static_cast<uint8_t>((v & 0x1F) * 255 / 31);
                    out[1] = static_cast<uint8_t>(((v >> 5) & 0x1F) * 255 / 31);
                    out[2] = static_cast<uint8_t>(((v >> 10) & 0x1F) * 255 / 31);
                    break;
                }
                case 24:
                    std::memcpy(out, row + x * 3, 3);
                    break;
                default:
                    std::memcpy(out, row + x * 4, 3);
                    break;
            }
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
            std::memcpy(row.data(), picture.Pixels.data() + static_cast<size_t>(sourceRow) * width * 3,
                        static_cast<size_t>(width) * 3);
        }
        out += row;
    }
    return out;
}

}  // namespace ferrolin
