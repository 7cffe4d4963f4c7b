#include "support/BmpBuilder.h"

#include <cstring>

namespace test_support {

uint32_t Get32(const Bytes& bytes, size_t offset)
{
    uint32_t v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

uint16_t Get16(const Bytes& bytes, size_t offset)
{
    uint16_t v;
    std::memcpy(&v, bytes.data() + offset, 2);
    return v;
}

void Put32(Bytes& bytes, size_t offset, uint32_t value)
{
    std::memcpy(bytes.data() + offset, &value, 4);
}

namespace {

void Append32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Append16(Bytes& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

Bytes MakeBmp(const BmpLayout& layout)
{
    const size_t stride = (static_cast<size_t>(layout.Width) * layout.Bits + 31) / 32 * 4;
    Bytes pixels;
    for (int y = layout.Height - 1; y >= 0; --y) {  // bottom-up
        Bytes row(stride, 0);
        for (int x = 0; x < layout.Width; ++x) {
            const uint32_t p = layout.Pixel(x, y);
            switch (layout.Bits) {
            case 1: row[x / 8] |= static_cast<uint8_t>((p & 1) << (7 - x % 8)); break;
            case 4: row[x / 2] |= static_cast<uint8_t>((p & 15) << (x % 2 ? 0 : 4)); break;
            case 8: row[x] = static_cast<uint8_t>(p); break;
            case 24:
                row[3 * x] = static_cast<uint8_t>(p);
                row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(p >> 16);
                break;
            case 32: std::memcpy(&row[4 * x], &p, 4); break;
            }
        }
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    pixels.resize(pixels.size() + layout.ExtraImageBytes, 0);

    const uint32_t offset = static_cast<uint32_t>(14 + 40 + 4 * layout.Table.size());
    Bytes out = {'B', 'M'};
    Append32(out, offset + static_cast<uint32_t>(pixels.size()));
    Append32(out, 0);
    Append32(out, offset);
    Append32(out, 40);
    Append32(out, static_cast<uint32_t>(layout.Width));
    Append32(out, static_cast<uint32_t>(layout.Height));
    Append16(out, 1);
    Append16(out, static_cast<uint16_t>(layout.Bits));
    Append32(out, 0);  // BI_RGB
    Append32(out, static_cast<uint32_t>(pixels.size()));
    Append32(out, 0);
    Append32(out, 0);
    Append32(out, static_cast<uint32_t>(layout.Table.size()));
    Append32(out, 0);
    for (uint32_t colour : layout.Table) Append32(out, colour);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

namespace {

Bytes MakeGrid(const GridLayout& grid, uint32_t count, int w, int h)
{
    const int rows = static_cast<int>((count + grid.Columns - 1) / grid.Columns);
    BmpLayout bmp{grid.Columns * w, rows * h, grid.Bits, grid.Table, nullptr, 0};
    bmp.Pixel = [&](int x, int y) -> uint32_t {
        const uint32_t k = static_cast<uint32_t>((y / h) * grid.Columns + x / w);
        return k < count ? grid.Cell(k, x % w, y % h) : 0;
    };
    return MakeBmp(bmp);
}

}  // namespace

Bytes MakePastIconsStream(const PastIconsLayout& layout)
{
    Bytes out;
    for (uint8_t i = 0; i < 12; ++i) out.push_back(static_cast<uint8_t>(layout.FirstByte + i));
    Append32(out, layout.ImageCount);
    Append32(out, layout.ListOffset);
    out.resize(layout.ListOffset, 0xEE);
    Bytes listHeader(28);
    for (size_t i = 0; i < 28; ++i) listHeader[i] = static_cast<uint8_t>(0xC0 + i);
    const uint16_t count16 = static_cast<uint16_t>(layout.ImageCount);
    std::memcpy(&listHeader[4], &count16, 2);
    std::memcpy(&listHeader[6], &count16, 2);
    std::memcpy(&listHeader[10], &layout.IconWidth, 2);
    std::memcpy(&listHeader[12], &layout.IconHeight, 2);
    out.insert(out.end(), listHeader.begin(), listHeader.end());
    if (layout.ImageCount != 0) {
        const Bytes images = MakeGrid(layout.Images, layout.ImageCount, layout.IconWidth, layout.IconHeight);
        const Bytes masks = MakeGrid(layout.Masks, layout.ImageCount, layout.IconWidth, layout.IconHeight);
        out.insert(out.end(), images.begin(), images.end());
        out.insert(out.end(), masks.begin(), masks.end());
    }
    return out;
}

size_t MaskGridAt(const Bytes& value)
{
    return kImageGridAt + Get32(value, kImageGridAt + 10) + Get32(value, kImageGridAt + 34);
}

}  // namespace test_support
