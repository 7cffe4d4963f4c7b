// Builds BMP files and PastIconsStream values for tests, byte by byte and independent of the
// library's own bitmap code, from pixel functions that say what every pixel is.
#pragma once

#include "support/RegistryFixture.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace test_support {

// A pixel as stored: an index for 1, 4 and 8 bits; 0xRRGGBB for 24; 0xAARRGGBB for 32.
using PixelFn = std::function<uint32_t(int x, int y)>;

struct BmpLayout {
    int Width = 0;
    int Height = 0;
    int Bits = 24;
    std::vector<uint32_t> Table;  // 0x00RRGGBB entries, for 1, 4 and 8 bits
    PixelFn Pixel;
    uint32_t ExtraImageBytes = 0;  // added to biSizeImage and written as zero padding
};

Bytes MakeBmp(const BmpLayout& layout);

// Pixel k's colour in a grid of distinct pictures: picture k, pixel (x, y).
using CellFn = std::function<uint32_t(uint32_t k, int x, int y)>;

struct GridLayout {
    int Columns = 4;
    int Bits = 32;
    std::vector<uint32_t> Table;
    CellFn Cell;
};

struct PastIconsLayout {
    uint32_t ImageCount = 0;
    uint16_t IconWidth = 16;
    uint16_t IconHeight = 16;
    GridLayout Images;
    GridLayout Masks{4, 1, {0x000000, 0xFFFFFF}, {}};
    uint8_t FirstByte = 0x40;  // header bytes that are not interpreted: FirstByte, +1, ...
    uint32_t ListOffset = 20;  // Explorer writes 20; a larger one leaves a gap of 0xEE bytes
};

// A 20-byte header, the 28-byte image-list header and, when ImageCount is not
// 0, both grids with ceil(ImageCount / Columns) rows.
Bytes MakePastIconsStream(const PastIconsLayout& layout);

// Offsets inside a PastIconsStream value with ListOffset 20.
constexpr size_t kListHeaderAt = 20;
constexpr size_t kImageGridAt = 48;
uint32_t Get32(const Bytes& bytes, size_t offset);
uint16_t Get16(const Bytes& bytes, size_t offset);
void Put32(Bytes& bytes, size_t offset, uint32_t value);
// Where the mask grid starts: after the colour grid's pixel offset plus image size.
size_t MaskGridAt(const Bytes& value);

}  // namespace test_support
